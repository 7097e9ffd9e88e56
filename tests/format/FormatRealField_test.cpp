#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

#include "format/CVisaGenericFormat.h"

namespace nKoVeskLog210 {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

std::string field(const char* format, int width, double value) {
    StringBase out("previous text");
    FormatRealField(out, format, width, value);
    return out.c_str();
}

std::string field(const char* format, int width, float value) {
    StringBase out("previous text");
    FormatRealField(out, format, width, value);
    return out.c_str();
}

// The special values are centred; an odd blank goes to the right. The
// dump's columns line up only if this split is exact.
struct tCentredCase {
    const char* why;
    double value;
    int width;
    std::string expected;
};

TEST(RealFieldTest, SpecialValuesAreCentredWithTheOddBlankOnTheRight) {
    const tCentredCase cases[] = {
        {"NAN, even padding", kNan, 15, "      NAN      "},
        {"negative NaN is still NAN", -kNan, 15, "      NAN      "},
        {"INF, even padding", kInf, 15, "      INF      "},
        {"NINF, odd padding", -kInf, 15, "     NINF      "},
        {"NINF in the double column", -kInf, 20, "        NINF        "},
        {"INF in the double column, odd padding", kInf, 20, "        INF         "},
        {"one blank missing goes right", kNan, 4, "NAN "},
        {"width reached: no padding", -kInf, 4, "NINF"},
        {"width below the text: no cut", -kInf, 1, "NINF"},
        {"negative width: no padding", kNan, -5, "NAN"},
        {"wider than one run of blanks", kNan, 71, std::string(34, ' ') + "NAN" + std::string(34, ' ')},
    };
    for (const tCentredCase& c : cases) {
        EXPECT_EQ(field("%14.6E ", c.width, c.value), c.expected) << c.why;
        EXPECT_EQ(field("%14.6E ", c.width, static_cast<float>(c.value)), c.expected) << c.why;
    }
}

// The dump's formats fill their width already, so finite values come out
// exactly as printf prints them.
TEST(RealFieldTest, FiniteValuesArePrintedWithTheFormat) {
    EXPECT_EQ(field("%14.6E ", 15, 1.5), "  1.500000E+00 ");
    EXPECT_EQ(field("%14.6E ", 15, -1.25e-300), "-1.250000E-300 ");
    EXPECT_EQ(field("%19.11E ", 20, 2.0), "  2.00000000000E+00 ");
    EXPECT_EQ(field("%.6G", 1, 1.5f), "1.5");
    EXPECT_EQ(field("%.6G", 9, 2.0f), "    2    ");
}

// The float form judges infinity by the limits of float: its largest finite
// value is a number, and so is a double beyond it.
TEST(RealFieldTest, LimitsAreThoseOfTheValuesType) {
    EXPECT_EQ(field("%.6G", 1, FLT_MAX), "3.40282E+38");
    EXPECT_EQ(field("%.6G", 1, -FLT_MAX), "-3.40282E+38");
    EXPECT_EQ(field("%.6G", 1, static_cast<double>(FLT_MAX) * 2), "6.80565E+38");
    EXPECT_EQ(field("%.6G", 1, DBL_MAX), "1.79769E+308");
    EXPECT_EQ(field("%.6G", 1, -DBL_MAX), "-1.79769E+308");
}

// A format that prints more than a field can hold is cut, never overrun;
// no format prints nothing but the padding.
TEST(RealFieldTest, OverlongOrMissingFormatStaysBounded) {
    EXPECT_EQ(field("%40.3f", 1, 1.0), std::string(31, ' '));
    EXPECT_EQ(field(nullptr, 3, 1.0), "   ");
    EXPECT_EQ(field(nullptr, 5, -kInf), "NINF ");
}

}  // namespace
}  // namespace nKoVeskLog210
