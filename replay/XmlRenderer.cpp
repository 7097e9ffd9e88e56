#include "replay/XmlRenderer.h"

#include <charconv>
#include <type_traits>

namespace vesk::replay {

XmlRenderer::XmlRenderer() = default;

XmlRenderer::~XmlRenderer() = default;

void XmlRenderer::Begin(OutputBuffer& out) {
    m_writer = std::make_unique<XmlWriter>(out);
    m_writer->StartDocument();
    m_writer->StartElement("capture");
}

void XmlRenderer::End(OutputBuffer&) {
    m_writer->EndElement();  // capture
    m_writer->EndDocument();
}

void XmlRenderer::writeText(const StringBase& text) {
    m_writer->Text(m_converter.Convert({text.c_str(), text.length()}));
}

void XmlRenderer::writeElement(const char* name, const StringBase& text) {
    m_writer->StartElement(name);
    writeText(text);
    m_writer->EndElement();
}

void XmlRenderer::writeAttribute(const char* name, const StringBase& text) {
    m_writer->Attribute(name, m_converter.Convert({text.c_str(), text.length()}));
}

template <class Number>
void XmlRenderer::writeNumberAttribute(const char* name, Number value) {
    char digits[48];
    std::to_chars_result result;
    if constexpr (std::is_floating_point_v<Number>) {
        // Shortest that reads back the same, in decimal where that is short.
        result = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general);
    } else {
        result = std::to_chars(digits, digits + sizeof digits, value);
    }
    m_writer->Attribute(name, std::string_view(digits, static_cast<size_t>(result.ptr - digits)));
}

void XmlRenderer::writeParameters(const char* name,
                                  const std::vector<CallTag::CallParameter>& parameters) {
    m_writer->StartElement(name);
    for (const CallTag::CallParameter& parameter : parameters) {
        m_writer->StartElement("param");
        writeAttribute("name", parameter.name);
        writeText(parameter.value);
        m_writer->EndElement();
    }
    m_writer->EndElement();
}

void XmlRenderer::writeBuffers(const char* direction,
                               const std::vector<CallTag::CallBuffer>& buffers) {
    static const char kHexDigits[] = "0123456789ABCDEF";
    for (const CallTag::CallBuffer& buffer : buffers) {
        m_writer->StartElement("buffer");
        m_writer->Attribute("direction", direction);
        writeAttribute("name", buffer.name);
        writeNumberAttribute("size", buffer.size);
        writeNumberAttribute("fullSize", buffer.fullSize);
        // A parameter captured with a size but no bytes has no data to show.
        m_hex.clear();
        if (buffer.data && buffer.size > 0) {
            const unsigned char* bytes = reinterpret_cast<const unsigned char*>(buffer.data);
            m_hex.resize(2 * static_cast<size_t>(buffer.size));
            char* digits = m_hex.data();
            for (int32_t i = 0; i < buffer.size; ++i) {
                *digits++ = kHexDigits[bytes[i] >> 4];
                *digits++ = kHexDigits[bytes[i] & 0xF];
            }
        }
        m_writer->Text(m_hex);
        m_writer->EndElement();
    }
}

void XmlRenderer::writeTiming(const CapturedCall& call) {
    char text[kTimeStampTextSize];
    if (call.hasTime) {
        FormatUtcTimeStamp(call.time, text);
        m_writer->Attribute("time", text);
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

    m_writer->StartElement("call");
    writeNumberAttribute("number", static_cast<int64_t>(number));
    writeTiming(call);
    writeElement("function", element.functionName);
    writeElement("description", element.description);
    if (call.hasOutput) {
        m_writer->StartElement("status");
        writeNumberAttribute("kind", element.statusKind);
        writeNumberAttribute("value", element.statusValue);
        writeAttribute("name", element.statusName);
        writeText(element.statusDescription);
        m_writer->EndElement();
    }
    writeParameters("input", element.inputParameters);
    if (call.hasOutput) writeParameters("output", element.outputParameters);
    writeBuffers("in", element.inputBuffers);
    writeBuffers("out", element.outputBuffers);
    m_writer->EndElement();  // call
}

}  // namespace vesk::replay
