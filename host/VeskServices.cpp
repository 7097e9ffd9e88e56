// The host's utility services.
//
// Threads: every service may be called from any thread. Settings that
// rendering reads on hot paths (the export-summary flag, the locale, the
// per-API settings and information records) are read without locks; see
// PublishedTable.h for the per-API settings. Observers of message boxes and
// help requests take a mutex.
//
// Service state lives in objects that are created on first use and never
// destroyed, so a thread that renders while the process exits still finds
// them.
#include "host/VeskServices.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "host/PublishedTable.h"
#include "host/VisaStatusDescriptions.h"
#include "ko/zel/NumericCast.h"

namespace {

// --- texts -----------------------------------------------------------------

struct tHostText {
    int32_t number;
    const char* text;
};

const tHostText kHostTexts[] = {
    {kTextHelpNotAvailable, "Help is not available for this item."},
    {kTextBufferContents, "Buffer contents:"},
    {kTextBufferContentsShort, "Buffer contents (shortened):"},
    {kTextReturnStatus, "Return status: %s"},
};

// Formatting starts in a stack buffer of this size and moves to the heap
// only for longer results.
constexpr size_t kFormatStackBytes = 1024;

// --- file paths ------------------------------------------------------------

const char kDefaultInstallationRoot[] = "/usr/share/kovesk";

struct tPathState {
    std::mutex mutex;
    StringBase root{kDefaultInstallationRoot};
};

tPathState& pathState() {
    static tPathState* state = new tPathState;
    return *state;
}

// --- message boxes and help ------------------------------------------------

// The last of some host event (a message box shown, a help request made)
// and how many there were since the last reset; safe from any thread.
template <class Event>
class LastEventRecorder {
public:
    void Record(Event event) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_last = std::move(event);
        m_any = true;
        ++m_count;
    }
    bool Last(Event& event) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_any) return false;
        event = m_last;
        return true;
    }
    int32_t Count() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_count;
    }
    void Reset() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_last = Event{};
        m_any = false;
        m_count = 0;
    }

private:
    mutable std::mutex m_mutex;
    Event m_last{};
    bool m_any = false;
    int32_t m_count = 0;
};

// Never destroyed: rendering threads may still record while the process exits.
LastEventRecorder<CVeskUtility::tMessageBox>& messageBoxes() {
    static auto* recorder = new LastEventRecorder<CVeskUtility::tMessageBox>;
    return *recorder;
}

LastEventRecorder<CHelpLauncher::tRequest>& helpRequests() {
    static auto* recorder = new LastEventRecorder<CHelpLauncher::tRequest>;
    return *recorder;
}

// --- localisation ----------------------------------------------------------

const char kBuiltInStatusPrefix[] = "VISA";

std::atomic<int32_t> g_localeLanguage{eKoVeskLocaleEnglish};

// Descriptions added by the host: prefix -> code -> text.
using tStatusDescriptorTable =
    std::map<std::string, std::map<int32_t, std::string>, std::less<>>;

PublishedTable<tStatusDescriptorTable>& statusDescriptors() {
    static auto* table = new PublishedTable<tStatusDescriptorTable>;
    return *table;
}

std::string_view viewOf(const StringBase& text) { return {text.c_str(), text.length()}; }

void assignTo(StringBase& target, std::string_view text) {
    target.assign(text.data(), ko::zel::NumericCast<uint32_t>(text.size()));
}

// --- per-API settings ------------------------------------------------------

// apiType -> key -> value.
using tApiValueTable =
    std::map<int32_t, std::map<std::string, std::string, std::less<>>>;

PublishedTable<tApiValueTable>& apiValues() {
    static auto* table = new PublishedTable<tApiValueTable>;
    return *table;
}

std::atomic<bool> g_exportIsSummary{false};

// --- per-API information ---------------------------------------------------

// API types below this have a record in a fixed array, reached without a
// lock; all others live in a map under a mutex. Records never move.
constexpr int32_t kDirectApiTypes = 64;

struct tApiInfoStore {
    CVeskApiInfo direct[kDirectApiTypes];
    std::mutex mutex;
    std::map<int32_t, std::unique_ptr<CVeskApiInfo>> others;
};

tApiInfoStore& apiInfoStore() {
    static tApiInfoStore* store = new tApiInfoStore;
    return *store;
}

void resetApiInfo(CVeskApiInfo& info) {
    info.helpFilePath = StringBase();
    info.hasValueNames = false;
    info.valueNameCallback = nullptr;
}

std::atomic<IKoVeskCall*> g_currentPropertyCall{nullptr};

}  // namespace

// --- CVeskUtility ----------------------------------------------------------

StringBase CVeskUtility::LoadString(int32_t textNumber) {
    for (const tHostText& entry : kHostTexts) {
        if (entry.number == textNumber) return StringBase(entry.text);
    }
    return StringBase();
}

void CVeskUtility::sprintf(StringBase& result, const char* format, ...) {
    if (!format) {
        result = StringBase();
        return;
    }
    char stackBuffer[kFormatStackBytes];
    va_list arguments;
    va_start(arguments, format);
    va_list retry;
    va_copy(retry, arguments);
    const int length = std::vsnprintf(stackBuffer, sizeof stackBuffer, format, arguments);
    va_end(arguments);
    if (length < 0) {
        va_end(retry);
        result = StringBase();
        return;
    }
    if (static_cast<size_t>(length) < sizeof stackBuffer) {
        va_end(retry);
        result.assign(stackBuffer, static_cast<uint32_t>(length));
        return;
    }
    std::vector<char> heapBuffer(static_cast<size_t>(length) + 1);
    std::vsnprintf(heapBuffer.data(), heapBuffer.size(), format, retry);
    va_end(retry);
    result.assign(heapBuffer.data(), static_cast<uint32_t>(length));
}

int32_t CVeskUtility::SimpleMessageBox(int32_t textNumber, eMessageBoxButtons buttons) {
    messageBoxes().Record(tMessageBox{textNumber, buttons});
    return 0;
}

bool CVeskUtility::LastMessageBox(tMessageBox& shown) { return messageBoxes().Last(shown); }

int32_t CVeskUtility::MessageBoxCount() { return messageBoxes().Count(); }

void CVeskUtility::ResetMessageBoxes() { messageBoxes().Reset(); }

StringBase CVeskUtility::FullVeskFilePathname(const StringBase& relative,
                                              eVeskFilePaths /*kind*/) {
    StringBase root;
    {
        tPathState& state = pathState();
        std::lock_guard<std::mutex> lock(state.mutex);
        root = state.root;
    }
    // Every kind of file lies under the one installation root.
    if (root.empty() || root[root.length() - 1] != '/') root += "/";
    return root + relative;
}

void CVeskUtility::SetInstallationRoot(const StringBase& root) {
    tPathState& state = pathState();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.root = root;
}

// --- CKOVeskLocalization ---------------------------------------------------

eKoVeskLocale CKOVeskLocalization::GetLocaleLanguage() {
    return static_cast<eKoVeskLocale>(g_localeLanguage.load(std::memory_order_relaxed));
}

void CKOVeskLocalization::SetLocaleLanguage(eKoVeskLocale locale) {
    g_localeLanguage.store(locale, std::memory_order_relaxed);
}

bool CKOVeskLocalization::LookupStatusDescriptor(int32_t code, const StringBase& prefix,
                                                 StringBase& result) {
    thread_local PublishedTable<tStatusDescriptorTable>::ReaderCache cache;
    const tStatusDescriptorTable& added = statusDescriptors().Read(cache);
    const auto byPrefix = added.find(viewOf(prefix));
    if (byPrefix != added.end()) {
        const auto byCode = byPrefix->second.find(code);
        if (byCode != byPrefix->second.end()) {
            assignTo(result, byCode->second);
            return true;
        }
    }
    if (viewOf(prefix) == kBuiltInStatusPrefix) {
        if (const char* text = FindVisaStatusDescription(code)) {
            result = text;
            return true;
        }
    }
    return false;
}

void CKOVeskLocalization::SetStatusDescriptor(const StringBase& prefix, int32_t code,
                                              const StringBase& description) {
    std::string key(viewOf(prefix));
    std::string text(viewOf(description));
    statusDescriptors().Update([&](tStatusDescriptorTable& table) {
        table[key][code] = text;
    });
}

void CKOVeskLocalization::ClearStatusDescriptors() {
    statusDescriptors().Update([](tStatusDescriptorTable& table) { table.clear(); });
}

// --- CKOVeskRegistry -------------------------------------------------------

bool CKOVeskRegistry::GetApiValue(EKoVeskApiType apiType, const StringBase& key,
                                  StringBase& value, bool /*userScope*/) {
    thread_local PublishedTable<tApiValueTable>::ReaderCache cache;
    const tApiValueTable& table = apiValues().Read(cache);
    const auto byApi = table.find(apiType);
    if (byApi == table.end()) return false;
    const auto byKey = byApi->second.find(viewOf(key));
    if (byKey == byApi->second.end()) return false;
    assignTo(value, byKey->second);
    return true;
}

void CKOVeskRegistry::SetApiValue(int32_t apiType, const StringBase& key,
                                  const StringBase& value) {
    std::string name(viewOf(key));
    std::string text(viewOf(value));
    apiValues().Update([&](tApiValueTable& table) { table[apiType][name] = text; });
}

void CKOVeskRegistry::RemoveApiValue(int32_t apiType, const StringBase& key) {
    apiValues().Update([&](tApiValueTable& table) {
        const auto byApi = table.find(apiType);
        if (byApi == table.end()) return;
        const auto byKey = byApi->second.find(viewOf(key));
        if (byKey != byApi->second.end()) byApi->second.erase(byKey);
        if (byApi->second.empty()) table.erase(byApi);
    });
}

void CKOVeskRegistry::ClearApiValues() {
    apiValues().Update([](tApiValueTable& table) { table.clear(); });
}

// --- CAppSettings ----------------------------------------------------------

bool CAppSettings::GetExportIsSummary() {
    return g_exportIsSummary.load(std::memory_order_relaxed);
}

void CAppSettings::SetExportIsSummary(bool summary) {
    g_exportIsSummary.store(summary, std::memory_order_relaxed);
}

// --- CHelpLauncher ---------------------------------------------------------

// The host program has no help viewer; a request is recorded for the host
// to act on (or for tests to inspect).
bool CHelpLauncher::Help(int32_t window, eHelpLauncherActions action, const char* topic,
                         const StringBase& helpFile) {
    helpRequests().Record(tRequest{window, action, StringBase(topic), helpFile});
    return true;
}

bool CHelpLauncher::LastRequest(tRequest& request) { return helpRequests().Last(request); }

int32_t CHelpLauncher::RequestCount() { return helpRequests().Count(); }

void CHelpLauncher::ResetRequests() { helpRequests().Reset(); }

// --- CProcThreadInfo -------------------------------------------------------

// Key function: the class's table and type information live here.
CProcThreadInfo::~CProcThreadInfo() = default;

void CProcThreadInfo::IncrementIndent(int steps) {
    const long long indent = static_cast<long long>(m_indent) + steps;
    if (indent < 0) {
        m_indent = 0;
    } else if (indent > std::numeric_limits<int>::max()) {
        m_indent = std::numeric_limits<int>::max();
    } else {
        m_indent = static_cast<int>(indent);
    }
}

void CProcThreadInfo::DecrementIndent(int steps) {
    IncrementIndent(steps == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max()
                                                             : -steps);
}

// --- CVeskApiInfo ----------------------------------------------------------

CVeskApiInfo* CVeskApiInfo::GetVeskApiInfo(EKoVeskApiType apiType) {
    tApiInfoStore& store = apiInfoStore();
    const int32_t type = apiType;
    if (type >= 0 && type < kDirectApiTypes) return &store.direct[type];
    std::lock_guard<std::mutex> lock(store.mutex);
    std::unique_ptr<CVeskApiInfo>& info = store.others[type];
    if (!info) info = std::make_unique<CVeskApiInfo>();
    return info.get();
}

void CVeskApiInfo::ResetAll() {
    tApiInfoStore& store = apiInfoStore();
    std::lock_guard<std::mutex> lock(store.mutex);
    for (CVeskApiInfo& info : store.direct) resetApiInfo(info);
    for (auto& entry : store.others) resetApiInfo(*entry.second);
}

// --- current property call -------------------------------------------------

extern "C" IKoVeskCall* VeskClasses_ListCtrl_GetCurrentPropertyCall() {
    try {
        return g_currentPropertyCall.load(std::memory_order_acquire);
    } catch (...) {
        return nullptr;
    }
}

extern "C" void VeskClasses_ListCtrl_SetCurrentPropertyCall(IKoVeskCall* call) {
    try {
        g_currentPropertyCall.store(call, std::memory_order_release);
    } catch (...) {
    }
}
