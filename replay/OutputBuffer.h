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
#include <string>
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

    void Append(std::string_view text) { m_text.append(text.data(), text.size()); }
    void Append(const char* text, size_t length) { m_text.append(text, length); }
    void Append(char c) { m_text.push_back(c); }
    void AppendDecimal(int64_t value);

    // The position to go back to (counted from the first byte ever
    // appended), and going back to it as far as the text is still held.
    size_t Mark() const { return m_written + m_text.size(); }
    void Rewind(size_t mark) { m_text.resize(mark > m_written ? mark - m_written : 0); }

    // Writes the buffer out when it holds kFlushSize bytes or more; called
    // between calls, and by a renderer appending a long text.
    void FlushIfFull() {
        if (m_text.size() >= kFlushSize) Flush();
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
    void fail(int error);

    std::FILE* m_output;
    std::string m_text;
    size_t m_written = 0;  // bytes handed to the stream so far
    bool m_failed = false;
    int m_failureErrno = 0;
};

}  // namespace vesk::replay
