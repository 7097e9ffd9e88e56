// The plug-in on many host threads at once, meant to run under
// ThreadSanitizer (-DKOVESK_TSAN=ON), where any data race fails the run:
// the formatter singleton asked for at first use by many threads together,
// and many threads rendering records of their own at the same time while
// reading the host's settings, value names and status descriptions.
//
// Time stamps are left out: rendering one with the default date format sets
// the process's time locale, which is not safe to race by design.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "call/CVISACall.h"
#include "format/CVisaFormat.h"
#include "host/CKOVeskMemoryLogger.h"
#include "host/VeskServices.h"

namespace nKoVeskLog210 {
namespace {

constexpr int kThreads = 8;

// Starts `kThreads` threads that each run `work(thread)` after all of them
// have started, so that they really run together.
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

// --- the singleton at first use --------------------------------------------------

// Runs in a process of its own (a death-test child that re-executes this
// program for this test alone), so nothing has asked for the formatter yet.
void askForTheFormatterTogether() {
    std::vector<CVisaFormat*> seen(kThreads, nullptr);
    runTogether([&](int t) { seen[static_cast<size_t>(t)] = CVisaFormat::GetSingletonVisaFormatter(); });
    for (CVisaFormat* formatter : seen) {
        if (formatter == nullptr || formatter != seen[0]) std::exit(1);
    }
    // A normal exit, so that ThreadSanitizer's report of a race turns into
    // its failing exit status.
    std::exit(0);
}

TEST(FormatterSingletonTest, ManyThreadsAtFirstUseGetOneFormatter) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(askForTheFormatterTogether(), ::testing::ExitedWithCode(0), "");
}

// --- records rendered side by side ------------------------------------------------

using Bytes = std::vector<unsigned char>;

constexpr int kIterations = 20;

Bytes wordOf(uint32_t value) {
    Bytes bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}
Bytes textOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

void addParam(CKOVeskMemoryLogger& logger, const char* name, int type, const Bytes& bytes,
              int elementSize = 1) {
    const int index = logger.AddParam(name, type);
    logger.SetParamBytes(index, bytes.data(), bytes.size());
    logger.SetParamElementSize(index, elementSize);
}

bool answerValueName(const IKoVeskLogger* logger, int index, eKoVeskLocale, bool compact,
                     uint32_t capacity, wchar_t* buffer) {
    uint32_t value = 0;
    logger->GetParamUInt32(index, &value);
    if (value != 0x3FFF001A) return false;
    std::swprintf(buffer, capacity, compact ? L"TIMEOUT" : L"HOST_ATTR_TIMEOUT");
    return true;
}

// One captured call with its loggers, built the same way by every thread.
struct CapturedCall {
    CKOVeskMemoryLogger input;
    CKOVeskMemoryLogger output;
};

// Five kinds of call: a write on a named session, a failed read of a
// kilobyte, an attribute named by the host, a partly captured buffer, and a
// call of `otherApiType`, an API family whose host information is made on
// first use (the host names nothing for it, so its type does not show).
constexpr int kKinds = 5;
constexpr int kOtherApiTypes = 100;

void capture(int kind, int otherApiType, CapturedCall& call) {
    CKOVeskMemoryLogger& in = call.input;
    CKOVeskMemoryLogger& out = call.output;
    switch (kind) {
    case 0:
        in.SetFunction("viWrite", 0x1234, eKoVeskApiVisa);
        addParam(in, "dummysesvi", 45, textOf("GPIB0::1::INSTR"));
        addParam(in, "vi", 35, wordOf(0x10));
        addParam(in, "buf", 14, wordOf(0x7000));
        addParam(in, "*buf", 14, textOf("*IDN?\n"));
        addParam(in, "retCount", 2, wordOf(0x8000));
        addParam(out, "*retCount", 1, wordOf(6));
        addParam(out, nullptr, 23, wordOf(0));
        out.SetReturnParamIndex(1);
        break;
    case 1: {
        in.SetFunction("viRead", 0x1235, eKoVeskApiVisa);
        addParam(in, "vi", 35, wordOf(0x10));
        addParam(in, "buf", 10, wordOf(0x7000));
        Bytes data(1024);
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 7);
        addParam(out, "*buf", 10, data);
        addParam(out, nullptr, 23, wordOf(0xBFFF0015));
        out.SetReturnParamIndex(1);
        out.SetSuccessStatus(false);
        break;
    }
    case 2:
        in.SetFunction("viGetAttribute", 0x6312, eKoVeskApiVisa);
        addParam(in, "vi", 35, wordOf(0x10));
        addParam(in, "attribute", 29, wordOf(0x3FFF001A));
        addParam(in, "event", 27, wordOf(0x3FFF200B));
        addParam(in, "flags", 22, Bytes{1, 0, 0, 0, 1, 0}, 2);
        addParam(out, nullptr, 23, wordOf(0x3FFF0085));
        out.SetReturnParamIndex(0);
        break;
    case 3: {
        in.SetFunction("viMoveOut32", 0x1236, eKoVeskApiVisa);
        addParam(in, "buf", 4, wordOf(0x7000));
        addParam(in, "*buf", 4, Bytes(64, 0x41));
        in.SetParamTruncated(1, true);
        in.SetParamFullSize(1, 4000);
        addParam(in, "reals", 20, Bytes(24, 0x3F), 8);
        addParam(out, nullptr, 23, wordOf(0));
        out.SetReturnParamIndex(0);
        break;
    }
    default:
        in.SetFunction("otherCall", 0x0102, otherApiType);
        addParam(in, "attribute", 29, wordOf(0x3FFF001A));
        addParam(in, "named", 103, Bytes(8, 1));
        addParam(out, nullptr, 23, wordOf(0xBFFF0015));
        out.SetFunction("otherCall", 0x0102, otherApiType);
        out.SetReturnParamIndex(0);
        break;
    }
}

void appendLines(std::string& text, const std::vector<StringBase>& lines) {
    for (const StringBase& line : lines) (text += line.c_str()) += '\n';
}

// Everything the host asks of a record, as one text.
std::string renderEverything(int kind, int otherApiType = kOtherApiTypes) {
    CapturedCall call;
    capture(kind, otherApiType, call);
    CProcThreadInfo thread;
    CVISACall record;
    record.InitProcThreadInfo(&thread);
    bool handled = false;
    record.ProcessLoggerInput(&call.input, handled);
    record.FormatCallDescriptionInput();
    std::string text = std::string(record.GetDescription().c_str()) + '\n';
    record.ProcessLoggerMatchingOutput(&call.output);
    record.FormatCallDescriptionOutput();
    (text += record.GetDescription().c_str()) += '\n';
    (text += record.FormatColumnText(IKoVeskCall::eColumnStatus).c_str()) += '\n';

    for (const auto use : {IKoVeskCall::eExportUseText, IKoVeskCall::eExportUseQuoted,
                           IKoVeskCall::eExportUseLimited}) {
        std::vector<StringBase> lines(static_cast<size_t>(record.GetNumberOfLinesToExport(use)));
        record.FormatForOutput(lines.data(), static_cast<int>(lines.size()), use);
        appendLines(text, lines);
    }

    CallTag element = record.BuildXmlElement();
    record.SetXmlCallStatus(element);
    (text += element.statusName.c_str()) += element.statusDescription.c_str();
    for (const auto& parameter : element.inputParameters) {
        ((text += parameter.name.c_str()) += '=') += parameter.value.c_str();
    }

    std::vector<StringBase> names;
    std::vector<StringBase> values;
    record.SetPageInputParamData(names, values, eFormatFull);
    appendLines(text, values);
    record.SetPageOutputParamData(names, values, eFormatFull);
    appendLines(text, values);
    StringBase value;
    StringBase description;
    record.SetPageOutputRetvalData(value, description);
    ((text += value.c_str()) += description.c_str()) += '\n';
    CVISACall::eButtonState attribute = CVISACall::eButtonNone;
    CVISACall::eButtonState event = CVISACall::eButtonNone;
    record.SetPageInputButtonData(attribute, event);
    text += std::to_string(attribute) + std::to_string(event);
    for (uint32_t b = 0; b < record.GetBufferListSize(); ++b) {
        StringBase heading;
        record.SetPageBufferParamData(static_cast<int>(b), heading, names);
        appendLines(text, names);
    }
    return text;
}

class RenderingThreadsTest : public ::testing::Test {
protected:
    // The host's settings are made before any thread renders.
    void SetUp() override {
        CVeskApiInfo::ResetAll();
        CVeskApiInfo* visa = CVeskApiInfo::GetVeskApiInfo(eKoVeskApiVisa);
        visa->hasValueNames = true;
        visa->valueNameCallback = answerValueName;
        CKOVeskRegistry::SetApiValue(eKoVeskApiVisa, "StatusPrefix", "VISA");
        CKOVeskLocalization::SetStatusDescriptor("VISA", 0x3FFF0085, "Unknown status");
        CAppSettings::SetExportIsSummary(false);
    }
    void TearDown() override {
        CVeskApiInfo::ResetAll();
        CKOVeskRegistry::ClearApiValues();
        CKOVeskLocalization::ClearStatusDescriptors();
    }
};

TEST_F(RenderingThreadsTest, RecordsRenderedSideBySideMatchTheirRenderingAlone) {
    std::vector<std::string> expected;
    for (int kind = 0; kind < kKinds; ++kind) expected.push_back(renderEverything(kind));

    std::atomic<int> mismatches{0};
    runTogether([&](int t) {
        for (int i = 0; i < kIterations; ++i) {
            const int kind = (t + i) % kKinds;
            // Every thread brings API families the host has not seen yet.
            const int otherApiType = kOtherApiTypes + 1 + t * kIterations + i;
            if (renderEverything(kind, otherApiType) != expected[static_cast<size_t>(kind)]) {
                ++mismatches;
            }
        }
    });
    EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
}  // namespace nKoVeskLog210
