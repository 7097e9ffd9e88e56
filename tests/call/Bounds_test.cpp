// The record's fixed working buffers under the longest texts a capture can
// bring: the 1024-character description, the 1024-character values of page
// rows and XML parameters, and the 128-byte dump lines.
#include <cwchar>
#include <string>

#include "call/RecordLimits.h"
#include "CallTestSupport.h"

namespace kovesk_test {
namespace {

using nKoVeskLog210::kDescriptionBufferSize;

// The host names every value of the VISA API with 1023 characters.
bool longHostName(const IKoVeskLogger*, int, eKoVeskLocale, bool, uint32_t capacity, wchar_t* buffer) {
    const std::wstring name(1023, L'n');
    if (name.size() >= capacity) return false;
    std::wmemcpy(buffer, name.c_str(), name.size() + 1);
    return true;
}

class BoundsTest : public CallRecordTest {
protected:
    void SetUp() override {
        CallRecordTest::SetUp();
        CVeskApiInfo* visa = CVeskApiInfo::GetVeskApiInfo(eKoVeskApiVisa);
        visa->hasValueNames = true;
        visa->valueNameCallback = longHostName;
    }
    void TearDown() override { resetHost(); }
};

// An argument that fills a whole value buffer never fits behind the
// function name, and a function name longer than the buffer is cut: the
// line says so.
TEST_F(BoundsTest, DescriptionOfTheLongestValuesAndNames) {
    LoggedCall values("f");
    values.enter({{"dummysesvi", code::kText, text(std::string(3000, 's'))}, {"vi", code::kSession, u32(0x10)}});
    EXPECT_EQ(values.description(), "f (...)");

    const std::string function(3000, 'F');
    LoggedCall named(function.c_str());
    named.enter({{"count", code::kUInt32, u32(1)}});
    const std::string line = named.description();
    const size_t room = kDescriptionBufferSize - 1 - 2 - 4;  // less the terminator and ", ...)"
    EXPECT_LT(line.size(), kDescriptionBufferSize);
    EXPECT_EQ(line.substr(0, room), function.substr(0, room));
    EXPECT_EQ(line.substr(line.size() - 4), "...)");
}

// A value of 1023 characters reaches the page rows and the XML parameters
// whole: cut inside the host's name, the parenthesis kept.
TEST_F(BoundsTest, LongestValuesInRowsAndXml) {
    LoggedCall call("f");
    call.enter({{"attribute", code::kAttribute, u32(kTmoValue)},
                {"dummysesvi", code::kText, text(std::string(3000, 's'))},
                {"vi", code::kSession, u32(0x10)}});
    call.returnWith({}, 0);
    const std::vector<std::string> expected = {"0x3FFF001A (" + std::string(1010, 'n') + ")",
                                               std::string(1010, 's') + " (0x00000010)"};
    std::vector<StringBase> names, values;
    call.record.SetPageInputParamData(names, values, nKoVeskLog210::eFormatFull);
    EXPECT_EQ(strings(values), expected);
    const CallTag element = call.record.BuildXmlElement();
    ASSERT_EQ(element.inputParameters.size(), 2u);
    for (size_t i = 0; i < 2; ++i) EXPECT_EQ(element.inputParameters[i].value.c_str(), expected[i]);
}

// The widest dump lines there are, of 16-bit booleans (11 + 12 columns of 7
// in the export, 6 columns on the page), fit the export's and the page's
// line buffers.
TEST_F(BoundsTest, WidestDumpLinesInTheExportAndOnThePage) {
    LoggedCall call("viWrite");
    call.enter({{"buf", 22, u64(0x1000)}, {"*buf", 22, Bytes(48, 1)}});
    call.input.SetParamElementSize(1, 2);
    const Lines lines = exportLines(call.record, IKoVeskCall::eExportUseText);
    ASSERT_EQ(lines.size(), 4u);
    for (size_t k = 2; k < lines.size(); ++k) EXPECT_EQ(lines[k].size(), 95u) << lines[k];
    StringBase heading;
    std::vector<StringBase> pageLines;
    call.record.SetPageBufferParamData(0, heading, pageLines);
    ASSERT_EQ(pageLines.size(), 4u);
    for (const std::string& line : strings(pageLines)) EXPECT_EQ(line.size(), 11u + 6 * 7) << line;
}

}  // namespace
}  // namespace kovesk_test
