#include "replay/XmlRenderer.h"

#include <libxml/xmlIO.h>
#include <libxml/xmlwriter.h>

#include <charconv>
#include <type_traits>
#include <stdexcept>

namespace vesk::replay {

namespace {

const xmlChar* xml(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

// The writer's output callback: appends to the replay's output buffer.
int writeToOutput(void* context, const char* bytes, int length) {
    static_cast<OutputBuffer*>(context)->Append(bytes, static_cast<size_t>(length));
    return length;
}

int closeOutput(void*) { return 0; }

}  // namespace

XmlRenderer::XmlRenderer() = default;

XmlRenderer::~XmlRenderer() {
    if (m_writer) xmlFreeTextWriter(m_writer);
}

void XmlRenderer::Begin(OutputBuffer& out) {
    xmlOutputBufferPtr output = xmlOutputBufferCreateIO(writeToOutput, closeOutput, &out, nullptr);
    if (!output) throw std::bad_alloc();
    m_writer = xmlNewTextWriter(output);  // owns `output` from here on
    if (!m_writer) {
        xmlOutputBufferClose(output);
        throw std::bad_alloc();
    }
    xmlTextWriterSetIndent(m_writer, 1);
    xmlTextWriterSetIndentString(m_writer, xml("  "));
    xmlTextWriterStartDocument(m_writer, "1.0", "UTF-8", nullptr);
    xmlTextWriterStartElement(m_writer, xml("capture"));
    flush();
}

void XmlRenderer::End(OutputBuffer&) {
    xmlTextWriterEndElement(m_writer);  // capture
    xmlTextWriterEndDocument(m_writer);
    flush();
}

void XmlRenderer::flush() { xmlTextWriterFlush(m_writer); }

void XmlRenderer::writeElement(const char* name, const StringBase& text) {
    const std::string& utf8 = m_converter.Convert({text.c_str(), text.length()});
    xmlTextWriterStartElement(m_writer, xml(name));
    xmlTextWriterWriteString(m_writer, xml(utf8.c_str()));
    xmlTextWriterEndElement(m_writer);
}

void XmlRenderer::writeAttribute(const char* name, const StringBase& text) {
    const std::string& utf8 = m_converter.Convert({text.c_str(), text.length()});
    xmlTextWriterWriteAttribute(m_writer, xml(name), xml(utf8.c_str()));
}

template <class Number>
void XmlRenderer::writeNumberAttribute(const char* name, Number value) {
    char digits[48];
    std::to_chars_result result;
    if constexpr (std::is_floating_point_v<Number>) {
        // Shortest that reads back the same, in decimal where that is short.
        result = std::to_chars(digits, digits + sizeof digits - 1, value, std::chars_format::general);
    } else {
        result = std::to_chars(digits, digits + sizeof digits - 1, value);
    }
    *result.ptr = '\0';
    xmlTextWriterWriteAttribute(m_writer, xml(name), xml(digits));
}

void XmlRenderer::writeParameters(const char* name,
                                  const std::vector<CallTag::CallParameter>& parameters) {
    xmlTextWriterStartElement(m_writer, xml(name));
    for (const CallTag::CallParameter& parameter : parameters) {
        xmlTextWriterStartElement(m_writer, xml("param"));
        writeAttribute("name", parameter.name);
        const std::string& value =
            m_converter.Convert({parameter.value.c_str(), parameter.value.length()});
        xmlTextWriterWriteString(m_writer, xml(value.c_str()));
        xmlTextWriterEndElement(m_writer);
    }
    xmlTextWriterEndElement(m_writer);
}

void XmlRenderer::writeBuffers(const char* direction,
                               const std::vector<CallTag::CallBuffer>& buffers) {
    static const char kHexDigits[] = "0123456789ABCDEF";
    for (const CallTag::CallBuffer& buffer : buffers) {
        xmlTextWriterStartElement(m_writer, xml("buffer"));
        xmlTextWriterWriteAttribute(m_writer, xml("direction"), xml(direction));
        writeAttribute("name", buffer.name);
        writeNumberAttribute("size", buffer.size);
        writeNumberAttribute("fullSize", buffer.fullSize);
        // A parameter captured with a size but no bytes has no data to show.
        m_hex.clear();
        if (buffer.data && buffer.size > 0) {
            const unsigned char* bytes = reinterpret_cast<const unsigned char*>(buffer.data);
            for (int32_t i = 0; i < buffer.size; ++i) {
                m_hex.push_back(kHexDigits[bytes[i] >> 4]);
                m_hex.push_back(kHexDigits[bytes[i] & 0xF]);
            }
        }
        xmlTextWriterWriteString(m_writer, xml(m_hex.c_str()));
        xmlTextWriterEndElement(m_writer);
    }
}

void XmlRenderer::writeTiming(const CapturedCall& call) {
    char text[kTimeStampTextSize];
    if (call.hasTime) {
        FormatUtcTimeStamp(call.time, text);
        xmlTextWriterWriteAttribute(m_writer, xml("time"), xml(text));
    }
    // Seconds, in the shortest form that reads back as the same number.
    if (call.hasDuration) writeNumberAttribute("duration", call.durationSeconds);
    if (call.hasThread) writeNumberAttribute("thread", call.thread);
    if (call.hasProcess) writeNumberAttribute("process", call.process);
}

void XmlRenderer::Render(uint64_t number, IKoVeskCall* record, const CapturedCall& call,
                         OutputBuffer&) {
    // Everything the plug-in contributes is gathered before anything is
    // written, so a plug-in exception leaves the document untouched.
    CallTag element = record->BuildXmlElement();
    if (call.hasOutput) record->SetXmlCallStatus(element);

    xmlTextWriterStartElement(m_writer, xml("call"));
    writeNumberAttribute("number", static_cast<int64_t>(number));
    writeTiming(call);
    writeElement("function", element.functionName);
    writeElement("description", element.description);
    if (call.hasOutput) {
        xmlTextWriterStartElement(m_writer, xml("status"));
        writeNumberAttribute("kind", element.statusKind);
        writeNumberAttribute("value", element.statusValue);
        writeAttribute("name", element.statusName);
        const std::string& description = m_converter.Convert(
            {element.statusDescription.c_str(), element.statusDescription.length()});
        xmlTextWriterWriteString(m_writer, xml(description.c_str()));
        xmlTextWriterEndElement(m_writer);
    }
    writeParameters("input", element.inputParameters);
    if (call.hasOutput) writeParameters("output", element.outputParameters);
    writeBuffers("in", element.inputBuffers);
    writeBuffers("out", element.outputBuffers);
    xmlTextWriterEndElement(m_writer);  // call
    flush();
}

}  // namespace vesk::replay
