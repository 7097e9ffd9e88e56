// Buffer previews (FormatCallArgArray): the boundaries of each preview,
// tested on a named code of that preview and element width, and every code
// of the table previewed as the named code of its preview is.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "format/CVisaFormat.h"
#include "format/DataTypeCodes.h"
#include "tests/format/FormatTestSupport.h"

namespace nKoVeskLog210 {
namespace {

using kovesk_test::addCaptured;
using kovesk_test::Bytes;
using kovesk_test::bytesOf;

class ArrayFormatTest : public ::testing::Test {
protected:
    void SetUp() override { std::setlocale(LC_ALL, "C"); }
};

std::string renderArray(int code, const Bytes& bytes, int elementSize = 1,
                        eFormatSpecifier format = eFormatLine) {
    CKOVeskMemoryLogger logger;
    logger.SetParamElementSize(addCaptured(logger, code, bytes), elementSize);
    return kovesk_test::renderArray(logger, 0, format);
}

// Two integers (one of 64 bits) or twelve booleans, then ",..."; elements
// at their width; NULL centred in its address's width; short captures show
// only their whole elements.
TEST_F(ArrayFormatTest, Previews) {
    const std::string twelve = "T,T,T,T,T,T,T,T,T,T,T,T";
    const Bytes letters = bytesOf(std::string("ABCDEFGH"));
    const struct {
        int code;
        Bytes bytes;
        int elementSize;
        std::string shown;
    } cases[] = {
        {kCodeUInt32Array, bytesOf<uint32_t>({0x12}), 1, "{0x00000012}"},
        {kCodeUInt32Array, letters, 1, "{0x44434241,0x48474645}"},
        {kCodeUInt32Array, bytesOf<uint32_t>({1, 2, 3}), 1, "{0x00000001,0x00000002,...}"},
        {kCodeUInt32Array, {1, 0, 0, 0, 2, 0}, 1, "{0x00000001,...}"},
        {kCodeUInt16Array, letters, 1, "{0x4241,0x4443,...}"},
        {kCodeUInt8Array, letters, 1, "{0x41,0x42,...}"},
        {kCodeUInt8Array, {0xAB}, 1, "{0xAB}"},
        {kCodeUInt64Array, letters, 1, "{0x4847464544434241}"},
        {kCodeUInt64Array, bytesOf<uint64_t>({0x1234, 5}), 1, "{0x0000000000001234,...}"},
        {kCodeUInt64Array, {1, 2, 3, 4}, 1, "{}"},
        {kCodeReal32Array, bytesOf<float>({1.5f, 2.0f}), 1, "{1.5,2}"},
        {kCodeReal32Array, bytesOf<float>({1.5f, 2.0f, 3.0f}), 1, "{1.5,2,...}"},
        {kCodeReal32Array, bytesOf<float>({std::nanf("")}), 1, "{NAN}"},
        {kCodeReal64Array, bytesOf<double>({-INFINITY, INFINITY}), 1, "{NINF,INF}"},
        {kCodeReal64Array, {0, 0, 0, 0}, 1, "{}"},
        {kCodeBooleanArray, {1, 0, 7}, 1, "{T,F,T}"},
        {kCodeBooleanArray, Bytes(12, 1), 1, "{" + twelve + "}"},
        {kCodeBooleanArray, Bytes(25, 1), 2, "{" + twelve + "}"},
        {kCodeBooleanArray, Bytes(26, 1), 2, "{" + twelve + ",...}"},
        {kCodeBooleanArray, bytesOf<uint16_t>({0x0100, 0}), 2, "{T,F}"},
        {kCodeBooleanArray, Bytes(8, 1), 4, ""},
        {kCodeText, letters, 1, "\"ABCDEFGH\""},
        {kCodeUtf8Text, letters, 1, "\"ABCDEFGH\""},
        {kCodeAddress, letters, 1, "0x4847464544434241"},
        {kCodeAddress, bytesOf<uint32_t>({0}), 1, "   NULL   "},
        {kCodeAddress, bytesOf<uint64_t>({0}), 1, "       NULL       "},
        {kCodeAddress, {1, 2}, 1, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(renderArray(c.code, c.bytes, c.elementSize), c.shown) << c.code;
}

// A size the logger holds no bytes for, or no logger.
TEST_F(ArrayFormatTest, NothingToRenderWritesNothing) {
    for (const int code : {kCodeUInt32Array, kCodeUInt8Array, kCodeUInt64Array, kCodeReal32Array,
                           kCodeBooleanArray, kCodeAddress, kCodeText, kCodeUtf8Text}) {
        CKOVeskMemoryLogger logger;
        logger.SetParamSizeWithoutData(logger.AddParam("p", code), 8);
        EXPECT_EQ(kovesk_test::renderArray(logger, 0, eFormatLine), "") << code;
    }
    EXPECT_EQ(kovesk_test::renderChecked([](char* out) {
                  return CVisaFormat().FormatCallArgArray(nullptr, 0, out, eFormatLine, nullptr);
              }), "");
}

// A text preview is the string renderer's, up to its longest form.
TEST_F(ArrayFormatTest, TheLongestTextFitsTheBuffer) {
    EXPECT_EQ(renderArray(kCodeText, bytesOf(kovesk_test::digits(3000)), 1, eFormatFull),
              "\"" + kovesk_test::digits(1016) + "...\"");
}

// The named code of each preview and element width, on which the cases
// above test the preview.
const std::map<std::pair<eArrayPreview, int>, int> kNamedCodeOfPreview = {
    {{eArrayPreview::Integers, 4}, kCodeUInt32Array},  {{eArrayPreview::Integers, 2}, kCodeUInt16Array},
    {{eArrayPreview::Integers, 1}, kCodeUInt8Array},   {{eArrayPreview::Integer64, 8}, kCodeUInt64Array},
    {{eArrayPreview::Reals, 4}, kCodeReal32Array},     {{eArrayPreview::Reals, 8}, kCodeReal64Array},
    {{eArrayPreview::Booleans, 0}, kCodeBooleanArray}, {{eArrayPreview::NarrowText, 1}, kCodeText},
    {{eArrayPreview::Utf8Text, 1}, kCodeUtf8Text},     {{eArrayPreview::Address, 0}, kCodeAddress},
};

// Every code of the table, and codes beyond it, previews in every form as
// the named code of its preview and width does; codes without a preview
// write nothing. The captures hold no whole element, one, two and more, of
// booleans of both widths, and an address of either size.
TEST_F(ArrayFormatTest, EveryCodeRendersLikeTheNamedCodeOfItsPreview) {
    const Bytes captures[] = {Bytes{}, Bytes{0x41, 0x42, 0x43}, bytesOf(std::string("ABCD")),
                              bytesOf(std::string("ABCDEFGH")), bytesOf(std::string("A B(CDEFGHIJKLMNOPQRSTUVWXYZ"))};
    for (const int code : kovesk_test::everyCodeAndBeyond()) {
        const tDataTypeRow row = dataTypeRow(code);
        const auto named = kNamedCodeOfPreview.find({row.preview, row.elementWidth});
        ASSERT_TRUE(row.preview == eArrayPreview::None || named != kNamedCodeOfPreview.end()) << "none for " << code;
        for (const Bytes& capture : captures)
            for (const int elementSize : {1, 2})
                for (const eFormatSpecifier format : {eFormatShort, eFormatLine, eFormatFull, eFormatUnquoted}) {
                    const auto render = [&](int shown) {
                        return kovesk_test::outcome([&] { return renderArray(shown, capture, elementSize, format); });
                    };
                    EXPECT_EQ(render(code), row.preview == eArrayPreview::None ? "" : render(named->second))
                        << "code " << code << ", " << capture.size() << " bytes of " << elementSize << ", form "
                        << format;
                }
    }
}

}  // namespace
}  // namespace nKoVeskLog210
