// The output buffer: what a rewind takes back, before and after text has
// been written out, and when the buffer writes out by itself.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "replay/OutputBuffer.h"

namespace vesk::replay {
namespace {

// An output stream in memory; its text is read back after the buffer is
// gone.
class MemoryStream {
public:
    MemoryStream() : m_stream(open_memstream(&m_text, &m_size)) {}
    ~MemoryStream() {
        if (m_stream) std::fclose(m_stream);
        std::free(m_text);
    }
    std::FILE* get() const { return m_stream; }
    std::string text() {
        std::fflush(m_stream);
        return std::string(m_text, m_size);
    }

private:
    char* m_text = nullptr;
    size_t m_size = 0;
    std::FILE* m_stream;
};

// A call that fails before anything was written out leaves no trace.
TEST(OutputBufferTest, RewindDropsTheTextOfTheFailedCall) {
    MemoryStream stream;
    {
        OutputBuffer out(stream.get());
        out.Append("call 1\n");
        const size_t mark = out.Mark();
        out.Append("half of call 2");
        out.Rewind(mark);
        out.Append("call 3\n");
    }
    EXPECT_EQ(stream.text(), "call 1\ncall 3\n");
}

// Marks count every byte ever appended, so a mark taken before a write-out
// still names its place: what was written out stays, the rest is dropped,
// and nothing is made up to fill the gap.
TEST(OutputBufferTest, RewindAfterAWriteOutKeepsWhatWasWritten) {
    MemoryStream stream;
    {
        OutputBuffer out(stream.get());
        out.Append("call 1\n");
        const size_t mark = out.Mark();
        out.Append("written part of call 2\n");
        out.Flush();
        out.Append("held part of call 2\n");
        out.Rewind(mark);
        EXPECT_EQ(out.Mark(), mark + sizeof "written part of call 2\n" - 1);
        out.Append("call 3\n");
    }
    EXPECT_EQ(stream.text(), "call 1\nwritten part of call 2\ncall 3\n");
}

// The buffer writes out once it holds kFlushSize bytes, not before.
TEST(OutputBufferTest, FlushIfFullWritesOutAtTheThreshold) {
    MemoryStream stream;
    OutputBuffer out(stream.get());
    out.Append(std::string(OutputBuffer::kFlushSize - 1, 'x'));
    out.FlushIfFull();
    EXPECT_EQ(stream.text().size(), 0u);
    out.Append('x');
    out.FlushIfFull();
    EXPECT_EQ(stream.text().size(), OutputBuffer::kFlushSize);
}

}  // namespace
}  // namespace vesk::replay
