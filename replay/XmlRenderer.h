// --xml: one XML document for the whole capture, one <call> element per
// call, written as libxml2's text writer writes it (XmlWriter) from the
// element the record builds (BuildXmlElement, and SetXmlCallStatus for
// calls that returned).
//
// Every text goes through a CUtf8Converter for XML, so the document is well-formed
// UTF-8 whatever bytes the capture holds.
#pragma once

#include <memory>
#include <string>

#include "replay/Renderer.h"
#include "replay/Utf8Converter.h"
#include "replay/XmlWriter.h"

namespace vesk::replay {

class XmlRenderer : public Renderer {
public:
    XmlRenderer();
    ~XmlRenderer() override;

    void Begin(OutputBuffer& out) override;
    void End(OutputBuffer& out) override;
    void Render(uint64_t number, IKoVeskCall* record, const CapturedCall& call,
                OutputBuffer& out) override;

private:
    void writeText(const StringBase& text);
    void writeElement(const char* name, const StringBase& text);
    void writeAttribute(const char* name, const StringBase& text);
    // An integer, or a real in the shortest form that reads back the same.
    template <class Number>
    void writeNumberAttribute(const char* name, Number value);
    // The time, duration, thread and process the capture gives the call.
    void writeTiming(const CapturedCall& call);
    void writeParameters(const char* name, const std::vector<CallTag::CallParameter>& parameters);
    void writeBuffers(const char* direction, const std::vector<CallTag::CallBuffer>& buffers);

    std::unique_ptr<XmlWriter> m_writer;
    CUtf8Converter m_converter{eUtf8Characters::XmlOnly};
    std::string m_hex;  // reused for buffer contents
};

}  // namespace vesk::replay
