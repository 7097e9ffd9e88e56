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

// Reals are the bit patterns of their 4 or 8 captured bytes.
TEST(MemoryLoggerValues, RealsFromTheirBytes) {
    CKOVeskMemoryLogger logger;
    const float single = -1.5f;
    const double twice = 2.25e100;
    Bytes bytes(sizeof single);
    std::memcpy(bytes.data(), &single, sizeof single);
    float readSingle = 0;
    loggerWith(logger, bytes).GetParamFloat(0, &readSingle);
    EXPECT_EQ(readSingle, single);

    bytes.resize(sizeof twice);
    std::memcpy(bytes.data(), &twice, sizeof twice);
    double readDouble = 0;
    loggerWith(logger, bytes).GetParamDouble(0, &readDouble);
    EXPECT_EQ(readDouble, twice);
}

// A parameter whose size was captured without its bytes reads as 0.
TEST(MemoryLoggerValues, SizeWithoutDataReadsAsZero) {
    CKOVeskMemoryLogger logger;
    logger.AddParam("count", 5);
    logger.SetParamSizeWithoutData(0, 4);
    int size = 0;
    logger.GetParamSize(0, &size);
    EXPECT_EQ(size, 4);
    uint32_t value = 99;
    logger.GetParamUInt32(0, &value);
    EXPECT_EQ(value, 0u);
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

TEST(MemoryLoggerOutside, ReadsGiveNothing) {
    CKOVeskMemoryLogger logger;
    logger.AddParam("only", 5);
    const uint32_t all = 0xFFFFFFFFu;
    logger.SetParamBytes(0, &all, sizeof all);
    logger.SetParamTruncated(0, true);
    logger.SetParamFullSize(0, 100);

    for (const int index : {-1, 1, 2, 1000, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(index);
        const char preset[] = "preset";
        const char* name = preset;
        int type = 9, size = 9, fullSize = 9, elementSize = 9;
        bool truncated = true;
        int32_t int32 = 9;
        uint32_t uint32 = 9;
        double real = 9;
        const char* buffer = preset;
        const void* data = preset;
        logger.GetParamName(index, &name);
        logger.GetParamType(index, &type);
        logger.GetParamSize(index, &size);
        logger.GetParamFullSize(index, &fullSize);
        logger.GetParamElementSize(index, &elementSize);
        logger.GetParamTruncated(index, &truncated);
        logger.GetParamInt32(index, &int32);
        logger.GetParamUInt32(index, &uint32);
        logger.GetParamDouble(index, &real);
        logger.GetParamBuffer(index, &buffer, 0);
        logger.GetParamData(index, &data, 1, 0);
        EXPECT_EQ(name, preset);
        EXPECT_EQ(type, 0);
        EXPECT_EQ(size, 0);
        EXPECT_EQ(fullSize, 0);
        EXPECT_EQ(elementSize, 0);
        EXPECT_FALSE(truncated);
        EXPECT_EQ(int32, 0);
        EXPECT_EQ(uint32, 0u);
        EXPECT_EQ(real, 0.0);
        EXPECT_EQ(buffer, nullptr);
        EXPECT_EQ(data, nullptr);
    }
}

// Null out-pointers are ignored rather than written through.
TEST(MemoryLoggerOutside, NullOutPointersAreIgnored) {
    CKOVeskMemoryLogger logger;
    logger.AddParam("x", 5);
    logger.GetParamName(0, nullptr);
    logger.GetParamType(0, nullptr);
    logger.GetParamInt32(0, nullptr);
    logger.GetParamBuffer(0, nullptr, 0);
    logger.GetParamData(0, nullptr, 1, 0);
    SUCCEED();
}

// Building a parameter that does not exist is a host error, not a no-op.
TEST(MemoryLoggerOutside, BuildingAMissingParameterThrows) {
    CKOVeskMemoryLogger logger;
    const char byte = 1;
    EXPECT_THROW(logger.SetParamBytes(0, &byte, 1), std::out_of_range);
    EXPECT_THROW(logger.SetParamSizeWithoutData(-1, 1), std::out_of_range);
    EXPECT_THROW(logger.SetParamFullSize(3, 1), std::out_of_range);
}

// --- names ---------------------------------------------------------------

// A parameter without a name leaves the caller's preset pointer alone, so a
// caller that presets null sees "no name" rather than an empty one.
TEST(MemoryLoggerNames, NoNameLeavesThePreset) {
    CKOVeskMemoryLogger logger;
    logger.AddParam(nullptr, 5);
    logger.AddParam("", 5);
    const char* name = nullptr;
    logger.GetParamName(0, &name);
    EXPECT_EQ(name, nullptr);
    logger.GetParamName(1, &name);
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, "");
}

// A name given with a length need not be terminated where it ends.
TEST(MemoryLoggerNames, CountedNameStopsAtItsLength) {
    CKOVeskMemoryLogger logger;
    logger.AddParam("bufCount", 3, 6);
    const char* name = nullptr;
    logger.GetParamName(0, &name);
    EXPECT_STREQ(name, "buf");
}

TEST(MemoryLoggerNames, FunctionNameIsNeverNull) {
    CKOVeskMemoryLogger logger;
    ASSERT_NE(logger.GetFunctionName(), nullptr);
    EXPECT_STREQ(logger.GetFunctionName(), "");
    logger.SetFunction(nullptr, 7, 3);
    ASSERT_NE(logger.GetFunctionName(), nullptr);
    EXPECT_STREQ(logger.GetFunctionName(), "");
}

// --- Clear: a reused logger forgets the call but keeps its storage --------

TEST(MemoryLoggerClear, ForgetsTheCall) {
    CKOVeskMemoryLogger logger;
    logger.SetFunction("viWrite", 0x102, 27);
    logger.AddParam("vi", 33);
    logger.SetReturnParamIndex(0);
    logger.SetSuccessStatus(false);
    logger.Clear();
    EXPECT_EQ(logger.GetParamCount(), 0);
    EXPECT_STREQ(logger.GetFunctionName(), "");
    EXPECT_EQ(logger.GetFunctionId(), -1);
    EXPECT_EQ(logger.GetApiType(), eKoVeskApiVisa);
    EXPECT_EQ(logger.GetReturnParamIndex(), -1);
    EXPECT_TRUE(logger.IsSuccessStatus());
}

// A slot reused after Clear starts from defaults, not from the old call.
TEST(MemoryLoggerClear, ReusedSlotStartsFresh) {
    CKOVeskMemoryLogger logger;
    logger.AddParam("old", 5);
    const uint16_t value = 0xBEEF;
    logger.SetParamBytes(0, &value, sizeof value);
    logger.SetParamTruncated(0, true);
    logger.SetParamFullSize(0, 50);
    logger.SetParamElementSize(0, 2);
    logger.Clear();
    logger.AddParam(nullptr, 7);

    const char* name = nullptr;
    int size = -1, fullSize = -1, elementSize = -1, type = -1;
    bool truncated = true;
    const char* data = "preset";
    logger.GetParamName(0, &name);
    logger.GetParamType(0, &type);
    logger.GetParamSize(0, &size);
    logger.GetParamFullSize(0, &fullSize);
    logger.GetParamElementSize(0, &elementSize);
    logger.GetParamTruncated(0, &truncated);
    logger.GetParamBuffer(0, &data, 0);
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(type, 7);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(fullSize, 0);
    EXPECT_EQ(elementSize, 1);
    EXPECT_FALSE(truncated);
    EXPECT_EQ(data, nullptr);
}

// The same call shape built again after Clear lands in the same storage:
// names and captured bytes are at the same addresses, so nothing was
// allocated for them.
TEST(MemoryLoggerClear, SameShapeReusesStorage) {
    CKOVeskMemoryLogger logger;
    const std::string longName(40, 'n');  // beyond any small-string buffer
    const Bytes bytes(256, 0x5A);
    auto build = [&] {
        logger.Clear();
        logger.SetFunction("viRead with a long function name", 1, 3);
        for (int i = 0; i < 4; ++i) {
            logger.AddParam(longName.c_str(), 6);
            logger.SetParamBytes(i, bytes.data(), bytes.size());
        }
    };
    build();
    std::vector<const char*> names(4), data(4);
    for (int i = 0; i < 4; ++i) {
        logger.GetParamName(i, &names[static_cast<size_t>(i)]);
        logger.GetParamBuffer(i, &data[static_cast<size_t>(i)], 256);
    }
    const char* function = logger.GetFunctionName();
    build();
    for (int i = 0; i < 4; ++i) {
        const char* name = nullptr;
        const char* buffer = nullptr;
        logger.GetParamName(i, &name);
        logger.GetParamBuffer(i, &buffer, 256);
        EXPECT_EQ(name, names[static_cast<size_t>(i)]);
        EXPECT_EQ(buffer, data[static_cast<size_t>(i)]);
    }
    EXPECT_EQ(logger.GetFunctionName(), function);
}

}  // namespace
