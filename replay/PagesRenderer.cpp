#include "replay/PagesRenderer.h"

namespace vesk::replay {

namespace {

// The pages as lines of text: "call N: TITLE", "pages: ...", then
// "input:", "  NAME = VALUE" rows, "buttons: ...", "output:", rows,
// "return value: ...", "description: ...", "buffers: ..." and each
// "buffer I NAME: HEADING" with its dump lines indented.
class TextPageSink : public tPageSink {
public:
    TextPageSink(uint64_t number, OutputBuffer& out) : m_number(number), m_out(out) {}

    void Window(const StringBase& title, const std::vector<StringBase>& pages) override {
        m_out.Append("call ");
        m_out.AppendDecimal(static_cast<int64_t>(m_number));
        m_out.Append(": ");
        m_out.Append(title.c_str(), title.length());
        m_out.Append("\npages: ");
        for (size_t i = 0; i < pages.size(); ++i) {
            if (i > 0) m_out.Append("; ");
            m_out.Append(pages[i].c_str(), pages[i].length());
        }
        m_out.Append('\n');
    }

    void InputPage(const StringArrayHandle& names, const StringArrayHandle& values,
                   int32_t attributeButton, int32_t eventButton) override {
        m_out.Append("input:\n");
        appendRows(names, values);
        m_out.Append("buttons: attribute=");
        appendButton(attributeButton);
        m_out.Append(" event=");
        appendButton(eventButton);
        m_out.Append('\n');
    }

    void OutputPage(const StringArrayHandle& names, const StringArrayHandle& values,
                    const StringHandle& returnValue, const StringHandle& description) override {
        m_out.Append("output:\n");
        appendRows(names, values);
        m_out.Append("return value: ");
        m_out.Append(returnValue.Text());
        m_out.Append("\ndescription: ");
        m_out.Append(description.Text());
        m_out.Append('\n');
    }

    void BufferList(const StringArrayHandle& names) override {
        m_out.Append("buffers: ");
        for (int32_t i = 0; i < names.Count(); ++i) {
            if (i > 0) m_out.Append("; ");
            m_out.Append(names.Text(i));
        }
        m_out.Append('\n');
    }

    void Buffer(int32_t index, std::string_view name, const StringHandle& heading,
                const StringArrayHandle& lines) override {
        m_out.Append("buffer ");
        m_out.AppendDecimal(index);
        m_out.Append(' ');
        m_out.Append(name);
        m_out.Append(": ");
        m_out.Append(heading.Text());
        m_out.Append('\n');
        // The plug-in's work for this page is done: a dump of millions of
        // lines goes out as it is appended instead of piling up.
        for (int32_t line = 0; line < lines.Count(); ++line) {
            m_out.Append("  ");
            m_out.Append(lines.Text(line));
            m_out.Append('\n');
            m_out.FlushIfFull();
        }
    }

private:
    // "  NAME = VALUE" per row of two parallel lists.
    void appendRows(const StringArrayHandle& names, const StringArrayHandle& values) {
        const int32_t rows = names.Count() > values.Count() ? names.Count() : values.Count();
        for (int32_t row = 0; row < rows; ++row) {
            m_out.Append("  ");
            m_out.Append(names.Text(row));
            m_out.Append(" = ");
            m_out.Append(values.Text(row));
            m_out.Append('\n');
        }
    }

    void appendButton(int32_t state) {
        switch (static_cast<eHelpButton>(state)) {
            case eHelpButton::None: m_out.Append("none"); return;
            case eHelpButton::UnknownName: m_out.Append("unknown"); return;
            case eHelpButton::KnownName: m_out.Append("known"); return;
            default: m_out.AppendDecimal(state); return;
        }
    }

    uint64_t m_number;
    OutputBuffer& m_out;
};

}  // namespace

void PagesRenderer::Render(uint64_t number, IKoVeskCall* record, const CapturedCall&,
                           OutputBuffer& out) {
    TextPageSink sink(number, out);
    m_reader.Read(*record, sink);
    out.Append('\n');
}

}  // namespace vesk::replay
