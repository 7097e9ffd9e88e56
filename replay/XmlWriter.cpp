#include "replay/XmlWriter.h"

namespace vesk::replay {

namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
constexpr std::string_view kIndent = "  ";

// What libxml2 writes for a byte of text content (its xmlEncodeSpecialChars)
// and of an attribute value (in a document declared UTF-8): an entity or
// character reference, or null where the byte stays as it is.
const char* textEscape(char c) {
    switch (c) {
        case '<': return "&lt;";
        case '>': return "&gt;";
        case '&': return "&amp;";
        case '"': return "&quot;";
        case '\r': return "&#13;";
        default: return nullptr;
    }
}

const char* attributeEscape(char c) {
    switch (c) {
        case '\n': return "&#10;";
        case '\t': return "&#9;";
        default: return textEscape(c);
    }
}

// Appends `text` with each byte that `escape` names replaced; ends at a
// NUL byte, as libxml2 (which takes C strings) does.
template <const char* (*escape)(char)>
void appendEscaped(OutputBuffer& out, std::string_view text) {
    const char* run = text.data();
    const char* const end = text.data() + text.size();
    for (const char* c = run; c != end; ++c) {
        if (*c == '\0') {
            out.Append(run, static_cast<size_t>(c - run));
            return;
        }
        if (const char* replacement = escape(*c)) {
            out.Append(run, static_cast<size_t>(c - run));
            out.Append(replacement);
            run = c + 1;
        }
    }
    out.Append(run, static_cast<size_t>(end - run));
}

}  // namespace

void XmlWriter::StartDocument() { m_out.Append(kDeclaration); }

void XmlWriter::closeStartTag(tOpenElement& element) {
    if (!element.startTagOpen) return;
    m_out.Append('>');
    element.startTagOpen = false;
}

void XmlWriter::indent(size_t depth) {
    for (size_t level = 0; level < depth; ++level) m_out.Append(kIndent);
}

void XmlWriter::StartElement(std::string_view name) {
    if (!m_open.empty()) {
        tOpenElement& parent = m_open.back();
        if (parent.startTagOpen) {
            closeStartTag(parent);
            m_out.Append('\n');
        }
        parent.content = eContent::Elements;
    }
    indent(m_open.size());
    m_out.Append('<');
    m_out.Append(name);
    m_open.push_back({name, true, eContent::None});
}

void XmlWriter::Attribute(std::string_view name, std::string_view value) {
    m_out.Append(' ');
    m_out.Append(name);
    m_out.Append("=\"");
    appendEscaped<attributeEscape>(m_out, value);
    m_out.Append('"');
}

void XmlWriter::Text(std::string_view content) {
    tOpenElement& element = m_open.back();
    closeStartTag(element);
    element.content = eContent::Text;
    appendEscaped<textEscape>(m_out, content);
}

void XmlWriter::EndElement() {
    const tOpenElement element = m_open.back();
    m_open.pop_back();
    if (element.startTagOpen) {
        m_out.Append("/>\n");
        return;
    }
    if (element.content != eContent::Text) indent(m_open.size());
    m_out.Append("</");
    m_out.Append(element.name);
    m_out.Append(">\n");
}

void XmlWriter::EndDocument() {
    while (!m_open.empty()) EndElement();
}

}  // namespace vesk::replay
