#include "replay/CaptureScanner.h"

#include <new>

#include "replay/CaptureReader.h"

namespace vesk::replay {

CCaptureScanner::eNext CCaptureScanner::Next(tLine& line) {
    for (;;) {
        std::string_view text;
        switch (m_lines.Next(text)) {
            case LineSource::eNext::Line:
                if (IsBlankLine(text)) continue;
                line = {m_lines.LineOffset(), m_lines.LineNumber(), text};
                return eNext::Line;
            case LineSource::eNext::TooLong:
                line = {m_lines.LineOffset(), m_lines.LineNumber(), {}};
                return eNext::TooLong;
            case LineSource::eNext::End: return eNext::End;
            case LineSource::eNext::ReadError: return eNext::ReadError;
            case LineSource::eNext::OutOfMemory: throw std::bad_alloc();
        }
    }
}

}  // namespace vesk::replay
