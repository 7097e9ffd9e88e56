// The call record's fixed working buffers under the longest texts a capture
// can bring: the 1024-character description, the 1024-character values of
// page rows and XML parameters, and the 128-byte dump lines of the export
// and the buffer page.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "call/CVISACall.h"
#include "call/RecordLimits.h"
#include "host/CKOVeskMemoryLogger.h"
#include "host/VeskServices.h"

namespace nKoVeskLog210 {
namespace {

using Bytes = std::vector<unsigned char>;

constexpr int kUnsignedCode = 1;
constexpr int kStatusCode = 23;
constexpr int kAttributeCode = 29;
constexpr int kSessionCode = 35;
constexpr int kTextCode = 45;
constexpr int kByteArrayCode = 10;
constexpr int kBooleanArrayCode = 22;

Bytes textOf(const std::string& text) { return Bytes(text.begin(), text.end()); }
Bytes wordOf(uint32_t value) {
    Bytes bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

int addParam(CKOVeskMemoryLogger& logger, const char* name, int type, const Bytes& bytes) {
    const int index = logger.AddParam(name, type);
    logger.SetParamBytes(index, bytes.data(), bytes.size());
    return index;
}

// The host's answer to every value-name request of the VISA API.
std::wstring g_hostName;

bool answerHostName(const IKoVeskLogger*, int, eKoVeskLocale, bool, uint32_t capacity,
                    wchar_t* buffer) {
    if (g_hostName.empty() || g_hostName.size() >= capacity) return false;
    std::wmemcpy(buffer, g_hostName.c_str(), g_hostName.size() + 1);
    return true;
}

class RecordBoundsTest : public ::testing::Test {
protected:
    void SetUp() override {
        CVeskApiInfo::ResetAll();
        CVeskApiInfo* visa = CVeskApiInfo::GetVeskApiInfo(eKoVeskApiVisa);
        visa->hasValueNames = true;
        visa->valueNameCallback = answerHostName;
        g_hostName.clear();
        CAppSettings::SetExportIsSummary(false);
        m_input.SetFunction("f", 1, eKoVeskApiVisa);
        m_output.SetFunction("f", 1, eKoVeskApiVisa);
    }
    void TearDown() override { CVeskApiInfo::ResetAll(); }

    // Enters the call, describes it, and returns with a successful status.
    void enterAndReturn() {
        bool handled = false;
        m_record.ProcessLoggerInput(&m_input, handled);
        m_record.FormatCallDescriptionInput();
        m_output.SetReturnParamIndex(addParam(m_output, nullptr, kStatusCode, wordOf(0)));
        m_record.ProcessLoggerMatchingOutput(&m_output);
    }

    std::string description() const { return m_record.GetDescription().c_str(); }

    std::vector<std::string> exportLines(IKoVeskCall::eCallExportUse use) const {
        const int count = m_record.GetNumberOfLinesToExport(use);
        std::vector<StringBase> lines(static_cast<size_t>(count));
        m_record.FormatForOutput(lines.data(), count, use);
        std::vector<std::string> texts;
        for (const StringBase& line : lines) texts.emplace_back(line.c_str());
        return texts;
    }

    CKOVeskMemoryLogger m_input;
    CKOVeskMemoryLogger m_output;
    CVISACall m_record;
};

// --- the description ---------------------------------------------------------------

// Room before the closing parenthesis: the working buffer less the
// terminator and the ", ...)" that ends a cut line.
constexpr size_t kDescriptionContent = kDescriptionBufferSize - 1 - 2 - 4;

// Texts of 256 bytes render as 258 characters in the call description.
std::string text256(char fill) { return std::string(256, fill); }

struct tDescriptionCase {
    const char* why;
    size_t lastTextSize;  // bytes of the fourth argument, after three of 256
    bool cut;
};

TEST_F(RecordBoundsTest, DescriptionKeepsWholeArgumentsUpToItsRoom) {
    // "f (" + 3 * 258 + 3 * ", " leaves 234 characters for the fourth
    // argument, that is 232 bytes between its quotes.
    const tDescriptionCase cases[] = {
        {"the line fills the room exactly", 232, false},
        {"one character more drops the argument", 233, true},
    };
    for (const tDescriptionCase& c : cases) {
        SCOPED_TRACE(c.why);
        CKOVeskMemoryLogger input;
        input.SetFunction("f", 1, eKoVeskApiVisa);
        std::string whole = "f (";
        for (int i = 0; i < 3; ++i) {
            const std::string name = "text" + std::to_string(i);
            addParam(input, name.c_str(), kTextCode, textOf(text256(static_cast<char>('a' + i))));
            whole += "\"" + text256(static_cast<char>('a' + i)) + "\", ";
        }
        addParam(input, "last", kTextCode, textOf(std::string(c.lastTextSize, 'z')));
        CVISACall record;
        bool handled = false;
        record.ProcessLoggerInput(&input, handled);
        record.FormatCallDescriptionInput();
        const std::string line = record.GetDescription().c_str();
        if (c.cut) {
            EXPECT_EQ(line, whole + "...)");
        } else {
            EXPECT_EQ(line, whole + "\"" + std::string(c.lastTextSize, 'z') + "\")");
            EXPECT_EQ(line.size(), kDescriptionContent + 1);
        }
    }
}

// Arguments that each fill a whole value buffer never fit behind the
// function name; the line says so and stays within the buffer.
TEST_F(RecordBoundsTest, LongestValuesInTheDescription) {
    g_hostName = std::wstring(1023, L'n');
    addParam(m_input, "dummysesvi", kTextCode, textOf(std::string(3000, 's')));
    addParam(m_input, "vi", kSessionCode, wordOf(0x10));
    addParam(m_input, "attribute", kAttributeCode, wordOf(0x3FFF001A));
    addParam(m_input, "text", kTextCode, textOf(std::string(3000, 't')));
    bool handled = false;
    m_record.ProcessLoggerInput(&m_input, handled);
    m_record.FormatCallDescriptionInput();
    EXPECT_EQ(description(), "f (...)");
}

TEST_F(RecordBoundsTest, FunctionNameLongerThanTheDescription) {
    const std::string name(3000, 'F');
    m_input.SetFunction(name.c_str(), 1, eKoVeskApiVisa);
    addParam(m_input, "count", kUnsignedCode, wordOf(1));
    bool handled = false;
    m_record.ProcessLoggerInput(&m_input, handled);
    m_record.FormatCallDescriptionInput();
    const std::string line = description();
    EXPECT_LT(line.size(), kDescriptionBufferSize);
    EXPECT_EQ(line.substr(0, kDescriptionContent), name.substr(0, kDescriptionContent));
    EXPECT_EQ(line.substr(line.size() - 4), "...)");
}

// --- page rows and XML parameters ----------------------------------------------------

// A value of 1023 characters (a host name of 1023 characters behind the
// value) reaches the rows whole: cut inside the name, parenthesis kept.
TEST_F(RecordBoundsTest, LongestValuesInRowsAndXml) {
    g_hostName = std::wstring(1023, L'n');
    addParam(m_input, "attribute", kAttributeCode, wordOf(0x3FFF001A));
    addParam(m_input, "dummysesvi", kTextCode, textOf(std::string(3000, 's')));
    addParam(m_input, "vi", kSessionCode, wordOf(0x10));
    enterAndReturn();
    const std::string named = "0x3FFF001A (" + std::string(1010, 'n') + ")";
    const std::string session = std::string(1010, 's') + " (0x00000010)";

    std::vector<StringBase> names;
    std::vector<StringBase> values;
    m_record.SetPageInputParamData(names, values, eFormatFull);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(std::string(values[0].c_str()), named);
    EXPECT_EQ(std::string(values[1].c_str()), session);

    const CallTag element = m_record.BuildXmlElement();
    ASSERT_EQ(element.inputParameters.size(), 2u);
    EXPECT_EQ(std::string(element.inputParameters[0].value.c_str()), named);
    EXPECT_EQ(std::string(element.inputParameters[1].value.c_str()), session);
}

// --- dump lines --------------------------------------------------------------------

struct tDumpCase {
    const char* why;
    int type;
    int elementSize;
    Bytes bytes;
    int fullSize;  // 0: captured whole
    size_t wideLength;     // length of every dump line of the export
    size_t compactLength;  // length of every line of the buffer page
};

TEST_F(RecordBoundsTest, WidestDumpLinesInTheExportAndOnThePage) {
    const tDumpCase cases[] = {
        // 11 + 12 columns of 7 characters: the widest line there is.
        {"16-bit booleans", kBooleanArrayCode, 2, Bytes(48, 1), 0, 95, 11 + 6 * 7},
        {"byte booleans", kBooleanArrayCode, 1, Bytes(24, 0), 0, 95, 11 + 6 * 7},
        {"bytes", kByteArrayCode, 1, Bytes(32, 'x'), 0, 76, 44},
        // The tail of a partly captured 2 GiB value: offsets near 2^31 still
        // take eight digits.
        {"tail of a 2 GiB value", kByteArrayCode, 1, Bytes(64, 'y'), 0x7FFFFFF0, 76, 44},
    };
    for (const tDumpCase& c : cases) {
        SCOPED_TRACE(c.why);
        CKOVeskMemoryLogger input;
        CKOVeskMemoryLogger output;
        input.SetFunction("viWrite", 1, eKoVeskApiVisa);
        addParam(input, "buf", c.type, wordOf(0x1000));
        const int data = addParam(input, "*buf", c.type, c.bytes);
        input.SetParamElementSize(data, c.elementSize);
        if (c.fullSize != 0) {
            input.SetParamTruncated(data, true);
            input.SetParamFullSize(data, c.fullSize);
        }
        CVISACall record;
        bool handled = false;
        record.ProcessLoggerInput(&input, handled);
        record.FormatCallDescriptionInput();
        ASSERT_EQ(record.GetBufferListSize(), 1u);

        const int count = record.GetNumberOfLinesToExport(IKoVeskCall::eExportUseText);
        std::vector<StringBase> lines(static_cast<size_t>(count));
        record.FormatForOutput(lines.data(), count, IKoVeskCall::eExportUseText);
        // The description line and the heading, then the dump.
        for (int k = 2; k < count; ++k) {
            const std::string line = lines[static_cast<size_t>(k)].c_str();
            if (line[0] == '-') continue;  // the separator of a shortened dump
            EXPECT_EQ(line.size(), c.wideLength) << line;
        }

        StringBase heading;
        std::vector<StringBase> pageLines;
        record.SetPageBufferParamData(0, heading, pageLines);
        for (const StringBase& line : pageLines) {
            if (line.c_str()[0] == '-') continue;
            EXPECT_EQ(line.length(), c.compactLength) << line.c_str();
        }
    }
}

}  // namespace
}  // namespace nKoVeskLog210
