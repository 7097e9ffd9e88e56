// The output buffer. A rewind before any write-out is covered by the
// bad-input goldens; a rewind after one is not.
#include "replay/OutputBuffer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace vesk::replay {
namespace {

// Marks count every byte ever appended, so a mark taken before a write-out
// still names its place: what was written out stays, the rest is dropped,
// and nothing is made up to fill the gap.
TEST(OutputBufferTest, RewindAfterAWriteOutKeepsWhatWasWritten) {
    std::FILE* file = std::tmpfile();
    {
        OutputBuffer out(file);
        out.Append("call 1\n");
        const size_t mark = out.Mark();
        out.Append("written part of call 2\n");
        out.Flush();
        out.Append("held part of call 2\n");
        out.Rewind(mark);
        EXPECT_EQ(out.Mark(), mark + sizeof "written part of call 2\n" - 1);
        out.Append("call 3\n");
    }
    std::string text(100, '\0');
    std::rewind(file);
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    EXPECT_EQ(text, "call 1\nwritten part of call 2\ncall 3\n");
}

}  // namespace
}  // namespace vesk::replay
