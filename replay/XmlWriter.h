// Writes the XML document of --xml straight into the program's output, byte
// for byte as libxml2's text writer writes it with indentation on (two
// blanks a level, double quotes), without that writer's cost per piece.
//
// The document's shape is this writer's: one element per line, an element
// holds either text or elements, an element without either closes as
// "<name/>". Texts and attribute values are escaped as libxml2 escapes them
// (the tests hold the two writers side by side).
#pragma once

#include <string_view>
#include <vector>

#include "replay/OutputBuffer.h"

namespace vesk::replay {

class XmlWriter {
public:
    // Writes to `out`, which outlives the writer.
    explicit XmlWriter(OutputBuffer& out) : m_out(out) {}

    // The declaration: <?xml version="1.0" encoding="UTF-8"?>
    void StartDocument();
    // Element names are XML names that outlive the element (literals).
    void StartElement(std::string_view name);
    // An attribute of the element just started, before any content.
    // `value` is UTF-8 of characters XML allows; the same holds for Text.
    void Attribute(std::string_view name, std::string_view value);
    // Text content of the innermost element.
    void Text(std::string_view content);
    void EndElement();
    // Closes every element still open.
    void EndDocument();

private:
    enum class eContent { None, Text, Elements };
    struct tOpenElement {
        std::string_view name;
        bool startTagOpen;  // "<name ..." not yet closed with ">"
        eContent content;
    };

    void closeStartTag(tOpenElement& element);
    void indent(size_t depth);

    OutputBuffer& m_out;
    std::vector<tOpenElement> m_open;
};

}  // namespace vesk::replay
