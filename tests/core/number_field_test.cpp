#include "mapdata/number_field.h"

#include <gtest/gtest.h>

#include <clocale>

namespace eld {
namespace {

TEST(NumberField, SignBlankThenShortestFormThenBlank) {
    EXPECT_EQ(NumberField(1.0f), " 1 ");
    EXPECT_EQ(NumberField(0.5f), " .5 ");
    EXPECT_EQ(NumberField(-0.125f), "-.125 ");
    EXPECT_EQ(NumberField(-2.5f), "-2.5 ");
    EXPECT_EQ(NumberField(10.0f), " 10 ");
    EXPECT_EQ(NumberField(0.0f), " 0 ");
    EXPECT_EQ(NumberField(-0.0f), " 0 ");
}

TEST(NumberField, SevenSignificantDigitsOfTheFloat) {
    EXPECT_EQ(NumberField(0.1f), " .1 ");  // not .100000001
    EXPECT_EQ(NumberField(123.456789f), " 123.4568 ");
    EXPECT_EQ(NumberField(-0.333333f), "-.333333 ");
    EXPECT_EQ(NumberField(1234567.0f), " 1234567 ");
}

TEST(NumberField, ExponentFormForTinyAndHugeValues) {
    EXPECT_EQ(NumberField(1.5e-8f), " 1.5E-08 ");
    EXPECT_EQ(NumberField(-2.0e12f), "-2E+12 ");
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
