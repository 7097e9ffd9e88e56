// Many host threads at once, for ThreadSanitizer (-DKOVESK_TSAN=ON), where any race fails the run.
// No time stamps: the default date format sets the process's time locale, unsafe to race by design.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

#include "call/CVISACall.h"
#include "format/CVisaFormat.h"
#include "host/CKOVeskMemoryLogger.h"
#include "host/CProcThreadInfo.h"
#include "host/CVeskApiInfo.h"
#include "host/HostSideServices.h"

namespace nKoVeskLog210 {
namespace {

constexpr int kThreads = 8;

// Runs `work(thread)` on `kThreads` threads released together once all have started.
template <class Work>
void runTogether(Work work) {
    std::atomic<int> waiting{kThreads};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            waiting.fetch_sub(1);
            while (waiting.load() > 0) std::this_thread::yield();
            work(t);
        });
    }
    for (std::thread& thread : threads) thread.join();
}

// Runs in a death-test child of its own, so nothing has asked for the
// formatter yet; a normal exit lets ThreadSanitizer's report fail the test.
void askForTheFormatterTogether() {
    std::vector<CVisaFormat*> seen(kThreads, nullptr);
    runTogether([&](int t) { seen[size_t(t)] = CVisaFormat::GetSingletonVisaFormatter(); });
    const auto same = std::count(seen.begin(), seen.end(), seen[0]);
    std::exit(seen[0] != nullptr && same == kThreads ? 0 : 1);
}

TEST(FormatterSingletonTest, ManyThreadsAtFirstUseGetOneFormatter) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(askForTheFormatterTogether(), ::testing::ExitedWithCode(0), "");
}

using Bytes = std::vector<unsigned char>;

Bytes wordOf(uint32_t value) {
    Bytes bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}
Bytes textOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

void addParam(CKOVeskMemoryLogger& logger, const char* name, int type, const Bytes& bytes) {
    const int index = logger.AddParam(name, type);
    logger.SetParamBytes(index, bytes.data(), bytes.size());
}

bool answerValueName(const IKoVeskLogger* logger, int index, eKoVeskLocale, bool compact,
                     uint32_t capacity, wchar_t* buffer) {
    uint32_t value = 0;
    logger->GetParamUInt32(index, &value);
    if (value != 0x3FFF001A) return false;
    std::swprintf(buffer, capacity, compact ? L"TIMEOUT" : L"HOST_ATTR_TIMEOUT");
    return true;
}

// Kinds of call reading host state: a write's buffer (export settings), an attribute and status
// the host names, and `otherApiType`, an API family whose host information is made on first use.
constexpr int kKinds = 3;
constexpr int kOtherApiTypes = 100;

void capture(int kind, int otherApiType, CKOVeskMemoryLogger& in, CKOVeskMemoryLogger& out) {
    if (kind == 0) {
        in.SetFunction("viWrite", 0x1234, eKoVeskApiVisa);
        addParam(in, "buf", 14, wordOf(0x7000));
        addParam(in, "*buf", 14, textOf("*IDN?\n"));
        addParam(out, nullptr, 23, wordOf(0));
    } else if (kind == 1) {
        in.SetFunction("viGetAttribute", 0x6312, eKoVeskApiVisa);
        addParam(in, "attribute", 29, wordOf(0x3FFF001A));
        addParam(out, nullptr, 23, wordOf(0x3FFF0085));
    } else {
        in.SetFunction("otherCall", 0x0102, otherApiType);
        addParam(in, "attribute", 29, wordOf(0x3FFF001A));
        addParam(out, nullptr, 23, wordOf(0xBFFF0015));
        out.SetFunction("otherCall", 0x0102, otherApiType);
    }
    out.SetReturnParamIndex(0);
}

// What the host asks of a record, as one text.
std::string render(int kind, int otherApiType = kOtherApiTypes) {
    CKOVeskMemoryLogger in;
    CKOVeskMemoryLogger out;
    capture(kind, otherApiType, in, out);
    CProcThreadInfo thread;
    CVISACall record;
    record.InitProcThreadInfo(&thread);
    bool handled = false;
    record.ProcessLoggerInput(&in, handled);
    record.FormatCallDescriptionInput();
    std::string text = std::string(record.GetDescription().c_str()) + '\n';
    record.ProcessLoggerMatchingOutput(&out);
    record.FormatCallDescriptionOutput();
    (text += record.GetDescription().c_str()) += '\n';
    (text += record.FormatColumnText(IKoVeskCall::eColumnStatus).c_str()) += '\n';
    const auto use = IKoVeskCall::eExportUseText;
    std::vector<StringBase> lines(static_cast<size_t>(record.GetNumberOfLinesToExport(use)));
    record.FormatForOutput(lines.data(), static_cast<int>(lines.size()), use);
    for (const StringBase& line : lines) (text += line.c_str()) += '\n';
    std::vector<StringBase> names;
    record.SetPageInputParamData(names, lines, eFormatFull);
    for (const StringBase& line : lines) (text += line.c_str()) += '\n';
    StringBase value;
    StringBase description;
    record.SetPageOutputRetvalData(value, description);
    return (text += value.c_str()) += description.c_str();
}

class RenderingThreadsTest : public ::testing::Test {
protected:
    // The host's settings are made before any thread renders.
    void SetUp() override {
        nKoVeskHost::ResetApiInfo();
        CVeskApiInfo* visa = CVeskApiInfo::GetVeskApiInfo(eKoVeskApiVisa);
        visa->hasValueNames = true;
        visa->valueNameCallback = answerValueName;
        nKoVeskHost::SetApiValue(eKoVeskApiVisa, "StatusPrefix", "VISA");
        nKoVeskHost::SetStatusDescriptor("VISA", 0x3FFF0085, "Unknown status");
        nKoVeskHost::SetExportIsSummary(false);
    }
    void TearDown() override {
        nKoVeskHost::ResetApiInfo();
        nKoVeskHost::ClearApiValues();
        nKoVeskHost::ClearStatusDescriptors();
    }
};

// Every thread renders every kind, bringing API families the host has not seen yet.
TEST_F(RenderingThreadsTest, RecordsRenderedSideBySideMatchTheirRenderingAlone) {
    constexpr int kIterations = 20;
    std::vector<std::string> expected;
    for (int kind = 0; kind < kKinds; ++kind) expected.push_back(render(kind));
    std::atomic<int> mismatches{0};
    runTogether([&](int t) {
        for (int i = 0; i < kIterations; ++i) {
            const int kind = (t + i) % kKinds;
            if (render(kind, kOtherApiTypes + 1 + t * kIterations + i) != expected[size_t(kind)]) {
                ++mismatches;
            }
        }
    });
    EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
}  // namespace nKoVeskLog210
