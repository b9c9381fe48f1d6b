#include "mapdata/number_field.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <utility>

namespace eld {
namespace {

TEST(NumberField, SignOrBlankThenSevenSignificantDigitsThenBlank) {
    const std::pair<float, const char*> cases[] = {{1.0f, " 1 "},
                                                   {0.5f, " .5 "},
                                                   {-0.125f, "-.125 "},
                                                   {-2.5f, "-2.5 "},
                                                   {10.0f, " 10 "},
                                                   {0.0f, " 0 "},
                                                   {-0.0f, " 0 "},
                                                   {0.1f, " .1 "},  // not .100000001
                                                   {123.456789f, " 123.4568 "},
                                                   {-0.333333f, "-.333333 "},
                                                   {1234567.0f, " 1234567 "},
                                                   {1.5e-8f, " 1.5E-08 "},
                                                   {-2.0e12f, "-2E+12 "}};
    for (const auto& [v, text] : cases) EXPECT_EQ(NumberField(v), text) << v;
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(NumberField(inf) + NumberField(-inf) + NumberField(std::nanf("")), " Inf -Inf  NaN ");
}

TEST(NumberField, DecimalPointWhateverTheLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    // de_DE may not exist here; any comma locale that does proves the point.
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
        EXPECT_EQ(NumberField(0.25f), " .25 ");
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(NumberField(0.25f), " .25 ");
}

}  // namespace
}  // namespace eld
