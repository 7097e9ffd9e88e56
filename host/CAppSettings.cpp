#include "host/CAppSettings.h"

#include <atomic>

#include "host/HostSideServices.h"

namespace {

std::atomic<bool> g_exportIsSummary{false};

}  // namespace

bool CAppSettings::GetExportIsSummary() {
    return g_exportIsSummary.load(std::memory_order_relaxed);
}

// --- host side -------------------------------------------------------------

void nKoVeskHost::SetExportIsSummary(bool summary) {
    g_exportIsSummary.store(summary, std::memory_order_relaxed);
}
