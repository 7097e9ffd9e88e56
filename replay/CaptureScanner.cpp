#include "replay/CaptureScanner.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "replay/CallParser.h"

namespace vesk::replay {

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr size_t kByteOrderMarkSize = sizeof kByteOrderMark - 1;

bool isBlankLine(std::string_view line) {
    for (const char c : line) {
        if (c != ' ' && c != '\t' && c != '\r') return false;
    }
    return true;
}

}  // namespace

CCaptureScanner::CCaptureScanner(int fd, uint64_t startOffset, uint64_t linesBefore,
                                 size_t maxLineBytes)
    : m_fd(fd),
      m_maxLineBytes(maxLineBytes),
      m_buffer(static_cast<char*>(std::malloc(kReadSize + kLinePadding))),
      m_size(kReadSize + kLinePadding),
      m_bufferOffset(startOffset),
      m_lineNumber(linesBefore),
      m_atStart(startOffset == 0) {
    if (!m_buffer) throw std::bad_alloc();
}

bool CCaptureScanner::refill() {
    if (m_atEnd) return false;
    const size_t kept = m_end - m_begin;
    if (m_begin > 0 && kept > 0) std::memmove(m_buffer.get(), m_buffer.get() + m_begin, kept);
    m_bufferOffset += m_begin;
    m_begin = 0;
    m_end = kept;
    // A line longer than the buffer: grow it, as far as the longest line
    // allowed and one more block to see where it ends.
    if (m_size - kLinePadding - m_end < kReadSize / 2) {
        const size_t grown = std::min(2 * m_size, m_maxLineBytes + kReadSize + kLinePadding);
        char* block = grown > m_size ? static_cast<char*>(std::realloc(m_buffer.get(), grown)) : nullptr;
        if (!block) throw std::bad_alloc();
        m_buffer.release();
        m_buffer.reset(block);
        m_size = grown;
    }
    const size_t room = m_size - kLinePadding - m_end;
    ssize_t got;
    do {
        got = ::pread(m_fd, m_buffer.get() + m_end, room, static_cast<off_t>(m_bufferOffset + m_end));
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        m_errno = errno;
        m_atEnd = true;
        return false;
    }
    if (got == 0) m_atEnd = true;
    m_end += static_cast<size_t>(got);
    std::memset(m_buffer.get() + m_end, 0, kLinePadding);
    if (m_atStart) {
        // A regular file reads whole blocks until its end: the first read
        // holds the mark if there is one.
        m_atStart = false;
        if (m_end >= kByteOrderMarkSize &&
            std::memcmp(m_buffer.get(), kByteOrderMark, kByteOrderMarkSize) == 0) {
            m_begin = kByteOrderMarkSize;
        }
    }
    return got > 0;
}

CCaptureScanner::eNext CCaptureScanner::Next(tLine& line) {
    for (;;) {
        char* const begin = m_buffer.get() + m_begin;
        const size_t available = m_end - m_begin;
        const auto* newline =
            static_cast<const char*>(std::memchr(begin + m_scanned, '\n', available - m_scanned));
        if (m_skipping) {
            // The rest of a line too long to hold: dropped as it is read.
            if (newline) {
                m_begin += static_cast<size_t>(newline - begin) + 1;
                m_skipping = false;
            } else {
                m_begin = m_end;
                if (!refill()) return m_errno ? eNext::ReadError : eNext::End;
            }
            m_scanned = 0;
            continue;
        }
        // The last line of the file may end without a line break.
        const bool lastLine = !newline && m_atEnd && available > 0 && m_errno == 0;
        if (newline || lastLine) {
            size_t length = newline ? static_cast<size_t>(newline - begin) : available;
            const uint64_t offset = m_bufferOffset + m_begin;
            m_begin += newline ? length + 1 : length;
            m_scanned = 0;
            ++m_lineNumber;
            if (length > 0 && begin[length - 1] == '\r') --length;
            if (length > m_maxLineBytes) {
                line = {offset, m_lineNumber, {}};
                return eNext::TooLong;
            }
            const std::string_view text(begin, length);
            if (isBlankLine(text)) continue;
            line = {offset, m_lineNumber, text};
            return eNext::Line;
        }
        m_scanned = available;
        // One byte more than the longest line may be the "\r" before its break.
        if (available > m_maxLineBytes + 1) {
            line = {m_bufferOffset + m_begin, ++m_lineNumber, {}};
            m_begin = m_end;
            m_scanned = 0;
            m_skipping = true;
            return eNext::TooLong;
        }
        if (!refill()) {
            if (m_errno) return eNext::ReadError;
            if (m_end > m_begin) continue;  // the last line, without a break
            return eNext::End;
        }
    }
}

}  // namespace vesk::replay
