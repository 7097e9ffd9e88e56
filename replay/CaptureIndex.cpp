#include "replay/CaptureIndex.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "replay/CallFilter.h"
#include "replay/CallParser.h"
#include "replay/CaptureScanner.h"
#include "replay/CapturedCall.h"

namespace vesk::replay {

namespace {

// Bytes read for a line whose end is not known yet (the last call indexed).
constexpr size_t kFirstReadOfLastLine = size_t{1} << 12;

// pread of `length` bytes at `offset`, until they are all read or the file
// ends; the bytes read, or -1 with errno set.
ssize_t readAt(int fd, char* into, size_t length, uint64_t offset) {
    size_t done = 0;
    while (done < length) {
        const ssize_t got = ::pread(fd, into + done, length - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

}  // namespace

CCaptureIndex::CCaptureIndex(size_t maxLineBytes)
    : m_maxLineBytes(maxLineBytes),
      m_blocks(std::make_unique<std::unique_ptr<uint64_t[]>[]>(kMaxBlocks)) {}

CCaptureIndex::~CCaptureIndex() {
    Stop();
    if (m_fd >= 0) ::close(m_fd);
}

bool CCaptureIndex::Open(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        error = path + " is not a regular file: the browser view reads calls back by their place in the file";
        return false;
    }
    m_fd = fd;
    m_path = path;
    return true;
}

void CCaptureIndex::StartInBackground() {
    m_thread = std::thread([this] { run(kMaxCalls); });
}

void CCaptureIndex::Build(uint64_t maxCalls) { run(maxCalls); }

void CCaptureIndex::Stop() {
    m_stopRequested.store(true);
    if (m_thread.joinable()) m_thread.join();
}

std::string CCaptureIndex::TooLongMessage() const {
    char message[128];
    std::snprintf(message, sizeof message,
                  "the line is longer than %zu bytes (--max-line raises the limit)", m_maxLineBytes);
    return message;
}

CCaptureIndex::tProgress CCaptureIndex::Progress() const {
    tProgress progress;
    progress.calls = Calls();
    const std::lock_guard<std::mutex> lock(m_mutex);
    progress.complete = m_complete;
    progress.anyTime = m_anyTime;
    progress.anyDuration = m_anyDuration;
    progress.diagnostics = m_diagnosticCount;
    progress.failure = m_failure;
    return progress;
}

std::vector<CCaptureIndex::tDiagnostic> CCaptureIndex::Diagnostics() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_diagnostics;
}

void CCaptureIndex::diagnose(uint64_t line, uint64_t call, std::string message) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    ++m_diagnosticCount;
    if (m_diagnostics.size() < kMaxDiagnostics) m_diagnostics.push_back({line, call, std::move(message)});
}

void CCaptureIndex::finish(std::string failure) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_complete = true;
    m_failure = std::move(failure);
}

bool CCaptureIndex::add(uint64_t offset, eCallState state) {
    const uint64_t at = m_published.load(std::memory_order_relaxed);
    if (at >= kMaxCalls) return false;
    std::unique_ptr<uint64_t[]>& block = m_blocks[at / kBlockCalls];
    if (!block) block = std::make_unique<uint64_t[]>(kBlockCalls);
    block[at % kBlockCalls] = (offset & kOffsetMask) | uint64_t{static_cast<uint8_t>(state)} << kStateShift;
    // Readers see the entry, and its block, once they see the count.
    m_published.store(at + 1, std::memory_order_release);
    return true;
}

void CCaptureIndex::run(uint64_t maxCalls) {
    try {
        index(maxCalls);
    } catch (const std::bad_alloc&) {
        finish("out of memory while indexing: the calls after call " + std::to_string(Calls()) +
               " are not shown");
    }
}

void CCaptureIndex::index(uint64_t maxCalls) {
    CCaptureScanner scanner(m_fd, 0, 0, m_maxLineBytes);
    CallParser parser;
    CapturedCall call;
    bool anyTime = false, anyDuration = false;
    CCaptureScanner::tLine line;
    for (;;) {
        if (m_stopRequested.load(std::memory_order_relaxed)) return finish("indexing was stopped");
        const CCaptureScanner::eNext next = scanner.Next(line);
        if (next == CCaptureScanner::eNext::End) return finish("");
        if (next == CCaptureScanner::eNext::ReadError) {
            return finish("cannot read " + m_path + ": " + std::strerror(scanner.Errno()) +
                          "; the calls after call " + std::to_string(Calls()) + " are not shown");
        }
        const uint64_t number = Calls() + 1;
        eCallState state = eCallState::Good;
        if (next == CCaptureScanner::eNext::TooLong) {
            state = eCallState::TooLong;
            diagnose(line.lineNumber, number, TooLongMessage());
        } else if (!parser.Parse(line.text.data(), line.text.size(), call)) {
            state = eCallState::Bad;
            diagnose(line.lineNumber, number, parser.Error());
        } else {
            if (CallFailed(call)) state = eCallState::Failed;
            if ((call.hasTime && !anyTime) || (call.hasDuration && !anyDuration)) {
                anyTime = anyTime || call.hasTime;
                anyDuration = anyDuration || call.hasDuration;
                const std::lock_guard<std::mutex> lock(m_mutex);
                m_anyTime = anyTime;
                m_anyDuration = anyDuration;
            }
        }
        if (!add(line.offset, state)) {
            return finish("the capture has more calls than the browser view holds (" +
                          std::to_string(kMaxCalls) + ")");
        }
        if (Calls() > maxCalls) return finish("indexing stopped after " + std::to_string(Calls()) + " calls");
    }
}

bool CCaptureIndex::ReadLine(uint64_t number, std::string& buffer, std::string_view& line,
                             std::string& error) const {
    const uint64_t calls = Calls();
    if (number == 0 || number > calls) {
        error = "no call " + std::to_string(number);
        return false;
    }
    if (State(number) == eCallState::TooLong) {
        error = TooLongMessage();
        return false;
    }
    const uint64_t offset = Offset(number);
    // The next call's line starts after this one's break: read up to there.
    const size_t longest = m_maxLineBytes + 2;  // the line, "\r" and "\n"
    size_t want = number < calls ? static_cast<size_t>(std::min<uint64_t>(Offset(number + 1) - offset, longest))
                                 : std::min(kFirstReadOfLastLine, longest);
    size_t have = 0;
    for (;;) {
        buffer.resize(want + kLinePadding);
        const ssize_t got = readAt(m_fd, buffer.data() + have, want - have, offset + have);
        if (got < 0) {
            error = std::string("cannot read the call: ") + std::strerror(errno);
            return false;
        }
        const size_t searched = have;
        have += static_cast<size_t>(got);
        const void* newline = std::memchr(buffer.data() + searched, '\n', have - searched);
        const bool ended = newline || have < want || want == longest;
        if (ended) {
            size_t length = newline ? static_cast<size_t>(static_cast<const char*>(newline) - buffer.data()) : have;
            if (length > 0 && buffer[length - 1] == '\r') --length;
            if (length > m_maxLineBytes) {
                error = TooLongMessage();
                return false;
            }
            std::fill(buffer.begin() + static_cast<ptrdiff_t>(length),
                      buffer.begin() + static_cast<ptrdiff_t>(std::min(buffer.size(), length + kLinePadding)), '\0');
            line = std::string_view(buffer.data(), length);
            return true;
        }
        want = std::min(2 * want, longest);
    }
}

}  // namespace vesk::replay
