#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "convert_test_util.h"
#include "mapdata/convert_map.h"
#include "mapdata/eld_error.h"
#include "mapdata/read_ccp4.h"

namespace eld {
namespace {

using testing::Ccp4Builder;
using testing::TempDir;

void ExpectIndexValues(const ForeignMap& m, const int n[3]) {
    ASSERT_EQ(m.N[0], n[0]);
    ASSERT_EQ(m.N[1], n[1]);
    ASSERT_EQ(m.N[2], n[2]);
    for (int k = 0; k < n[2]; ++k)
        for (int j = 0; j < n[1]; ++j)
            for (int i = 0; i < n[0]; ++i)
                ASSERT_EQ(m.Values[m.Index(i, j, k)], i + 10 * j + 100 * k)
                    << "at " << i << "," << j << "," << k;
}

TEST(ConvertCcp4, EveryAxisOrderGivesTheSameGrid) {
    TempDir dir;
    int perm[3] = {1, 2, 3};
    std::vector<MapForWriting> placed;
    do {
        Ccp4Builder b;
        b.dims_abc[0] = 3, b.dims_abc[1] = 4, b.dims_abc[2] = 5;
        b.start_abc[0] = 1, b.start_abc[1] = -2, b.start_abc[2] = 0;
        b.sampling[0] = 6, b.sampling[1] = 8, b.sampling[2] = 10;
        std::copy(perm, perm + 3, b.axis);
        const std::string path =
            dir / ("order" + std::to_string(perm[0] * 100 + perm[1] * 10 + perm[2]) + ".ccp4");
        b.Write(path);
        const ForeignMap m = ReadCcp4Map(path);
        SCOPED_TRACE(path);
        ExpectIndexValues(m, b.dims_abc);
        EXPECT_EQ(m.Start[0], 1);
        EXPECT_EQ(m.Start[1], -2);
        EXPECT_EQ(m.Start[2], 0);
        placed.push_back(PlaceInScene(m, {}));
    } while (std::next_permutation(perm, perm + 3));
    ASSERT_EQ(placed.size(), 6u);
    for (const MapForWriting& p : placed) {
        EXPECT_EQ(p.Values, placed[0].Values);
        for (int a = 0; a < 3; ++a) {
            EXPECT_EQ(p.N[a], placed[0].N[a]);
            EXPECT_FLOAT_EQ(p.GridOrigin[a], placed[0].GridOrigin[a]);
        }
    }
    // Cell 6 x 8 x 10 sampled 6, 8, 10: step 1; the start indices move the origin.
    EXPECT_FLOAT_EQ(placed[0].GridOrigin[0], 1.0f);
    EXPECT_FLOAT_EQ(placed[0].GridOrigin[1], -2.0f);
    EXPECT_FLOAT_EQ(placed[0].GridOrigin[2], 0.0f);
    EXPECT_FLOAT_EQ(placed[0].GridStep[1], 1.0f);
}

TEST(ConvertCcp4, BothByteOrdersWithOrWithoutAMachineStamp) {
    TempDir dir;
    struct Case {
        bool big;
        unsigned char stamp;
        const char* what;
    } cases[] = {
        {false, 0x44, "little, stamped"},    {true, 0x11, "big, stamped"},
        {true, 0x20, "big, unknown stamp"},  {false, 0x11, "little, stamped big"},
        {true, 0x44, "big, stamped little"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Ccp4Builder b;
        b.axis[0] = 2, b.axis[1] = 3, b.axis[2] = 1;
        b.big_endian = c.big;
        b.stamp = c.stamp;
        b.cell[0] = 12.5f;
        const std::string path = dir / "order.map";
        b.Write(path);
        const ForeignMap m = ReadCcp4Map(path);
        ExpectIndexValues(m, b.dims_abc);
        EXPECT_DOUBLE_EQ(m.Cell[0][0], 12.5);
    }
}

TEST(ConvertCcp4, IntegerModesExtendedHeaderOriginAndMapWordVariants) {
    TempDir dir;
    for (int mode : {0, 1}) {
        for (bool big : {false, true}) {
            SCOPED_TRACE("mode " + std::to_string(mode) + (big ? " big" : " little"));
            Ccp4Builder b;
            b.mode = mode;
            b.big_endian = big;
            b.value = [mode](int i, int j, int k) {
                return static_cast<float>(mode == 0 ? i - 2 * j + 7 * k - 20
                                                    : 100 * i - 300 * j + 97 * k);
            };
            const std::string path = dir / "ints.mrc";
            b.Write(path);
            const ForeignMap m = ReadCcp4Map(path);
            for (int k = 0; k < 5; ++k)
                for (int j = 0; j < 4; ++j)
                    for (int i = 0; i < 3; ++i)
                        ASSERT_EQ(m.Values[m.Index(i, j, k)], b.value(i, j, k));
        }
    }
    for (std::array<char, 4> word :
         {std::array<char, 4>{'M', 'A', 'P', '\0'}, std::array<char, 4>{'\0', '\0', '\0', '\0'}}) {
        Ccp4Builder b;
        b.map_word = word;
        b.nsymbt = 160;
        b.origin[0] = 5.5f, b.origin[1] = -1, b.origin[2] = 2;
        const std::string path = dir / "ext.ccp4";
        b.Write(path);
        const ForeignMap m = ReadCcp4Map(path);
        ExpectIndexValues(m, b.dims_abc);
        const MapForWriting p = PlaceInScene(m, {});
        EXPECT_FLOAT_EQ(p.GridOrigin[0], 5.5f);
        EXPECT_FLOAT_EQ(p.GridOrigin[1], -1.0f);
        EXPECT_FLOAT_EQ(p.GridOrigin[2], 2.0f);
    }
    // Origin words and start indices together: the origin places the first point.
    Ccp4Builder both;
    both.start_abc[0] = 2, both.start_abc[1] = 3, both.start_abc[2] = 4;
    both.sampling[0] = 6, both.sampling[1] = 8, both.sampling[2] = 10;
    both.origin[0] = 40.0f;
    both.Write(dir / "both.mrc");
    const MapForWriting p = PlaceInScene(ReadCcp4Map(dir / "both.mrc"), {});
    EXPECT_FLOAT_EQ(p.GridOrigin[0], 40.0f);
    EXPECT_FLOAT_EQ(p.GridOrigin[1], 0.0f);
    EXPECT_FLOAT_EQ(p.GridStep[0], 1.0f);
}

// Each broken header is refused with a message naming the file and the field.
TEST(ConvertCcp4, MalformedHeadersNameTheFileAndTheField) {
    TempDir dir;
    struct Case {
        const char* field;
        std::function<void(Ccp4Builder&)> spoil;
        std::function<void(std::vector<unsigned char>&)> spoil_bytes;
    } cases[] = {
        {"MODE", [](Ccp4Builder& b) { b.mode = 5; }, nullptr},
        {"MAPC", [](Ccp4Builder& b) { b.axis[1] = 1; }, nullptr},
        {"(NR)", nullptr, [](std::vector<unsigned char>& v) { std::memset(&v[4], 0, 4); }},
        {"(MY)", [](Ccp4Builder& b) { b.sampling[1] = 0; }, nullptr},
        {"(cell a)", [](Ccp4Builder& b) { b.cell[0] = 0; }, nullptr},
        {"(cell gamma)", [](Ccp4Builder& b) { b.cell[5] = 180; }, nullptr},
        {"cell angles", [](Ccp4Builder& b) { b.cell[3] = b.cell[4] = b.cell[5] = 150; }, nullptr},
        {"(MAP)",
         [](Ccp4Builder& b) {
             b.map_word = {'M', 'R', 'C', 'X'};
         },
         nullptr},
        {"NSYMBT", [](Ccp4Builder& b) { b.nsymbt = 0; },
         [](std::vector<unsigned char>& v) {
             const std::int32_t n = -8;
             std::memcpy(&v[92], &n, 4);
         }},
        {"truncated", nullptr, [](std::vector<unsigned char>& v) { v.resize(v.size() - 1); }},
        {"truncated", [](Ccp4Builder& b) { b.nsymbt = 0; },
         [](std::vector<unsigned char>& v) {
             const std::int32_t n = 400;  // claims an extended header the file lacks
             std::memcpy(&v[92], &n, 4);
         }},
        {"1024-byte", nullptr, [](std::vector<unsigned char>& v) { v.resize(600); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        Ccp4Builder b;
        if (c.spoil) c.spoil(b);
        std::vector<unsigned char> bytes = b.Bytes();
        if (c.spoil_bytes) c.spoil_bytes(bytes);
        const std::string path = dir / "broken_map.ccp4";
        testing::WriteBytes(path, bytes);
        try {
            ReadCcp4Map(path);
            ADD_FAILURE() << "accepted";
        } catch (const EldError& e) {
            EXPECT_EQ(e.kind(), ErrorKind::Recoverable);
            const std::string msg = e.what();
            EXPECT_NE(msg.find("broken_map.ccp4"), std::string::npos) << msg;
            EXPECT_NE(msg.find(c.field), std::string::npos) << msg;
        }
    }
    EXPECT_THROW(ReadCcp4Map(dir / "missing.ccp4"), EldError);
}

TEST(ConvertCcp4, ValuesThatAreNotNumbersAreRefused) {
    TempDir dir;
    Ccp4Builder b;
    b.value = [](int i, int j, int k) { return i == 2 && j == 1 && k == 3 ? NAN : 1.0f; };
    b.Write(dir / "nan.ccp4");
    try {
        ReadCcp4Map(dir / "nan.ccp4");
        ADD_FAILURE() << "accepted";
    } catch (const EldError& e) {
        EXPECT_NE(std::string(e.what()).find("column 3, row 2, section 4"), std::string::npos)
            << e.what();
    }
}

}  // namespace
}  // namespace eld

namespace eld {
namespace {

// Damaged files are refused with EldError or read into a consistent map; they
// never crash the reader or make it allocate what the file cannot hold.
TEST(ConvertCcp4, RandomlyDamagedFilesAreRefusedOrReadConsistently) {
    TempDir dir;
    const std::vector<unsigned char> good = Ccp4Builder().Bytes();
    std::uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    int refused = 0, read = 0;
    for (int round = 0; round < 400; ++round) {
        std::vector<unsigned char> bytes = good;
        const int hits = 1 + next() % 4;
        for (int h = 0; h < hits; ++h) {
            // Mostly the words that matter: sizes, mode, starts, sampling, cell, axes.
            const std::size_t at = next() % 2 ? next() % 96 : next() % bytes.size();
            bytes[at] = static_cast<unsigned char>(next() >> 24);
        }
        if (next() % 8 == 0) bytes.resize(next() % bytes.size());
        const std::string path = dir / "damaged.ccp4";
        testing::WriteBytes(path, bytes);
        try {
            const ForeignMap m = ReadCcp4Map(path);
            ASSERT_EQ(m.Values.size(), static_cast<std::size_t>(m.N[0]) * m.N[1] * m.N[2]);
            ++read;
        } catch (const EldError& e) {
            ASSERT_NE(std::string(e.what()).find("damaged.ccp4"), std::string::npos) << e.what();
            ++refused;
        }
    }
    EXPECT_GT(refused, 100);
    EXPECT_GT(read, 20);
}

}  // namespace
}  // namespace eld
