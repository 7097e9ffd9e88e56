#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "format/CVisaGenericFormat.h"

namespace nKoVeskLog210 {
namespace {

// The special values are centred with an odd blank on the right, never cut;
// the dump's columns line up only if this split is exact. Finite values are
// printed with the format, in both the double and the float form.
TEST(RealFieldTest, SpecialValuesAreCentredWithTheOddBlankOnTheRight) {
    const struct {
        double value;
        int width;
        std::string expected;
    } cases[] = {
        {NAN, 15, "      NAN      "},     {-NAN, 15, "      NAN      "},
        {INFINITY, 15, "      INF      "}, {-INFINITY, 15, "     NINF      "},
        {INFINITY, 20, "        INF         "}, {NAN, 4, "NAN "},
        {-INFINITY, 1, "NINF"},            {1.5, 15, "  1.500000E+00 "},
    };
    for (const auto& c : cases) {
        StringBase out("previous text");
        FormatRealField(out, "%14.6E ", c.width, c.value);
        EXPECT_EQ(std::string(out.c_str()), c.expected) << c.value << " in " << c.width;
        FormatRealField(out, "%14.6E ", c.width, static_cast<float>(c.value));
        EXPECT_EQ(std::string(out.c_str()), c.expected) << c.value << " in " << c.width;
    }
}

}  // namespace
}  // namespace nKoVeskLog210
