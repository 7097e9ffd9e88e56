#include "replay/CaptureReader.h"

#include <string_view>

namespace vesk::replay {

namespace {

bool isBlankLine(std::string_view line) {
    for (char c : line) {
        if (c != ' ' && c != '\t' && c != '\r') return false;
    }
    return true;
}

}  // namespace

CaptureReader::CaptureReader(std::FILE* input) : m_lines(input) {}

CaptureReader::eResult CaptureReader::Next(bool parse) {
    std::string_view line;
    do {
        if (!m_lines.Next(line)) return eResult::End;
    } while (isBlankLine(line));
    ++m_callNumber;
    if (!parse) return eResult::Skipped;
    return m_parser.Parse(line.data(), line.size(), m_call) ? eResult::Call : eResult::BadCall;
}

}  // namespace vesk::replay
