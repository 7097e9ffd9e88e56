#include "replay/ExportRenderer.h"

namespace vesk::replay {

void ExportRenderer::Render(uint64_t, IKoVeskCall* record, const CapturedCall&,
                            OutputBuffer& out) {
    // As the host does: ask for the count, give the record that many empty
    // lines, and print them all.
    int count = record->GetNumberOfLinesToExport(m_use);
    if (count < 0) count = 0;
    const auto lines = static_cast<size_t>(count);
    // The lines of earlier calls are emptied, not made anew: the record's
    // copies into them reuse their buffers. Lines beyond those are empty
    // strings that hold no buffer (moved-from), so that a dump of millions
    // of lines allocates each line once, when the record writes it.
    const size_t kept = m_lines.size() < lines ? m_lines.size() : lines;
    for (size_t i = 0; i < kept; ++i) m_lines[i].erase();
    if (m_lines.size() < lines) {
        m_lines.reserve(lines);
        StringBase unallocated;
        while (m_lines.size() < lines) m_lines.push_back(std::move(unallocated));
    }
    record->FormatForOutput(m_lines.data(), count, m_use);
    // The record is done: a dump of millions of lines goes out as it is
    // appended instead of piling up.
    for (size_t i = 0; i < lines; ++i) {
        out.Append(m_lines[i].c_str(), m_lines[i].length());
        out.Append('\n');
        out.FlushIfFull();
    }
    out.Append('\n');
    if (m_lines.size() > kKeptLines) {
        m_lines.clear();
        m_lines.shrink_to_fit();
    }
}

}  // namespace vesk::replay
