#include "replay/CaptureReader.h"

#include <cstdio>
#include <new>
#include <string_view>

namespace vesk::replay {

bool IsBlankLine(std::string_view line) {
    for (char c : line) {
        if (c != ' ' && c != '\t' && c != '\r') return false;
    }
    return true;
}

CaptureReader::CaptureReader(std::FILE* input, size_t maxLineBytes)
    : m_lines(input, maxLineBytes) {}

CaptureReader::eResult CaptureReader::stop(LineSource::eNext reason) {
    char message[160];
    switch (reason) {
        case LineSource::eNext::TooLong:
            std::snprintf(message, sizeof message,
                          "the line is longer than %zu bytes (--max-line raises the limit); "
                          "reading stops here",
                          m_lines.MaxLineBytes());
            break;
        case LineSource::eNext::OutOfMemory:
            std::snprintf(message, sizeof message,
                          "out of memory holding the line; reading stops here");
            break;
        case LineSource::eNext::ReadError:
            m_readFailed = true;
            return eResult::End;
        default: return eResult::End;
    }
    m_error = message;
    return eResult::Stopped;
}

CaptureReader::eResult CaptureReader::Next(bool parse) {
    m_error.clear();
    std::string_view line;
    do {
        const LineSource::eNext next = m_lines.Next(line);
        if (next != LineSource::eNext::Line) return stop(next);
    } while (IsBlankLine(line));
    ++m_callNumber;
    if (!parse) return eResult::Skipped;
    eResult result = eResult::BadCall;
    try {
        result = m_parser.Parse(line.data(), line.size(), m_call) ? eResult::Call : eResult::BadCall;
    } catch (const std::bad_alloc&) {
        // The call is dropped; its allocations went with the unwinding.
        m_call.Clear();
        m_error = "out of memory reading the call";
    }
    // The call holds copies of everything it needs from the line.
    m_lines.ReleaseLongLine();
    return result;
}

}  // namespace vesk::replay
