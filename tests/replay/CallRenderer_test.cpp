// The browser view's JSON of calls rendered through the real plug-in,
// loaded as vesk-replay loads it: rows, property pages, text export, XML
// element and dump lines, their bounds, and what a call that cannot be
// rendered gives.
#include "replay/CallRenderer.h"

#include <gtest/gtest.h>
#include <simdjson.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "replay/HostSetup.h"

namespace vesk::replay {
namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The plug-in, the host set up, and a capture indexed from `content`.
class RenderedCapture {
public:
    explicit RenderedCapture(const std::string& content) : m_index(1 << 20) {
        std::string error;
        EXPECT_TRUE(m_plugin.Load(KOVESK_PLUGIN_PATH, error)) << error;
        SetUpHost(false);
        char name[] = "/tmp/call_renderer_test_XXXXXX";
        const int fd = mkstemp(name);
        m_path = name;
        EXPECT_EQ(::write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
        ::close(fd);
        EXPECT_TRUE(m_index.Open(m_path, error)) << error;
        m_index.Build();
        m_context = std::make_unique<CTraceContext>(m_plugin.EntryPoints(), m_index,
                                                    static_cast<IKoVeskCall::eCallExportUse>(0));
    }
    ~RenderedCapture() { std::remove(m_path.c_str()); }

    CTraceContext& Context() { return *m_context; }

    std::string Row(uint64_t number) {
        CCallRenderer renderer(*m_context);
        renderer.Load(number);
        std::string json;
        CJsonWriter writer(json, nullptr);
        renderer.WriteRow(writer);
        return json;
    }

    std::string Call(uint64_t number, tCallParts parts, uint32_t lines = kDefaultDumpLines) {
        CCallRenderer renderer(*m_context);
        renderer.Load(number);
        std::string json;
        CJsonWriter writer(json, nullptr);
        renderer.WriteCall(writer, parts, lines);
        return json;
    }

private:
    PluginLoader m_plugin;
    std::string m_path;
    CCaptureIndex m_index;
    std::unique_ptr<CTraceContext> m_context;
};

tCallParts only(bool pages, bool text, bool xml) {
    tCallParts parts;
    parts.pages = pages;
    parts.text = text;
    parts.xml = xml;
    return parts;
}

std::string text(simdjson::dom::element element) { return std::string(element.get_string().value()); }

class CallRendererTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_session = new RenderedCapture(readFile(KOVESK_SOURCE_DIR "/examples/session.jsonl"));
    }
    static void TearDownTestSuite() {
        delete s_session;
        s_session = nullptr;
    }
    static RenderedCapture* s_session;
    simdjson::dom::parser m_parser;
};

RenderedCapture* CallRendererTest::s_session = nullptr;

// A row holds what the call list shows: the status column and the
// description as --list prints them, whether the call failed, and what the
// filters look at (function, sessions).
TEST_F(CallRendererTest, Rows) {
    simdjson::dom::element row = m_parser.parse(s_session->Row(13));
    EXPECT_EQ(row["number"].get_uint64().value(), 13u);
    EXPECT_EQ(text(row["status"]), "0xBFFF0015");
    EXPECT_EQ(text(row["description"]),
              "viWaitOnEvent (TCPIP0::192.168.1.20::inst0::INSTR (0x00001003), 0x3FFF200B (VI_EVENT_SERVICE_REQ), "
              "2000 (0x7D0), 0, 0x00000000)");
    EXPECT_TRUE(row["failed"].get_bool().value());
    EXPECT_EQ(text(row["function"]), "viWaitOnEvent");
    EXPECT_EQ(row["sessions"].get_array().size(), 1u);
    EXPECT_EQ(row["sessions"].at(0).get_uint64().value(), 0x1003u);
    EXPECT_TRUE(row["time"].error());  // the session has no times
    // Not failed, with the warning status in its column; two sessions.
    row = m_parser.parse(s_session->Row(2));
    EXPECT_FALSE(row["failed"].get_bool().value());
    EXPECT_EQ(row["sessions"].get_array().size(), 2u);
}

// The pages as the entry points fill them: the window, the input rows with
// their prefixes and help buttons, the output rows, the return value and
// its description, each buffer with its heading and dump lines.
TEST_F(CallRendererTest, Pages) {
    const simdjson::dom::element call = m_parser.parse(s_session->Call(8, only(true, false, false)));
    const simdjson::dom::element pages = call["pages"];
    EXPECT_EQ(text(pages["title"]), "Call Properties: viRead");
    EXPECT_EQ(pages["files"].get_array().size(), 4u);
    std::vector<std::string> names;
    for (simdjson::dom::element row : pages["input"]["rows"].get_array()) names.push_back(text(row["name"]));
    EXPECT_EQ(names, (std::vector<std::string>{"vi", "&buf", "cnt", "&retCnt"}));
    EXPECT_EQ(text(pages["input"]["attributeButton"]), "unknown");
    EXPECT_EQ(text(pages["input"]["eventButton"]), "unknown");
    EXPECT_EQ(text(pages["output"]["rows"].at(0)["name"]), "*retCnt");
    EXPECT_EQ(text(pages["output"]["rows"].at(0)["value"]), "47 (0x2F)");
    EXPECT_EQ(text(pages["output"]["returnValue"]), "0x3FFF0005 (VI_SUCCESS_TERM_CHAR)");
    EXPECT_EQ(text(pages["output"]["returnDescription"]), "The read ended because the termination character arrived.");
    const simdjson::dom::element buffer = pages["buffers"].at(0);
    EXPECT_EQ(text(buffer["name"]), "*buf");
    EXPECT_EQ(text(buffer["heading"]), "Buffer contents:");
    EXPECT_EQ(buffer["lineCount"].get_uint64().value(), 6u);
    EXPECT_EQ(text(buffer["lines"].at(0)), "00000000:  45 58 41 4D 50 4C 45 20  EXAMPLE ");
    // No export and no XML unless asked for.
    EXPECT_TRUE(call["export"].error());
    EXPECT_TRUE(call["xml"].error());
}

// Dumps and the text export are cut to the lines asked for and say how
// many there are; a buffer's lines page from any line, past the end too.
TEST_F(CallRendererTest, BoundedLines) {
    const simdjson::dom::element call = m_parser.parse(s_session->Call(10, only(true, true, false), 2));
    const simdjson::dom::element buffer = call["pages"]["buffers"].at(0);
    EXPECT_EQ(buffer["lineCount"].get_uint64().value(), 9u);
    EXPECT_EQ(buffer["lines"].get_array().size(), 2u);
    EXPECT_EQ(call["export"]["lineCount"].get_uint64().value(), 8u);
    EXPECT_EQ(call["export"]["lines"].get_array().size(), 2u);
    EXPECT_EQ(text(call["export"]["lines"].at(1)), "Return status: 0 (VI_SUCCESS)");

    CCallRenderer renderer(s_session->Context());
    ASSERT_TRUE(renderer.Load(10));
    const struct {
        uint64_t first;
        uint32_t count;
        size_t lines;
    } pages[] = {{0, 9, 9}, {8, 5, 1}, {9, 5, 0}, {UINT64_MAX, 5, 0}, {3, 0, 0}};
    for (const auto& page : pages) {
        std::string json;
        CJsonWriter writer(json, nullptr);
        ASSERT_TRUE(renderer.WriteBuffer(writer, 0, page.first, page.count));
        simdjson::dom::parser parser;
        const simdjson::dom::element answer = parser.parse(json);
        EXPECT_EQ(answer["buffer"]["lineCount"].get_uint64().value(), 9u);
        EXPECT_EQ(answer["buffer"]["lines"].get_array().size(), page.lines) << page.first;
    }
    std::string json;
    CJsonWriter writer(json, nullptr);
    EXPECT_FALSE(renderer.WriteBuffer(writer, 1, 0, 5));
    EXPECT_EQ(renderer.Error(), "call 10 has no buffer 1 (it has 1)");
    EXPECT_EQ(json, "");
}

// The XML element is the one --xml writes for the call, as its lines stand
// in the document.
TEST_F(CallRendererTest, XmlElement) {
    const simdjson::dom::element call = m_parser.parse(s_session->Call(7, only(false, false, true)));
    const std::string element = text(call["xml"]["text"]);
    EXPECT_EQ(element.substr(0, 22), "  <call number=\"7\">\n  ");
    EXPECT_EQ(element.substr(element.size() - 9), "  </call>");
    EXPECT_NE(element.find("<buffer direction=\"in\" name=\"*buf\" size=\"6\" fullSize=\"-1\">2A49444E3F0A</buffer>"),
              std::string::npos);
    EXPECT_EQ(call["xml"]["size"].get_uint64().value(), element.size());
    EXPECT_FALSE(call["xml"]["truncated"].get_bool().value());
}

// A line that is no call, and a call the plug-in cannot describe, are rows
// of their error; a page or an element the plug-in cannot make is the
// error of that part, the rest of the call is shown.
TEST_F(CallRendererTest, Failures) {
    RenderedCapture bad(readFile(KOVESK_SOURCE_DIR "/tests/replay/golden/bad-input.jsonl"));
    simdjson::dom::parser parser;
    simdjson::dom::element row = parser.parse(bad.Row(5));
    EXPECT_EQ(text(row["error"]), "unknown key \"outt\"");
    row = parser.parse(bad.Row(12));
    EXPECT_EQ(text(row["error"]), "the plug-in raised an exception while rendering the call: Failed to deserialize");
    EXPECT_TRUE(row["description"].error());

    RenderedCapture pages(readFile(KOVESK_SOURCE_DIR "/tests/replay/golden/page-failure.jsonl"));
    const simdjson::dom::element call = parser.parse(pages.Call(2, only(true, true, true)));
    EXPECT_EQ(text(call["function"]), "viGetAttribute");
    EXPECT_EQ(text(call["pages"]["error"]),
              "the plug-in raised an exception while rendering the call: VeskVV_Input_GetParamData: Failed to "
              "deserialize");
    EXPECT_EQ(text(call["xml"]["error"]), "the plug-in raised an exception while rendering the call: Failed to deserialize");
    EXPECT_FALSE(call["export"]["lines"].error());
}

// The text filter finds its text in the description whatever the case of
// its letters; the command line's filters apply too.
TEST_F(CallRendererTest, Matching) {
    CCallRenderer renderer(s_session->Context());
    std::string buffer, error;
    std::string_view line;
    auto matches = [&](uint64_t number, const tTraceFilter& filter) {
        EXPECT_TRUE(s_session->Context().Index().ReadLine(number, buffer, line, error));
        return renderer.Matches(number, line, filter);
    };
    tTraceFilter idn;
    idn.text = FoldAsciiCase("*IDN?");
    EXPECT_TRUE(matches(7, idn));
    EXPECT_FALSE(matches(8, idn));
    tTraceFilter reads;
    reads.calls.functions = {"viRead"};
    EXPECT_TRUE(matches(8, reads));
    EXPECT_FALSE(matches(7, reads));
    reads.text = "example";
    EXPECT_TRUE(matches(8, reads));
    reads.text = "nowhere";
    EXPECT_FALSE(matches(8, reads));
}

// Rows render in parallel and pages one at a time: threads that render
// rows and pages of every call together get what one thread gets.
TEST_F(CallRendererTest, ParallelRendering) {
    std::vector<std::string> expected;
    for (uint64_t number = 1; number <= 20; ++number) {
        expected.push_back(s_session->Row(number) + s_session->Call(number, only(true, false, true)));
    }
    std::vector<std::string> failures(4);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < failures.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 5; ++round) {
                for (uint64_t number = 1; number <= 20; ++number) {
                    const uint64_t shown = (number + t * 5) % 20 + 1;
                    const std::string json =
                        s_session->Row(shown) + s_session->Call(shown, only(true, false, true));
                    if (json != expected[shown - 1]) failures[t] = "call " + std::to_string(shown);
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (const std::string& failure : failures) EXPECT_EQ(failure, "");
}

}  // namespace
}  // namespace vesk::replay
