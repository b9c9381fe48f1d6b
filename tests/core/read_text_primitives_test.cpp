#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

#include "mapdata/eld_error.h"
#include "mapdata/text_reader.h"

namespace eld {
namespace {

std::string MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EldError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Recoverable);
        return e.what();
    }
    ADD_FAILURE() << "no error";
    return "";
}

TEST(TextReader, NumberAtLineEndLeavesTheNextLineWhole) {
    TextReader in("1 2\nrest of it\n3.5   \r\nnext", "t.fou");
    EXPECT_EQ(in.ReadNumber("a"), 1.0);
    EXPECT_EQ(in.ReadNumber("b"), 2.0);
    EXPECT_EQ(in.ReadLine("l"), "rest of it");
    EXPECT_EQ(in.ReadNumber("c"), 3.5);  // blanks, then CRLF consumed
    EXPECT_EQ(in.ReadLine("l"), "next");
    EXPECT_TRUE(in.AtEnd());
}

TEST(TextReader, TextAfterTheLastNumberIsLeftForTheLineRead) {
    TextReader in("7 8 trailing words\nx", "t.fou");
    in.ReadNumber("a");
    in.ReadNumber("b");
    EXPECT_EQ(in.ReadLine("l"), "trailing words");
    EXPECT_EQ(in.ReadLine("l"), "x");
}

TEST(TextReader, OneCommaIsASeparatorAndNumbersSpanLines) {
    TextReader in("1,2 , 3,\n\n  4\n,5", "t.fou");
    EXPECT_EQ(in.ReadNumber("a"), 1.0);
    EXPECT_EQ(in.ReadNumber("a"), 2.0);
    EXPECT_EQ(in.ReadNumber("a"), 3.0);  // the comma is eaten, the line end stays
    EXPECT_EQ(in.ReadLine("l"), "");
    EXPECT_EQ(in.ReadNumber("a"), 4.0);  // skips the blank line
    // ",5": a comma where a number starts is an empty field.
    EXPECT_NE(MessageOf([&] { in.ReadNumber("the fifth"); }).find("empty field"),
              std::string::npos);
}

TEST(TextReader, NumberForms) {
    TextReader in("+1.5 -.25 .5e1 1E-2 -3. 2e+2 1e50", "t");
    for (double want : {1.5, -0.25, 5.0, 0.01, -3.0, 200.0}) EXPECT_EQ(in.ReadNumber("a"), want);
    // Too large for a float: infinity, left to the density range test.
    EXPECT_TRUE(std::isinf(in.ReadFloatValue("v")));
}

TEST(TextReader, DensityValuesRoundLikeTheLibraryParser) {
    // Plain decimals take a shortcut; it must give the library's value.
    std::mt19937 rng(17);
    std::uniform_real_distribution<double> u(-10000.0, 10000.0);
    std::string text;
    std::vector<std::string> tokens;
    for (int k = 0; k < 20000; ++k) {
        char buf[40];
        const int decimals = int(rng() % 12);
        std::snprintf(buf, sizeof buf, "%.*f", decimals, u(rng) / double(1 + rng() % 1000));
        tokens.push_back(buf);
        text += buf;
        text += (k % 7 == 6) ? "\n" : " ";
    }
    tokens.push_back("123456789012345678");  // too many digits for the shortcut
    text += tokens.back();
    TextReader in(text, "t");
    for (const std::string& t : tokens)
        ASSERT_EQ(in.ReadFloatValue("v"), static_cast<float>(std::strtod(t.c_str(), nullptr))) << t;
    for (const char* bad : {"+-5", "-+5", "--5", "5-", "1.2.3"}) {
        TextReader b(bad, "t");
        EXPECT_THROW(b.ReadFloatValue("v"), EldError) << bad;
        TextReader c(bad, "t");
        EXPECT_THROW(c.ReadNumber("v"), EldError) << bad;
    }
}

TEST(TextReader, TextWhereANumberBelongsNamesFileLineAndToken) {
    TextReader in("1\n2\n3 4x 5", "maps/x.fou");
    in.ReadNumber("a");
    in.ReadNumber("a");
    in.ReadNumber("a");
    std::string m = MessageOf([&] { in.ReadNumber("a density value"); });
    EXPECT_NE(m.find("maps/x.fou: line 3"), std::string::npos) << m;
    EXPECT_NE(m.find("a density value"), std::string::npos) << m;
    EXPECT_NE(m.find("\"4x\""), std::string::npos) << m;
}

TEST(TextReader, NanAndInfinityWordsAreText) {
    for (const char* word : {"nan", "inf", "-inf", "NaN", "infinity", "+", "-", "."}) {
        TextReader a(word, "t");
        EXPECT_THROW(a.ReadNumber("x"), EldError) << word;
        TextReader b(word, "t");
        EXPECT_THROW(b.ReadFloatValue("x"), EldError) << word;
    }
    TextReader c("1e400", "t");  // beyond double
    EXPECT_THROW(c.ReadNumber("x"), EldError);
}

TEST(TextReader, WholeNumbers) {
    TextReader in("12 1e3 4.0 2.5", "t");
    EXPECT_EQ(in.ReadWholeNumber("n"), 12);
    EXPECT_EQ(in.ReadWholeNumber("n"), 1000);
    EXPECT_EQ(in.ReadWholeNumber("n"), 4);
    EXPECT_THROW(in.ReadWholeNumber("n"), EldError);
}

TEST(TextReader, EndOfTextIsReportedAsEndingEarly) {
    TextReader in("1 \n  \n", "t.grd");
    in.ReadNumber("a");
    std::string m = MessageOf([&] { in.ReadNumber("the box size"); });
    EXPECT_NE(m.find("t.grd: the file ends early (expected the box size)"), std::string::npos) << m;
    TextReader empty("", "e");
    EXPECT_THROW(empty.ReadLine("a line"), EldError);
}

TEST(TextReader, LineNumbersCountEveryLineEndForm) {
    TextReader in("a\r\nb\rc\nd x", "t");
    in.ReadLine("l");
    in.ReadLine("l");
    in.ReadLine("l");
    EXPECT_EQ(in.Line(), 4);
    EXPECT_EQ(in.ReadLine("l"), "d x");
}

TEST(LeadingNumber, BlanksIgnoredStopsAtTheFirstNonNumber) {
    const std::pair<const char*, double> cases[] = {
        {"2.5 x", 2.5}, {" 1 2 ", 12}, {" - 1.5", -1.5}, {"", 0},    {"   ", 0}, {"abc 5", 0},
        {".5e1z", 5},   {"1e", 1},     {"1.5D2", 150},   {"3-4", 3}, {".", 0}};
    for (const auto& [text, value] : cases) EXPECT_EQ(LeadingNumber(text), value) << text;
}

TEST(Columns, CountFromOneAndStopAtTheLineEnd) {
    EXPECT_EQ(Columns("abcdefghij", 3, 5), "cde");
    EXPECT_EQ(Columns("abcdefghij", 9, 12), "ij");
    EXPECT_EQ(Columns("abc", 10, 18), "");
}

}  // namespace
}  // namespace eld
