// The in-memory logger: every read is bounded by what was captured.
#include "host/CKOVeskMemoryLogger.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// A logger holding one parameter with exactly `bytes` captured.
CKOVeskMemoryLogger& loggerWith(CKOVeskMemoryLogger& logger, const Bytes& bytes) {
    logger.Clear();
    const int index = logger.AddParam("value", 5);
    logger.SetParamBytes(index, bytes.data(), bytes.size());
    return logger;
}

// --- values: little-endian, zero-extended from narrower captures ----------

struct tValueCase {
    const char* why;
    Bytes bytes;
    int32_t int32;
    uint8_t uint8;
    uint16_t uint16;
    uint32_t uint32;
};

const tValueCase kValueCases[] = {
    {"one byte fills only the low byte", {0x01}, 1, 0x01, 0x0001, 1},
    {"a high bit in one byte is not a sign", {0xFF}, 255, 0xFF, 0x00FF, 0xFF},
    {"two bytes are read low byte first", {0x34, 0x12}, 0x1234, 0x34, 0x1234, 0x1234},
    {"four bytes are read low byte first", {0x78, 0x56, 0x34, 0x12}, 0x12345678, 0x78, 0x5678,
     0x12345678},
    {"all ones in four bytes is -1", {0xFF, 0xFF, 0xFF, 0xFF}, -1, 0xFF, 0xFFFF, 0xFFFFFFFFu},
    {"a wider capture gives its low bytes", {1, 2, 3, 4, 5, 6, 7, 8}, 0x04030201, 0x01, 0x0201,
     0x04030201},
    {"an empty capture reads as 0", {}, 0, 0, 0, 0},
};

TEST(MemoryLoggerValues, ReadLittleEndianAndZeroExtend) {
    CKOVeskMemoryLogger logger;
    for (const tValueCase& c : kValueCases) {
        SCOPED_TRACE(c.why);
        loggerWith(logger, c.bytes);
        int32_t int32 = 77;
        uint8_t uint8 = 77;
        uint16_t uint16 = 77;
        uint32_t uint32 = 77;
        logger.GetParamInt32(0, &int32);
        logger.GetParamUInt8(0, &uint8);
        logger.GetParamUInt16(0, &uint16);
        logger.GetParamUInt32(0, &uint32);
        EXPECT_EQ(int32, c.int32);
        EXPECT_EQ(uint8, c.uint8);
        EXPECT_EQ(uint16, c.uint16);
        EXPECT_EQ(uint32, c.uint32);
    }
}

template <class T>
Bytes bytesOf(T value) {
    Bytes bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

// Reals are the bit patterns of their 4 or 8 captured bytes.
TEST(MemoryLoggerValues, RealsFromTheirBytes) {
    CKOVeskMemoryLogger logger;
    float single = 0;
    double twice = 0;
    loggerWith(logger, bytesOf(-1.5f)).GetParamFloat(0, &single);
    EXPECT_EQ(single, -1.5f);
    loggerWith(logger, bytesOf(2.25e100)).GetParamDouble(0, &twice);
    EXPECT_EQ(twice, 2.25e100);
}

// --- data requests: never a pointer that would be read past the capture ---

struct tDataCase {
    const char* why;
    int captured;  // -1: a size of 16 without data
    int requested;
    bool expectData;
};

const tDataCase kDataCases[] = {
    {"asking for nothing of a capture", 4, 0, true},
    {"asking for less than was captured", 4, 3, true},
    {"asking for exactly what was captured", 4, 4, true},
    {"one byte more than was captured", 4, 5, false},
    {"a negative count is no valid request", 4, -1, false},
    {"an empty capture still has a place", 0, 0, true},
    {"an empty capture has no first byte", 0, 1, false},
    {"a size without data has no bytes", -1, 16, false},
    {"a size without data, asking for nothing", -1, 0, false},
};

TEST(MemoryLoggerData, RequestsAreBoundedByTheCapture) {
    CKOVeskMemoryLogger logger;
    const Bytes four = {0xA0, 0xA1, 0xA2, 0xA3};
    for (const tDataCase& c : kDataCases) {
        SCOPED_TRACE(c.why);
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
        EXPECT_EQ(data != nullptr, c.expectData);
        EXPECT_EQ(static_cast<const void*>(buffer), data);
        if (c.expectData && c.captured > 0) {
            EXPECT_EQ(std::memcmp(buffer, four.data(), static_cast<size_t>(c.captured)), 0);
        }
    }
}

// --- positions outside the parameters --------------------------------------

// Everything a reader can learn about one position, from preset values that
// no read would produce.
struct tEverything {
    const char* name = "preset";
    int type = 9, size = 9, fullSize = 9, elementSize = 9;
    bool truncated = true;
    uint32_t value = 9;
    const char* data = "preset";

    tEverything(const CKOVeskMemoryLogger& logger, int index) {
        logger.GetParamName(index, &name);
        logger.GetParamType(index, &type);
        logger.GetParamSize(index, &size);
        logger.GetParamFullSize(index, &fullSize);
        logger.GetParamElementSize(index, &elementSize);
        logger.GetParamTruncated(index, &truncated);
        logger.GetParamUInt32(index, &value);
        logger.GetParamBuffer(index, &data, 0);
    }
};

TEST(MemoryLoggerOutside, ReadsGiveNothing) {
    CKOVeskMemoryLogger logger;
    logger.AddParam("only", 5);
    const uint32_t all = 0xFFFFFFFFu;
    logger.SetParamBytes(0, &all, sizeof all);
    logger.SetParamTruncated(0, true);
    for (const int index : {-1, 1, 2, 1000, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(index);
        const tEverything read(logger, index);
        EXPECT_STREQ(read.name, "preset");
        EXPECT_EQ(read.type, 0);
        EXPECT_EQ(read.size, 0);
        EXPECT_EQ(read.fullSize, 0);
        EXPECT_EQ(read.elementSize, 0);
        EXPECT_FALSE(read.truncated);
        EXPECT_EQ(read.value, 0u);
        EXPECT_EQ(read.data, nullptr);
    }
}

// --- names ---------------------------------------------------------------

// A parameter without a name leaves the caller's preset pointer alone, so a
// caller that presets null sees "no name" rather than an empty one; a name
// given with a length ends there.
TEST(MemoryLoggerNames, AbsentEmptyAndCounted) {
    CKOVeskMemoryLogger logger;
    logger.AddParam(nullptr, 5);
    logger.AddParam("", 5);
    logger.AddParam("bufCount", 3, 6);
    const char* names[3] = {};
    for (int i = 0; i < 3; ++i) logger.GetParamName(i, &names[i]);
    EXPECT_EQ(names[0], nullptr);
    EXPECT_STREQ(names[1], "");
    EXPECT_STREQ(names[2], "buf");
    logger.SetFunction(nullptr, 7, 3);
    EXPECT_STREQ(logger.GetFunctionName(), "") << "never null";
}

// --- Clear: a reused logger forgets the call but keeps its storage --------

// A slot reused after Clear starts from defaults, not from the old call.
TEST(MemoryLoggerClear, ReusedSlotStartsFresh) {
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
    EXPECT_EQ(logger.GetFunctionId(), -1);
    EXPECT_EQ(logger.GetApiType(), eKoVeskApiVisa);
    EXPECT_EQ(logger.GetReturnParamIndex(), -1);

    logger.AddParam(nullptr, 7);
    const tEverything read(logger, 0);
    EXPECT_STREQ(read.name, "preset");
    EXPECT_EQ(read.type, 7);
    EXPECT_EQ(read.size, 0);
    EXPECT_EQ(read.fullSize, 0);
    EXPECT_EQ(read.elementSize, 1);
    EXPECT_FALSE(read.truncated);
    EXPECT_EQ(read.data, nullptr);
}

// The same call shape built again after Clear lands in the same storage:
// names and captured bytes keep their addresses, so nothing was allocated.
TEST(MemoryLoggerClear, SameShapeReusesStorage) {
    CKOVeskMemoryLogger logger;
    const std::string longName(40, 'n');  // beyond any small-string buffer
    const Bytes bytes(256, 0x5A);
    std::vector<const char*> first;
    for (int round = 0; round < 2; ++round) {
        logger.Clear();
        for (int i = 0; i < 4; ++i) {
            logger.AddParam(longName.c_str(), 6);
            logger.SetParamBytes(i, bytes.data(), bytes.size());
        }
        std::vector<const char*> addresses;
        for (int i = 0; i < 4; ++i) {
            const char* name = nullptr;
            const char* data = nullptr;
            logger.GetParamName(i, &name);
            logger.GetParamBuffer(i, &data, 256);
            addresses.insert(addresses.end(), {name, data});
        }
        if (round == 0) {
            first = addresses;
        } else {
            EXPECT_EQ(addresses, first);
        }
    }
}

}  // namespace
