#include "replay/ExportRenderer.h"

namespace vesk::replay {

void ExportRenderer::Render(uint64_t, IKoVeskCall& record, const CapturedCall&,
                            OutputBuffer& out) {
    // As the host does: ask for the count, give the record that many empty
    // lines, and print them all.
    int count = record.GetNumberOfLinesToExport(m_use);
    if (count < 0) count = 0;
    m_lines.clear();
    m_lines.resize(static_cast<size_t>(count));
    record.FormatForOutput(m_lines.data(), count, m_use);
    for (const StringBase& line : m_lines) {
        out.Append(line.c_str(), line.length());
        out.Append('\n');
    }
    out.Append('\n');
}

}  // namespace vesk::replay
