// The in-memory logger: every read is bounded by what was captured.
#include "host/CKOVeskMemoryLogger.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// Everything a reader learns about one position, read over presets that no
// read would produce: "name type size fullSize elementSize truncated value data".
std::string readAll(const CKOVeskMemoryLogger& logger, int index) {
    static const char* const kPreset = "preset";
    const char *name = kPreset, *data = kPreset;
    int type = 9, size = 9, fullSize = 9, elementSize = 9;
    bool truncated = true;
    uint32_t value = 9;
    logger.GetParamName(index, &name);
    logger.GetParamType(index, &type);
    logger.GetParamSize(index, &size);
    logger.GetParamFullSize(index, &fullSize);
    logger.GetParamElementSize(index, &elementSize);
    logger.GetParamTruncated(index, &truncated);
    logger.GetParamUInt32(index, &value);
    logger.GetParamBuffer(index, &data, 0);
    std::ostringstream out;
    out << (name ? name : "(null)") << ' ' << type << ' ' << size << ' ' << fullSize << ' '
        << elementSize << ' ' << truncated << ' ' << value << ' '
        << (data == nullptr ? "null" : data == kPreset ? "preset" : "data");
    return out.str();
}

// Values are little-endian; a narrower capture is zero-extended (its high
// bit is no sign) and a wider one gives its low bytes.
TEST(MemoryLogger, ValuesZeroExtendNarrowCaptures) {
    const std::pair<Bytes, int32_t> cases[] = {
        {{0xFF}, 255}, {{0x34, 0x12}, 0x1234}, {{0xFF, 0xFF, 0xFF, 0xFF}, -1},
        {{1, 2, 3, 4, 5, 6, 7, 8}, 0x04030201}, {{}, 0},
    };
    CKOVeskMemoryLogger logger;
    for (const auto& [bytes, expected] : cases) {
        logger.Clear();
        logger.AddParam("value", 5);
        logger.SetParamBytes(0, bytes.data(), bytes.size());
        int32_t int32 = 77;
        uint16_t uint16 = 77;
        logger.GetParamInt32(0, &int32);
        logger.GetParamUInt16(0, &uint16);
        EXPECT_EQ(int32, expected) << bytes.size() << " bytes";
        EXPECT_EQ(uint16, uint16_t(expected));
    }
}

// A data request is never answered with a pointer that would be read past
// the capture: more than captured, a negative count, or a size recorded
// without data all give null.
TEST(MemoryLogger, DataRequestsAreBoundedByTheCapture) {
    const struct {
        int captured;  // -1: a size of 16 without data
        int requested;
        bool expectData;
    } cases[] = {
        {4, 0, true}, {4, 4, true}, {4, 5, false}, {4, -1, false},
        {0, 0, true}, {0, 1, false}, {-1, 16, false}, {-1, 0, false},
    };
    CKOVeskMemoryLogger logger;
    const Bytes four = {0xA0, 0xA1, 0xA2, 0xA3};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.captured << " captured, " << c.requested);
        logger.Clear();
        logger.AddParam("buf", 6);
        if (c.captured < 0) {
            logger.SetParamSizeWithoutData(0, 16);
        } else {
            logger.SetParamBytes(0, four.data(), static_cast<size_t>(c.captured));
        }
        const char* buffer = "preset";
        const void* data = "preset";
        logger.GetParamBuffer(0, &buffer, c.requested);
        logger.GetParamData(0, &data, 1, c.requested);
        EXPECT_EQ(buffer != nullptr, c.expectData);
        EXPECT_EQ(static_cast<const void*>(buffer), data);
        EXPECT_TRUE(!c.expectData || std::memcmp(buffer, four.data(), size_t(c.captured)) == 0);
    }
}

// A position outside the parameters has no name, type 0, size 0, value 0
// and no data, whatever the parameter that does exist holds.
TEST(MemoryLogger, PositionsOutsideGiveNothing) {
    CKOVeskMemoryLogger logger;
    logger.AddParam("only", 5);
    const uint32_t all = 0xFFFFFFFFu;
    logger.SetParamBytes(0, &all, sizeof all);
    logger.SetParamTruncated(0, true);
    for (const int index : {-1, 1, INT_MIN, INT_MAX}) {
        EXPECT_EQ(readAll(logger, index), "preset 0 0 0 0 0 0 null") << index;
    }
}

// No name leaves the caller's pointer alone (so a null preset means "no
// name"), and a name given with a length ends there.
TEST(MemoryLogger, NamesAbsentEmptyAndCounted) {
    CKOVeskMemoryLogger logger;
    logger.AddParam(nullptr, 5);
    logger.AddParam("", 5);
    logger.AddParam("bufCount", 3, 6);  // the first 3 characters, type 6
    EXPECT_EQ(readAll(logger, 0), "preset 5 0 0 1 0 0 null");
    EXPECT_EQ(readAll(logger, 1), " 5 0 0 1 0 0 null");
    EXPECT_EQ(readAll(logger, 2), "buf 6 0 0 1 0 0 null");
    logger.SetFunction(nullptr, 7, 3);
    EXPECT_STREQ(logger.GetFunctionName(), "") << "never null";
}

// A logger reused after Clear forgets the old call: the function and return
// index go back to defaults, and a reused slot starts fresh.
TEST(MemoryLogger, ClearForgetsTheOldCall) {
    CKOVeskMemoryLogger logger;
    logger.SetFunction("viRead", 5, 27);
    logger.SetReturnParamIndex(0);
    logger.AddParam("old", 5);
    const uint16_t value = 0xBEEF;
    logger.SetParamBytes(0, &value, sizeof value);
    logger.SetParamTruncated(0, true);
    logger.SetParamFullSize(0, 50);
    logger.SetParamElementSize(0, 2);
    logger.Clear();
    EXPECT_EQ(std::tuple(logger.GetFunctionId(), logger.GetApiType(), logger.GetReturnParamIndex()),
              std::tuple(-1, eKoVeskApiVisa, -1));
    logger.AddParam(nullptr, 7);
    EXPECT_EQ(readAll(logger, 0), "preset 7 0 0 1 0 0 null");
}

// Bytes taken over without a copy read as copied ones, and the caller gets
// the parameter's former storage back, empty, for its next value.
TEST(MemoryLogger, TakenBytesReadAsCopiedOnes) {
    CKOVeskMemoryLogger logger;
    const int index = logger.AddParam("buf", 42);
    logger.SetParamBytes(index, "abcdef", 6);
    std::vector<unsigned char> bytes = {1, 2, 3};
    logger.TakeParamBytes(index, bytes);
    EXPECT_TRUE(bytes.empty());
    int size = 0;
    logger.GetParamSize(index, &size);
    EXPECT_EQ(size, 3);
    const char* data = nullptr;
    logger.GetParamBuffer(index, &data, 3);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::string(data, 3), std::string("\x01\x02\x03"));
    logger.GetParamBuffer(index, &data, 4);
    EXPECT_EQ(data, nullptr);  // no more than was taken
    logger.TakeParamBytes(index, bytes);  // nothing: an empty capture
    logger.GetParamBuffer(index, &data, 0);
    EXPECT_NE(data, nullptr);
    EXPECT_THROW(logger.TakeParamBytes(index + 1, bytes), std::out_of_range);
}

}  // namespace
