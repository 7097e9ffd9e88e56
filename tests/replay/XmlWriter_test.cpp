// The XML writer against libxml2's text writer with the same settings: the
// same calls must give the same bytes, whatever the texts hold.
#include "replay/XmlWriter.h"

#include <gtest/gtest.h>
#include <libxml/xmlIO.h>
#include <libxml/xmlwriter.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace vesk::replay {
namespace {

// One step of a document, done through either writer.
struct tStep {
    enum eKind { Start, Attribute, Text, End } kind;
    std::string name;
    std::string text;
};

int appendTo(void* context, const char* bytes, int length) {
    static_cast<std::string*>(context)->append(bytes, static_cast<size_t>(length));
    return length;
}

const xmlChar* xml(const std::string& text) { return reinterpret_cast<const xmlChar*>(text.c_str()); }

// The document as libxml2's writer makes it, set up as the replay's was.
std::string throughLibxml2(const std::vector<tStep>& steps) {
    std::string document;
    xmlOutputBufferPtr output = xmlOutputBufferCreateIO(appendTo, nullptr, &document, nullptr);
    xmlTextWriterPtr writer = xmlNewTextWriter(output);
    xmlTextWriterSetIndent(writer, 1);
    xmlTextWriterSetIndentString(writer, reinterpret_cast<const xmlChar*>("  "));
    xmlTextWriterStartDocument(writer, "1.0", "UTF-8", nullptr);
    for (const tStep& step : steps) {
        switch (step.kind) {
            case tStep::Start: xmlTextWriterStartElement(writer, xml(step.name)); break;
            case tStep::Attribute:
                xmlTextWriterWriteAttribute(writer, xml(step.name), xml(step.text));
                break;
            case tStep::Text: xmlTextWriterWriteString(writer, xml(step.text)); break;
            case tStep::End: xmlTextWriterEndElement(writer); break;
        }
    }
    xmlTextWriterEndDocument(writer);
    xmlFreeTextWriter(writer);
    return document;
}

std::string throughXmlWriter(const std::vector<tStep>& steps) {
    std::FILE* sink = std::tmpfile();
    std::string document;
    {
        OutputBuffer out(sink);
        XmlWriter writer(out);
        writer.StartDocument();
        for (const tStep& step : steps) {
            switch (step.kind) {
                case tStep::Start: writer.StartElement(step.name); break;
                case tStep::Attribute: writer.Attribute(step.name, step.text); break;
                case tStep::Text: writer.Text(step.text); break;
                case tStep::End: writer.EndElement(); break;
            }
        }
        writer.EndDocument();
    }
    std::rewind(sink);
    char block[4096];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, sink)) > 0) document.append(block, got);
    std::fclose(sink);
    return document;
}

// Texts that probe each escape: the five XML specials, tab, line feed and
// carriage return (escaped in attributes, in text only the carriage
// return), UTF-8 beyond ASCII, DEL, an empty text, and a NUL (libxml2
// stops there).
const std::string kTexts[] = {
    "",
    "plain text, with blanks",
    "<tag attr=\"v\">&amp;</tag> 'single'",
    "tab\there, line\nfeed, carriage\rreturn",
    "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xEF\xBF\xBD",
    "del \x7F end",
    std::string("before\0after", 12),
    "]]> and &#38;",
};

// Element shapes: empty, with text, with attributes only, nested, and a
// parent whose children are all empty.
TEST(XmlWriterTest, WritesWhatLibxml2Writes) {
    for (const std::string& text : kTexts) {
        SCOPED_TRACE(testing::PrintToString(text));
        const std::vector<tStep> steps = {
            {tStep::Start, "capture", ""},
            {tStep::Start, "call", ""},
            {tStep::Attribute, "number", "7"},
            {tStep::Attribute, "name", text},
            {tStep::Start, "description", ""},
            {tStep::Text, "", text},
            {tStep::End, "", ""},
            {tStep::Start, "output", ""},
            {tStep::End, "", ""},
            {tStep::Start, "input", ""},
            {tStep::Start, "param", ""},
            {tStep::Attribute, "name", text},
            {tStep::Text, "", text},
            {tStep::End, "", ""},
            {tStep::Start, "empty", ""},
            {tStep::Attribute, "name", text},
            {tStep::End, "", ""},
            {tStep::End, "", ""},
            {tStep::Start, "buffer", ""},
            {tStep::Text, "", ""},
            {tStep::End, "", ""},
            {tStep::End, "", ""},
            // capture is left open: the end of the document closes it.
        };
        EXPECT_EQ(throughXmlWriter(steps), throughLibxml2(steps));
    }
}

// A document without a single element inside its root, and one whose root
// is closed by the end of the document alone.
TEST(XmlWriterTest, EmptyDocuments) {
    const std::vector<tStep> closed = {{tStep::Start, "capture", ""}, {tStep::End, "", ""}};
    EXPECT_EQ(throughXmlWriter(closed), throughLibxml2(closed));
    const std::vector<tStep> open = {{tStep::Start, "capture", ""}};
    EXPECT_EQ(throughXmlWriter(open), throughLibxml2(open));
    EXPECT_EQ(throughXmlWriter(open), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<capture/>\n");
}

}  // namespace
}  // namespace vesk::replay
