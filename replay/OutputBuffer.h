// The program's standard output: one large buffer, written out with fwrite
// when it fills, so rendering a call costs no stream call per field.
//
// A renderer appends a call's text only after the plug-in has produced all
// of it; Mark and Rewind let the replay drop a call's partial text all the
// same when something fails half-way. A renderer whose plug-in calls are
// all done may write out a long text as it goes (FlushIfFull): what is
// written out then stays written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

namespace vesk::replay {

class OutputBuffer {
public:
    // Text kept before it is written out.
    static constexpr size_t kFlushSize = size_t{1} << 20;

    // Writes to `output`, which stays owned by the caller.
    explicit OutputBuffer(std::FILE* output);
    ~OutputBuffer();
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    // Appending is inline: XML and page text come in many short pieces.
    void Append(std::string_view text) { Append(text.data(), text.size()); }
    void Append(const char* text, size_t length) {
        if (length > m_capacity - m_size) grow(length);
        if (length) std::memcpy(m_text.get() + m_size, text, length);
        m_size += length;
    }
    void Append(char c) {
        if (m_size == m_capacity) grow(1);
        m_text.get()[m_size++] = c;
    }
    void AppendDecimal(int64_t value);

    // The position to go back to (counted from the first byte ever
    // appended), and going back to it as far as the text is still held.
    size_t Mark() const { return m_written + m_size; }
    void Rewind(size_t mark) {
        const size_t held = mark > m_written ? mark - m_written : 0;
        if (held < m_size) m_size = held;
    }

    // Writes the buffer out when it holds kFlushSize bytes or more; called
    // between calls, and by a renderer appending a long text.
    void FlushIfFull() {
        if (m_size >= kFlushSize) Flush();
    }
    // Writes everything out; false when the output failed (now or before).
    // Once a write has failed, nothing more is written: text appended after
    // it is dropped at the next flush, so memory stays flat while the caller
    // winds down.
    bool Flush();

    // True once a write has failed; the errno value of that first failure.
    bool Failed() const { return m_failed; }
    int FailureErrno() const { return m_failureErrno; }

private:
    struct FreeText {
        void operator()(char* text) const { std::free(text); }
    };

    void fail(int error);
    // Makes room for `length` more bytes (doubling); throws std::bad_alloc.
    void grow(size_t length);

    std::FILE* m_output;
    std::unique_ptr<char, FreeText> m_text;
    size_t m_size = 0;      // bytes held
    size_t m_capacity = 0;  // bytes allocated
    size_t m_written = 0;  // bytes handed to the stream so far
    bool m_failed = false;
    int m_failureErrno = 0;
};

}  // namespace vesk::replay
