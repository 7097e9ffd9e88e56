#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "format/CVisaGenericFormat.h"
#include "tests/format/format_test_support.h"

namespace nKoVeskLog210 {
namespace {

using kovesk_test::Bytes;
using kovesk_test::bytesOf;

kovesk_test::Rendered render(int type, const Bytes& bytes, int elementSize = 1) {
    CKOVeskMemoryLogger logger;
    const int index = kovesk_test::addCaptured(logger, type, bytes);
    logger.SetParamElementSize(index, elementSize);
    return kovesk_test::renderChecked([&](char* out) {
        return CVisaGenericFormat().FormatCallArgArray(&logger, index, out, eFormatLine, nullptr);
    });
}

// Up to two integers, ",..." for more (one for 64-bit); "%.6G" reals with
// the special values named; up to twelve booleans; NULL centred in the width
// of the address it replaces. Short captures show only their whole elements.
TEST(ArrayFormatTest, Previews) {
    Bytes hundred(100);
    for (size_t i = 0; i < hundred.size(); ++i) hundred[i] = static_cast<unsigned char>(i + 1);
    const std::string twelve = "T,T,T,T,T,T,T,T,T,T,T,T";
    const struct {
        int type;
        Bytes bytes;
        int elementSize;
        std::string expected;
    } cases[] = {
        {2, bytesOf<uint32_t>({0x12}), 1, "{0x00000012}"},
        {2, bytesOf<uint32_t>({1, 2}), 1, "{0x00000001,0x00000002}"},
        {2, bytesOf<uint32_t>({1, 2, 3}), 1, "{0x00000001,0x00000002,...}"},
        {2, {1, 0, 0, 0, 2, 0}, 1, "{0x00000001,...}"},
        {2, {}, 1, "{}"},
        {6, bytesOf<uint16_t>({0xBEEF, 1, 2}), 1, "{0xBEEF,0x0001,...}"},
        {10, {0xAB}, 1, "{0xAB}"},
        {10, hundred, 1, "{0x01,0x02,...}"},
        {96, bytesOf<uint64_t>({0x1234}), 1, "{0x0000000000001234}"},
        {96, bytesOf<uint64_t>({0x1234, 5}), 1, "{0x0000000000001234,...}"},
        {96, {1, 2, 3, 4}, 1, "{}"},
        {18, bytesOf<float>({1.5f, 2.0f}), 1, "{1.5,2}"},
        {91, bytesOf<float>({1.5f, 2.0f, 3.0f}), 1, "{1.5,2,...}"},
        {18, bytesOf<float>({std::nanf("")}), 1, "{NAN}"},
        {92, bytesOf<double>({-INFINITY, INFINITY}), 1, "{NINF,INF}"},
        {20, {0, 0, 0, 0}, 1, "{}"},
        {22, {1, 0, 7}, 1, "{T,F,T}"},
        {22, Bytes(12, 1), 1, "{" + twelve + "}"},
        {22, Bytes(13, 1), 1, "{" + twelve + ",...}"},
        {22, {}, 1, "{}"},
        {22, Bytes(25, 1), 2, "{" + twelve + "}"},
        {22, Bytes(26, 1), 2, "{" + twelve + ",...}"},
        {22, bytesOf<uint16_t>({0x0100, 0}), 2, "{T,F}"},
        {22, Bytes(8, 1), 4, ""},
        {15, bytesOf<uint32_t>({0}), 1, "   NULL   "},
        {93, bytesOf<uint64_t>({0}), 1, "       NULL       "},
        {16, bytesOf<uint64_t>({0x1000}), 1, "0x0000000000001000"},
        {15, {1, 2}, 1, ""},
        {14, bytesOf(std::string("abc")), 1, "\"abc\""},
        {110, bytesOf(std::string("abc")), 1, "\"abc\""},
    };
    for (const auto& c : cases) EXPECT_EQ(render(c.type, c.bytes, c.elementSize).text, c.expected);
}

// Every code of each group, on the same 8 bytes "ABCDEFGH".
TEST(ArrayFormatTest, EveryCodeHasItsWidth) {
    const struct {
        std::vector<int> codes;
        const char* expected;
    } groups[] = {
        {{2, 4, 34, 36, 38, 40, 65, 66, 82, 83, 86, 87}, "{0x44434241,0x48474645}"},
        {{6, 8, 67, 68, 84, 88}, "{0x4241,0x4443,...}"},
        {{10, 12, 44, 69, 70}, "{0x41,0x42,...}"},
        {{96, 98, 106, 107}, "{0x4847464544434241}"},
        {{15, 16, 93}, "0x4847464544434241"},
        {{14, 41, 42, 45, 46, 48, 79, 85, 89, 90, 110, 111}, "\"ABCDEFGH\""},
        {{-1, 0, 1, 3, 21, 23, 108, 109, 112}, ""},
    };
    for (const auto& group : groups)
        for (const int code : group.codes)
            EXPECT_EQ(render(code, bytesOf(std::string("ABCDEFGH"))).text, group.expected) << code;
}

// A size the logger holds no bytes for, a missing parameter or logger.
TEST(ArrayFormatTest, NothingToRenderWritesNothing) {
    for (const int code : {2, 10, 96, 18, 22, 15, 14, 110}) {
        CKOVeskMemoryLogger logger;
        logger.SetParamSizeWithoutData(logger.AddParam("p", code), 8);
        EXPECT_EQ(kovesk_test::renderChecked([&](char* out) {
                      return CVisaGenericFormat().FormatCallArgArray(&logger, 0, out, eFormatLine, nullptr);
                  }).result, 0) << code;
    }
    EXPECT_EQ(kovesk_test::renderChecked([&](char* out) {
                  return CVisaGenericFormat().FormatCallArgArray(nullptr, 0, out, eFormatLine, nullptr);
              }).result, 0);
}

}  // namespace
}  // namespace nKoVeskLog210
