// The --html page: one file with the page's style sheet and scripts
// inlined and the calls embedded, nothing loaded from elsewhere; a capture
// too large for one file refused.
#include "replay/HtmlExport.h"

#include <gtest/gtest.h>
#include <simdjson.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "replay/HostSetup.h"
#include "replay/WebAssets.h"

namespace vesk::replay {
namespace {

size_t count(const std::string& text, const std::string& what) {
    size_t found = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++found;
    return found;
}

// Every style sheet and script the page refers to is inlined (none is left
// to load), the content policy forbids loading anything, and the data sits
// before the first script, whole.
TEST(HtmlExportTest, AssembledPage) {
    std::string page, error;
    ASSERT_TRUE(AssembleHtmlPage(R"({"x":"\u003c/script\u003e"})", page, error)) << error;
    EXPECT_EQ(count(page, "<script src="), 0u);
    EXPECT_EQ(count(page, "<link rel=\"stylesheet\""), 0u);
    EXPECT_EQ(count(page, "<style>"), 1u);
    EXPECT_EQ(count(page, "<script>"), 4u);
    EXPECT_EQ(count(page, "</script>"), 5u);  // the four scripts and the data
    EXPECT_NE(page.find("Content-Security-Policy\" content=\"default-src 'none'"), std::string::npos);
    const size_t data = page.find("<script type=\"application/json\" id=\"trace-data\">{\"x\":");
    ASSERT_NE(data, std::string::npos);
    EXPECT_LT(data, page.find("<script>"));
    for (const char* name : {"style.css", "data.js", "list.js", "details.js", "app.js"}) {
        const tWebAsset* asset = FindWebAsset(name);
        ASSERT_NE(asset, nullptr) << name;
        EXPECT_NE(page.find(asset->Text()), std::string::npos) << name;
    }
    EXPECT_EQ(FindWebAsset("API.md"), nullptr);
}

class HtmlPageTest : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(m_plugin.Load(KOVESK_PLUGIN_PATH, error)) << error;
        SetUpHost(false);
        ASSERT_TRUE(m_index.Open(KOVESK_SOURCE_DIR "/examples/session.jsonl", error)) << error;
        m_index.Build();
        m_context = std::make_unique<CTraceContext>(m_plugin.EntryPoints(), m_index,
                                                    static_cast<IKoVeskCall::eCallExportUse>(0));
        m_settings.fileName = "session.jsonl";
        m_settings.embedded = true;
        m_settings.embeddedDumpLines = kHtmlDumpLines;
    }

    PluginLoader m_plugin;
    CCaptureIndex m_index{1 << 20};
    std::unique_ptr<CTraceContext> m_context;
    tTraceSettings m_settings;
};

// Every call is in the page with its summary, pages, export and XML; the
// info says the page is embedded.
TEST_F(HtmlPageTest, EveryCallEmbedded) {
    std::string page, error;
    uint64_t unrendered = 99;
    ASSERT_TRUE(MakeHtmlPage(*m_context, m_settings, page, unrendered, error)) << error;
    EXPECT_EQ(unrendered, 0u);
    const std::string start = "id=\"trace-data\">";
    const size_t from = page.find(start) + start.size();
    const std::string data = page.substr(from, page.find("</script>", from) - from);
    simdjson::dom::parser parser;
    const simdjson::dom::element root = parser.parse(data);
    EXPECT_TRUE(root["info"]["embedded"].get_bool().value());
    EXPECT_EQ(root["info"]["calls"].get_uint64().value(), 20u);
    const simdjson::dom::array calls = root["calls"].get_array();
    ASSERT_EQ(calls.size(), 20u);
    uint64_t number = 0;
    for (simdjson::dom::element call : calls) {
        ++number;
        EXPECT_EQ(call["number"].get_uint64().value(), number);
        for (const char* part : {"pages", "export", "xml"}) EXPECT_FALSE(call[part].error()) << number << part;
    }
}

// Too many calls, or too many bytes rendered, and no page is made; the
// message points to --serve.
TEST_F(HtmlPageTest, TooLargeForOneFile) {
    std::string page, error;
    uint64_t unrendered = 0;
    tHtmlLimits calls;
    calls.calls = 19;
    EXPECT_FALSE(MakeHtmlPage(*m_context, m_settings, page, unrendered, error, calls));
    EXPECT_EQ(error,
              "the capture has more than 19 calls, more than --html writes into one file: use --serve, which shows "
              "captures of any size");
    tHtmlLimits bytes;
    bytes.dataBytes = 10000;
    EXPECT_FALSE(MakeHtmlPage(*m_context, m_settings, page, unrendered, error, bytes));
    EXPECT_EQ(error.substr(0, 38), "the rendered calls pass 10000 bytes at");
    EXPECT_NE(error.find("of 20, more than --html writes into one file: use --serve"), std::string::npos);
    EXPECT_TRUE(page.empty());
}

}  // namespace
}  // namespace vesk::replay
