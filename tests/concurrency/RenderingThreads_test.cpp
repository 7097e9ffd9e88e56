// Many host threads at once, for ThreadSanitizer (-DKOVESK_TSAN=ON), where any race fails the run.
// No time stamps: the default date format sets the process's time locale, unsafe to race by design.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

#include "format/CVisaFormat.h"
#include "tests/call/CallTestSupport.h"

namespace kovesk_test {
namespace {

using nKoVeskLog210::CVisaFormat;

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

bool answerValueName(const IKoVeskLogger* logger, int index, eKoVeskLocale, bool compact,
                     uint32_t capacity, wchar_t* buffer) {
    uint32_t value = 0;
    logger->GetParamUInt32(index, &value);
    if (value != kTmoValue) return false;
    std::swprintf(buffer, capacity, compact ? L"TIMEOUT" : L"HOST_ATTR_TIMEOUT");
    return true;
}

// Kinds of call reading host state: a write's buffer (export settings), an attribute and status
// the host names, and a call of an API family the host does not know (whose record all share).
constexpr int kKinds = 3;

// What the host asks of a record, as one text.
std::string render(int kind) {
    static const char* const kFunctions[kKinds] = {"viWrite", "viGetAttribute", "otherCall"};
    static const uint32_t kStatuses[kKinds] = {0, 0x3FFF0085, kTimeout};
    LoggedCall call(kFunctions[kind], kind == 2 ? 1000 : eKoVeskApiVisa);
    if (kind == 0) {
        call.enter({{"buf", 14, u32(0x7000)}, {"*buf", 14, text("*IDN?\n")}});
    } else {
        call.enter({{"attribute", code::kAttribute, u32(kTmoValue)}});
    }
    std::string shown = call.description() + '\n';
    call.returnWith({}, kStatuses[kind]);
    shown += call.description() + '\n' + call.record.FormatColumnText(IKoVeskCall::eColumnStatus).c_str() + '\n';
    for (const std::string& line : exportLines(call.record, IKoVeskCall::eExportUseText)) shown += line + '\n';
    std::vector<StringBase> names, values;
    call.record.SetPageInputParamData(names, values, nKoVeskLog210::eFormatFull);
    for (const std::string& value : strings(values)) shown += value + '\n';
    StringBase value, description;
    call.record.SetPageOutputRetvalData(value, description);
    return shown + value.c_str() + description.c_str();
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

// Every thread renders every kind.
TEST_F(RenderingThreadsTest, RecordsRenderedSideBySideMatchTheirRenderingAlone) {
    constexpr int kIterations = 20;
    std::vector<std::string> expected;
    for (int kind = 0; kind < kKinds; ++kind) expected.push_back(render(kind));
    std::atomic<int> mismatches{0};
    runTogether([&](int t) {
        for (int i = 0; i < kIterations; ++i) {
            const int kind = (t + i) % kKinds;
            if (render(kind) != expected[size_t(kind)]) ++mismatches;
        }
    });
    EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
}  // namespace kovesk_test
