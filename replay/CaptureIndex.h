// The index of a capture file for the browser view: where each call's line
// starts, and what reading it once found (a failed call, a line that is no
// call), in 8 bytes a call; the calls themselves stay in the file and are
// read back by offset when they are shown.
//
// The index is built by one thread (in the background for --serve, in the
// caller's thread for --html) while others read it: every call is
// published as soon as its line has been read, so the first calls can be
// shown before the whole file is indexed. Each line is parsed once while
// indexing; the lines that are no well-formed call are kept as diagnostics
// (the first kMaxDiagnostics of them; the rest are counted).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vesk::replay {

class CCaptureIndex {
public:
    // What indexing found of a call.
    enum class eCallState : uint8_t {
        Good = 0,     // a well-formed call that did not fail
        Failed = 1,   // a well-formed call that returned an error status
        Bad = 2,      // a line that is no well-formed call
        TooLong = 3,  // a line longer than the longest allowed
    };

    // Calls per block of the index, and the most calls an index holds.
    static constexpr uint64_t kBlockCalls = uint64_t{1} << 16;
    static constexpr uint64_t kMaxBlocks = uint64_t{1} << 16;
    static constexpr uint64_t kMaxCalls = kBlockCalls * kMaxBlocks - 1;
    // Diagnostics kept; the count goes on beyond.
    static constexpr size_t kMaxDiagnostics = 1000;

    struct tDiagnostic {
        uint64_t line = 0;  // physical line of the file, from 1
        uint64_t call = 0;  // the call number the line has
        std::string message;
    };

    struct tProgress {
        uint64_t calls = 0;        // calls indexed so far
        bool complete = false;     // indexing has ended (see failure)
        bool anyTime = false;      // some call has a start time
        bool anyDuration = false;  // some call has a duration
        uint64_t diagnostics = 0;  // lines that are no call, kept or not
        std::string failure;       // why indexing stopped early; empty when it did not
    };

    // Lines longer than `maxLineBytes` are diagnosed, not read.
    explicit CCaptureIndex(size_t maxLineBytes);
    ~CCaptureIndex();
    CCaptureIndex(const CCaptureIndex&) = delete;
    CCaptureIndex& operator=(const CCaptureIndex&) = delete;

    // Opens `path`, which must name a regular file (the calls are read back
    // by offset). False, with `error` set, when it cannot.
    bool Open(const std::string& path, std::string& error);

    // Indexes the whole file in a thread of its own; Stop ends it early.
    void StartInBackground();
    // Indexes the file in the calling thread, to its end or until it has
    // indexed more than `maxCalls` calls.
    void Build(uint64_t maxCalls = kMaxCalls);
    // Asks the background thread to stop and waits for it.
    void Stop();

    // Calls indexed so far; calls 1 to Calls() may be asked for.
    uint64_t Calls() const { return m_published.load(std::memory_order_acquire); }
    tProgress Progress() const;
    std::vector<tDiagnostic> Diagnostics() const;

    eCallState State(uint64_t number) const { return static_cast<eCallState>(entry(number) >> kStateShift); }
    uint64_t Offset(uint64_t number) const { return entry(number) & kOffsetMask; }

    // Reads call `number` (1 to Calls()) into `buffer`, followed by the
    // padding the call parser needs, and points `line` at it. False, with
    // `error` set, when it cannot be read (or is too long).
    bool ReadLine(uint64_t number, std::string& buffer, std::string_view& line,
                  std::string& error) const;

    int Fd() const { return m_fd; }
    size_t MaxLineBytes() const { return m_maxLineBytes; }
    // The message of a line longer than the longest allowed.
    std::string TooLongMessage() const;

private:
    // An entry: the line's offset in the low bits, its eCallState on top.
    static constexpr unsigned kStateShift = 62;
    static constexpr uint64_t kOffsetMask = (uint64_t{1} << kStateShift) - 1;

    uint64_t entry(uint64_t number) const {
        const uint64_t at = number - 1;
        return m_blocks[at / kBlockCalls][at % kBlockCalls];
    }
    void run(uint64_t maxCalls);
    void index(uint64_t maxCalls);
    // Adds the next call; false when the index is full.
    bool add(uint64_t offset, eCallState state);
    void diagnose(uint64_t line, uint64_t call, std::string message);
    void finish(std::string failure);

    size_t m_maxLineBytes;
    int m_fd = -1;
    std::string m_path;
    std::unique_ptr<std::unique_ptr<uint64_t[]>[]> m_blocks;
    std::atomic<uint64_t> m_published{0};
    std::atomic<bool> m_stopRequested{false};
    std::thread m_thread;

    mutable std::mutex m_mutex;  // guards what follows
    std::vector<tDiagnostic> m_diagnostics;
    uint64_t m_diagnosticCount = 0;
    bool m_complete = false;
    bool m_anyTime = false;
    bool m_anyDuration = false;
    std::string m_failure;
};

}  // namespace vesk::replay
