// Reading text and what is not a map file: the number and line reader of
// the text formats, level texts; folders, pipes, devices, huge sparse files,
// grids beyond the float range, large sections.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

#include "mapdata/eld_error.h"
#include "mapdata/input_file.h"
#include "mapdata/level_text.h"
#include "mapdata/read_cube.h"
#include "mapdata/read_map.h"
#include "mapdata/text_reader.h"
#include "surface/marching_cubes.h"
#include "tests/core/read_map_fixtures.h"

namespace eld {
namespace {

using testing::ErrorOf;

// Reads the text with a script of reads: 'n' ReadNumber, 'l' ReadLine, 'w'
// ReadWholeNumber, 'f' ReadFloatValue; the results joined by '|', then "end"
// at the end of the text or "!" and the message of the error that ends it.
std::string Script(const std::string& text, const std::string& reads) {
    TextReader in(text, "t.fou");
    std::string out;
    try {
        for (char r : reads) {
            char buf[64] = "";
            // The shortest text that reads back as the same double or float.
            if (r == 'n') *std::to_chars(buf, buf + 63, in.ReadNumber("a")).ptr = 0;
            if (r == 'w') *std::to_chars(buf, buf + 63, in.ReadWholeNumber("w")).ptr = 0;
            if (r == 'f') *std::to_chars(buf, buf + 63, in.ReadFloatValue("v")).ptr = 0;
            if (r == 'l') out += '"' + std::string(in.ReadLine("l")) + '"';
            out += buf;
            out += '|';
        }
    } catch (const EldError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Recoverable) << e.what();
        return out + "!" + e.what();
    }
    return out + (in.AtEnd() ? "end" : "");
}

TEST(TextReader, NumbersLinesSeparatorsAndErrors) {
    const struct {
        const char *text, *reads, *want;
    } cases[] = {
        // A number at a line end leaves the next line whole; blanks, then CRLF consumed.
        {"1 2\nrest of it\n3.5   \r\nnext", "nnlnl", "1|2|\"rest of it\"|3.5|\"next\"|end"},
        // Text after the last number is left for the line read.
        {"7 8 trailing words\nx", "nnll", "7|8|\"trailing words\"|\"x\"|end"},
        // One comma is a separator, the line end stays; numbers span blank lines.
        {"1,2 , 3,\n\n  4\n", "nnnln", "1|2|3|\"\"|4|end"},
        {"+1.5 -.25 .5e1 1E-2 -3. 2e+2", "nnnnnn", "1.5|-0.25|5|0.01|-3|200|end"},
        // Too large for a float: infinity, left to the density range test.
        {"1e50", "f", "inf|end"},
        {"12 1e3 4.0", "www", "12|1000|4|end"},
        // Line numbers count every line end form; a comma where a number starts
        // is an empty field.
        {"a\r\nb\rc\nd x\n,5", "lllln",
         "\"a\"|\"b\"|\"c\"|\"d x\"|!t.fou: line 5: an empty field where a number is expected (a)"},
        {"1\n2\n3 4x 5", "nnnn",
         "1|2|3|!t.fou: line 3: text where a number is expected (a): \"4x\""},
        {"1e400", "n", "!t.fou: line 1: a number out of range (a): \"1e400\""},
        {"2.5", "w", "!t.fou: line 1: a whole number is expected (w)"},
        {"1 \n  \n", "nn", "1|!t.fou: the file ends early (expected a)"},
        {"", "l", "!t.fou: the file ends early (expected l)"},
    };
    for (const auto& c : cases) EXPECT_EQ(Script(c.text, c.reads), c.want) << c.text;
    // Words such as "nan" or "inf" and misplaced signs are text, not numbers.
    for (const char* word : {"nan", "inf", "-inf", "NaN", "infinity", "+", "-", ".", "+-5", "-+5",
                             "--5", "5-", "1.2.3"})
        for (const char* read : {"n", "f"})
            EXPECT_EQ(Script(word, read).rfind("!t.fou: line 1: text where", 0), 0u) << word;
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
}

TEST(FixedColumnsAndLevels, LeadingNumberStopsAtTheFirstNonNumberLevelsAbsoluteOrSigma) {
    const std::pair<const char*, double> cases[] = {
        {"2.5 x", 2.5}, {" 1 2 ", 12}, {" - 1.5", -1.5}, {"", 0},    {"   ", 0}, {"abc 5", 0},
        {".5e1z", 5},   {"1e", 1},     {"1.5D2", 150},   {"3-4", 3}, {".", 0}};
    for (const auto& [text, value] : cases) EXPECT_EQ(LeadingNumber(text), value) << text;
    // Columns count from one and stop at the line end.
    EXPECT_EQ(Columns("abcdefghij", 3, 5), "cde");
    EXPECT_EQ(Columns("abcdefghij", 9, 12), "ij");
    EXPECT_EQ(Columns("abc", 10, 18), "");
    // A level text: the value read, with "s" after it for a level in sigma; "-" for none.
    const std::pair<const char*, const char*> levels[] = {
        {"1.5", "1.5"},     {"-0.25", "-0.25"}, {"+2", "2"},      {"3sigma", "3s"},
        {"-3sigma", "-3s"}, {"3s", "3s"},       {"2.5σ", "2.5s"}, {" 1.5 sigma ", "1.5s"},
        {"", "-"},          {"sigma", "-"},     {"3x", "-"},      {"nan", "-"},
        {"inf", "-"},       {"3ss", "-"},       {"- 3s", "-"},    {"1e400", "-"},
    };
    for (const auto& [text, want] : levels) {
        const auto l = ParseLevelText(text);
        char got[32] = "-";
        if (l) std::strcpy(std::to_chars(got, got + 30, l->Value).ptr, l->InSigma ? "s" : "");
        EXPECT_STREQ(got, want) << text;
    }
}

TEST(ReadRobust, WhatIsNotARegularFileIsRefusedAtOnceNamingIt) {
    testing::TempDir dir;
    auto read = [](const std::string& p) {
        SceneState s;
        CellTable t;
        p.ends_with(".cube")  ? (void)ReadCubeMap(p)
        : p.ends_with(".dat") ? ReadCellTable(t, p)
                              : ReadMapFile(s, p);
    };
    const std::pair<const char*, const char*> cases[] = {
        {"folder.mt1", "folder, not a regular file"},
        {"folder.cube", "folder, not a regular file"},
        {"pipe.fou", "pipe (FIFO), not a regular file"},
        {"pipe.cube", "pipe (FIFO), not a regular file"},
        {"zero.grd", "device, not a regular file"},
        {"random.mt1", "device, not a regular file"},
        {"zero.dat", "device, not a regular file"},
        {"sparse.mt1", "grid point count along axis 1 is 0"},
        {"sparse.fou", "longer than 1048576 characters"},
        {"sparse.grd", "longer than 1048576 characters"},
        {"sparse.cube", "longer than 1048576 characters"},
    };
    // Each read runs in a child (a death test): a read that hangs (a FIFO, an
    // endless device) is ended by an alarm, and the children's peak memory
    // shows what the reads held. A refusal naming the file and the reason ends
    // the child with status 0; another message is shown.
    for (const auto& [name, reason] : cases) {
        const std::string path = dir / name, kind = name;
        // A 2 GB file of zeros costs no disk; it must be refused from its
        // first bytes, not read whole.
        if (kind.starts_with("sparse")) std::filesystem::resize_file(dir.Put(name, ""), 2ull << 30);
        if (kind.starts_with("folder")) std::filesystem::create_directory(path);
        ASSERT_TRUE(!kind.starts_with("pipe") || ::mkfifo(path.c_str(), 0600) == 0);
        if (kind.starts_with("zero")) std::filesystem::create_symlink("/dev/zero", path);
        if (kind.starts_with("random")) std::filesystem::create_symlink("/dev/urandom", path);
        EXPECT_EXIT(
            {
                ::alarm(20);
                try {
                    read(path);
                } catch (const EldError& e) {
                    const std::string w = e.what();
                    const bool named = w.find(path) != w.npos && w.find(reason) != w.npos;
                    std::fputs(named ? "refused as expected" : w.c_str(), stderr);
                    std::_Exit(0);
                }
                std::_Exit(1);
            },
            ::testing::ExitedWithCode(0), "refused as expected");
    }
    struct rusage ru {};
    ::getrusage(RUSAGE_CHILDREN, &ru);
    EXPECT_LT(ru.ru_maxrss, 64 * 1024) << "a read held " << ru.ru_maxrss << " KiB";
}

// Origin and step that are finite alone but put the grid's far end beyond the
// float range, in each format (.grd: the box size over N-1).
TEST(ReadRobust, GridsReachingBeyondTheFloatRangeAreRefused) {
    testing::TempDir dir;
    testmaps::TestMap m;
    for (float& v : m.origin) v = 3e38f;
    for (float& v : m.step) v = 3e38f;
    const float centre[3] = {0, 0, 0}, box[3] = {3e38f, 3e38f, 3e38f};
    m.n[0] = 3;                  // .grd step = 3e38 / 2, still 3e38 * 3 / 2 at the end
    testmaps::TestMap back = m;  // the far end comes back into range, the span does not
    back.origin[0] = -3e38f, back.step[0] = 1.5e38f;
    testmaps::TestMap far = m;  // the span fits, the far end does not
    far.step[0] = 2e37f;
    const std::pair<std::string, std::string> files[] = {
        {"big.mt1", testmaps::Mt1(m)},
        {"back.mt1", testmaps::Mt1(back)},
        {"far.mt1", testmaps::Mt1(far)},
        {"big.fou", testmaps::Fou(m)},
        {"big.grd", testmaps::Grd(m, centre, box)}};
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        SceneState s;
        const std::string msg = ErrorOf([&] { ReadMapFile(s, dir.Put(name, bytes)); });
        EXPECT_NE(msg.find(name + ": the grid along axis 1"), std::string::npos) << msg;
        EXPECT_NE(msg.find("beyond the float range"), std::string::npos) << msg;
    }
}

// Sections of over 8 MiB are not gathered but written chunk by chunk; the
// 1 MiB chunks end in the middle of rows. Every value must land on its point.
TEST(ReadRobust, LargeSectionsLandPointForPoint) {
    testmaps::TestMap m;
    m.n[0] = 1500, m.n[1] = 1499, m.n[2] = 2;
    m.value = [](int i1, int i2, int i3) {
        return float(i1 % 97) * 10 + float(i2 % 89) + 0.5f * i3;
    };
    SceneState s;
    ReadMapMt1Buffer(s, testmaps::Mt1(m), "large.mt1");
    int wrong = 0;
    testing::ForEachPoint(m.n[0], m.n[1], m.n[2], [&](int i1, int i2, int i3) {
        wrong += s.map.DensityGrid.at(i1, i2, i3) != m.value(i1, i2, i3);
    });
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(s.map.MapGrid.DensityMax, 96 * 10 + 88 + 1.0f);
}

}  // namespace
}  // namespace eld
