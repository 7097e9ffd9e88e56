// The property pages: which pages a call offers, their rows, the help
// buttons, the return value with its description and the buffer dump.
#include <cwchar>
#include <string>

#include "call_test_support.h"

namespace call_test {
namespace {

using nKoVeskLog210::eFormatFull;
using PropertyPagesTest = CallRecordTest;
using Rows = std::vector<std::pair<std::string, std::string>>;
using Button = CVISACall::eButtonState;

Rows inputRows(const CVISACall& record) {
    std::vector<StringBase> names, values;
    record.SetPageInputParamData(names, values, eFormatFull);
    Rows rows;
    for (size_t k = 0; k < names.size(); ++k) rows.emplace_back(names[k].c_str(), values[k].c_str());
    return rows;
}

Rows outputRows(const CVISACall& record) {
    std::vector<StringBase> names{"stale"}, values{"stale"};
    record.SetPageOutputParamData(names, values, eFormatFull);
    Rows rows;
    for (size_t k = 0; k < names.size(); ++k) rows.emplace_back(names[k].c_str(), values[k].c_str());
    return rows;
}

// --- rows: the cases that tell the naming rules apart ---------------------

struct RowCase {
    const char* label;
    std::vector<Param> input;
    std::vector<Param> output;
    Rows inputRows;
    Rows outputRows;
};

class RowTest : public CallRecordTest, public ::testing::WithParamInterface<RowCase> {};

TEST_P(RowTest, RowsOfBothPages) {
    const RowCase& c = GetParam();
    CapturedCall call("fn");
    call.enter(c.input);
    call.returnWith(c.output, 0);
    EXPECT_EQ(inputRows(call.record), c.inputRows);
    EXPECT_EQ(outputRows(call.record), c.outputRows);
}

INSTANTIATE_TEST_SUITE_P(
    Naming, RowTest,
    ::testing::Values(
        // A listed buffer shows only on the buffer page; its pointer gets "&".
        RowCase{"ListedBuffer",
                {{"buf", code::kByteArray, u64(0x1000)}, {"*buf", code::kByteArray, text("DATA")}},
                {},
                {{"&buf", "0x0000000000001000"}},
                {}},
        // Not listed (other type codes): the pointee keeps a row of its own.
        RowCase{"UnlistedPointee",
                {{"buf", code::kInt32Array, u64(0x1000)}, {"*buf", code::kUInt32, u32(4)}},
                {},
                {{"&buf", "0x0000000000001000"}, {"*buf", "4 (0x4)"}},
                {}},
        RowCase{"SameNameTwice",
                {{"count", code::kInt32Array, u64(0x1000)}, {"count", code::kUInt32, u32(3)}},
                {},
                {{"&count", "0x0000000000001000"}, {"*count", "3 (0x3)"}},
                {}},
        // A returned value of another type code is an output row; of the
        // same type code it is not.
        RowCase{"ReturnedOfOtherType",
                {{"vi", code::kSession, u32(1)}, {"retCount", code::kInt32Array, u64(0x2000)}},
                {{"*retCount", code::kUInt32, u32(6)}},
                {{"vi", "0x00000001"}, {"&retCount", "0x0000000000002000"}},
                {{"*retCount", "6 (0x6)"}}},
        RowCase{"ReturnedOfSameType",
                {{"vi", code::kSession, u32(1)}, {"retCount", code::kInt32Array, u64(0x2000)}},
                {{"*retCount", code::kInt32Array, u64(0x3000)}},
                {{"vi", "0x00000001"}, {"&retCount", "0x0000000000002000"}},
                {}},
        // Hidden session parameters and nameless ones have no rows.
        RowCase{"Hidden",
                {{"dummyses", code::kText, text("ASRL1::INSTR")}, {"vi", code::kSession, u32(1)}},
                {{"dummyses", code::kUInt32, u32(1)}},
                {{"vi", "ASRL1::INSTR (0x00000001)"}},
                {}},
        RowCase{"Nameless",
                {{nullptr, code::kUInt32, u32(1)}, {"", code::kUInt32, u32(2)},
                 {"n", code::kUInt32, u32(3)}},
                {{nullptr, code::kUInt32, u32(1)}},
                {{"n", "3 (0x3)"}},
                {}}),
    [](const ::testing::TestParamInfo<RowCase>& info) { return info.param.label; });

// --- window: pages are offered only with content ------------------------

StringBase pagePath(const char* relative) {
    return CVeskUtility::FullVeskFilePathname(relative, CVeskUtility::eVeskFilePropertyPages);
}

std::vector<std::string> pagesOf(const CVISACall& record, std::string& title) {
    StringBase titleText;
    std::vector<StringBase> pages;
    record.ShowProperties(titleText, pages);
    title = titleText.c_str();
    return strings(pages);
}

TEST_F(PropertyPagesTest, ShowPropertiesOffersPagesWithContent) {
    const std::string general = pagePath("PropPagesGeneral.pxb/General.pxv").c_str();
    std::string title;

    CapturedCall full("viWrite");
    full.enter({{"buf", code::kByteArray, u64(0x1000)}, {"*buf", code::kByteArray, text("DATA")}});
    full.returnWith({}, 0);
    EXPECT_EQ(pagesOf(full.record, title),
              (std::vector<std::string>{general,
                                        pagePath("PropPagesVisa.pxb/Visa_Input.pxv").c_str(),
                                        pagePath("PropPagesVisa.pxb/Visa_Output.pxv").c_str(),
                                        pagePath("PropPagesVisa.pxb/Visa_Buffer.pxv").c_str()}));
    EXPECT_EQ(title, "Call Properties: viWrite");

    CapturedCall empty("viFlush");
    empty.enter({});
    empty.record.ProcessLoggerMatchingOutput(&empty.output);
    EXPECT_EQ(pagesOf(empty.record, title), (std::vector<std::string>{general}));
    EXPECT_EQ(title, "Call Properties: viFlush");

    CapturedCall unidentified("unknown", -1);
    unidentified.enter({{"vi", code::kSession, u32(1)}});
    EXPECT_EQ(pagesOf(unidentified.record, title), (std::vector<std::string>{general}));
    EXPECT_EQ(title, "Call Properties");
}

// --- help buttons: offered for VISA and for APIs whose values the host names

bool nameTimeoutOnly(const IKoVeskLogger* logger, int index, eKoVeskLocale, bool,
                     uint32_t capacity, wchar_t* buffer) {
    uint32_t value = 0;
    logger->GetParamUInt32(index, &value);
    if (value != 0x3FFF001A || capacity < 8) return false;
    std::wcscpy(buffer, L"TIMEOUT");
    return true;
}

TEST_F(PropertyPagesTest, ButtonStatesFollowTheApiAndTheNames) {
    struct Case {
        int apiType;
        bool hostNamesValues;
        uint32_t attribute;
        Button attributeButton;
    };
    const Case cases[] = {
        {3, false, 0x3FFF001A, CVISACall::eButtonKnownName},
        {3, false, 0x3FFF9999, CVISACall::eButtonUnknownName},
        {5, false, 0x3FFF001A, CVISACall::eButtonNone},
        {5, true, 0x3FFF001A, CVISACall::eButtonKnownName},
        {5, true, 0x3FFF9999, CVISACall::eButtonUnknownName},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "api " << c.apiType << ", host names "
                                          << c.hostNamesValues << ", " << std::hex << c.attribute);
        CVeskApiInfo::ResetAll();
        CVeskApiInfo* info = CVeskApiInfo::GetVeskApiInfo(static_cast<EKoVeskApiType>(c.apiType));
        info->hasValueNames = c.hostNamesValues;
        info->valueNameCallback = c.hostNamesValues ? nameTimeoutOnly : nullptr;
        CapturedCall call("viSetAttribute", 0x6342, c.apiType);
        call.enter({{"vi", code::kSession, u32(1)}, {"attribute", code::kAttribute, u32(c.attribute)}});
        Button attribute = CVISACall::eButtonKnownName;
        Button event = CVISACall::eButtonKnownName;
        call.record.SetPageInputButtonData(attribute, event);
        EXPECT_EQ(attribute, c.attributeButton);
        EXPECT_EQ(event, c.attributeButton == CVISACall::eButtonNone ? CVISACall::eButtonNone
                                                                      : CVISACall::eButtonUnknownName);
    }
}

// --- return value: the status text and its description -------------------

// Records the status code that the record asks a description for.
class RecordingFormat : public nKoVeskLog210::CVisaFormat {
public:
    bool LookupStatusDescriptor(EKoVeskApiType apiType, const StringBase& statusText,
                                StringBase& descriptor) const override {
        askedCodes.emplace_back(statusText.c_str());
        return CVisaFormat::LookupStatusDescriptor(apiType, statusText, descriptor);
    }
    mutable std::vector<std::string> askedCodes;
};

TEST_F(PropertyPagesTest, ReturnValueAndItsDescription) {
    CKOVeskRegistry::SetApiValue(3, "StatusPrefix", "VISA");
    CKOVeskRegistry::SetApiValue(2, "StatusPrefix", "BUS");
    CKOVeskLocalization::SetStatusDescriptor("BUS", 0x63000007, "Bus status seven.");
    struct Case {
        const char* label;
        int apiType;
        int statusType;
        uint32_t status;
        const char* value;
        const char* code;
        const char* description;
    };
    const Case cases[] = {
        {"success", 3, code::kStatus, 0, "0 (VI_SUCCESS)", "00000000",
         "The operation completed successfully."},
        {"timeout", 3, code::kStatus, 0xBFFF0015, "0xBFFF0015 (VI_ERROR_TMO)", "BFFF0015",
         "The operation did not finish within the timeout period."},
        // API 2: the function's group and the decimal status, "%04X%04X".
        {"api2", 2, code::kInt32, 7, "7 (0x7)", "63000007", "Bus status seven."},
        // Neither the success text nor "0x" in it: an empty code.
        {"noHex", 5, code::kDecimal16, 5, "5", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        RecordingFormat formatter;
        BasicCapturedCall<RecordUsing<RecordingFormat>> call("fn", 0x6342, c.apiType, formatter);
        call.enter({{"vi", code::kSession, u32(1)}});
        call.returnWith({}, c.status, c.status == 0, c.statusType);
        StringBase value, description("stale");
        call.record.SetPageOutputRetvalData(value, description);
        EXPECT_STREQ(value.c_str(), c.value);
        EXPECT_EQ(formatter.askedCodes, std::vector<std::string>{c.code});
        EXPECT_STREQ(description.c_str(), c.description);
    }
}

// --- buffer page ---------------------------------------------------------

TEST_F(PropertyPagesTest, BufferPageDumpsTheChosenBuffer) {
    CapturedCall call("fn");
    call.enter({{"empty", code::kByteArray, {}}, {"data", code::kByteArray, text("0123456789")}});
    call.record.AddBufferToList("empty", IKoVeskCall::eLogDataInput, 0);
    call.record.AddBufferToList("data", IKoVeskCall::eLogDataInput, 1);

    StringBase heading("untouched");
    std::vector<StringBase> lines{"stale", "stale"};
    call.record.SetPageBufferParamData(0, heading, lines);
    EXPECT_EQ(strings(lines), (std::vector<std::string>{"00000000:  "}));
    EXPECT_STREQ(heading.c_str(), "untouched");

    call.record.SetPageBufferParamData(1, heading, lines);
    EXPECT_STREQ(heading.c_str(), "Buffer contents:");
    EXPECT_EQ(strings(lines), (std::vector<std::string>{
                                  "00000000:  30 31 32 33 34 35 36 37  01234567",
                                  "00000008:  38 39 " + std::string(18, ' ') + " 89"}));

    // A position outside the list is a caller's error: the page shows an
    // empty heading and no lines, and nothing else happens.
    for (const int outside : {-1, 2, 1 << 30}) {
        StringBase staleHeading("stale");
        std::vector<StringBase> staleLines{"stale"};
        call.record.SetPageBufferParamData(outside, staleHeading, staleLines);
        EXPECT_STREQ(staleHeading.c_str(), "");
        EXPECT_TRUE(staleLines.empty());
    }
}

}  // namespace
}  // namespace call_test
