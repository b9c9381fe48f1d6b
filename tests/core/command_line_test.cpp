#include "mapdata/command_line.h"

#include <gtest/gtest.h>

namespace eld {
namespace {

TEST(CommandLine, ArgumentsJoinedBySingleBlanksWithoutTheProgramName) {
    const char* argv[] = {"eldview", "-StereoHW", "my map.mt1"};
    EXPECT_EQ(JoinArguments(3, argv), "-StereoHW my map.mt1");
    EXPECT_EQ(JoinArguments(1, argv), "");
}

TEST(CommandLine, StereoSwitchesAreStrippedFromTheFront) {
    const struct {
        const char* text;
        StereoMode mode;
        const char* file;  // empty: the dialog is shown
    } cases[] = {
        {"maps/x.fou", StereoMode::NoStereo, "maps/x.fou"},
        {"-StereoHW a.mt1", StereoMode::StereoHW, "a.mt1"},
        {"-StereoHW -StereoInterlaced b.grd", StereoMode::StereoInterlaced, "b.grd"},
        {"-StereoHWxc.fou", StereoMode::StereoHW, "c.fou"},  // any one separator
        {"-StereoHW", StereoMode::StereoHW, ""},
        {"-StereoHW ", StereoMode::StereoHW, ""},
        {"-StereoInterlaced", StereoMode::StereoInterlaced, ""},
        {"", StereoMode::NoStereo, ""},
        {"-StereoInterlaced -StereoHW x.grd", StereoMode::StereoInterlaced, "-StereoHW x.grd"},
        {"-stereohw a.mt1", StereoMode::NoStereo, "-stereohw a.mt1"},  // case-sensitive
    };
    for (const auto& c : cases) {
        const CommandLineChoice choice = ParseCommandText(c.text);
        EXPECT_EQ(choice.DisplayMode, c.mode) << c.text;
        EXPECT_EQ(choice.FileText, c.file) << c.text;
    }
}

TEST(CommandLine, NoStereoIsStrippedAfterTheOtherSwitches) {
    struct Case {
        const char* text;
        const char* file;
        bool no_stereo;
    };
    const Case cases[] = {
        {"-NoStereo a.mt1", "a.mt1", true},
        {"-StereoHW -StereoInterlaced -NoStereo b.grd", "b.grd", true},
        {"-NoStereo", "", true},
        {"-NoStereo -StereoHW c.fou", "-StereoHW c.fou", true},  // only the order above
        {"-StereoHW d.mt1", "d.mt1", false},
        {"-nostereo e.mt1", "-nostereo e.mt1", false},
        {"maps/-NoStereo.fou", "maps/-NoStereo.fou", false},
    };
    for (const Case& c : cases) {
        CommandLineChoice choice = ParseCommandText(c.text);
        EXPECT_EQ(choice.FileText, c.file) << c.text;
        EXPECT_EQ(choice.NoStereo, c.no_stereo) << c.text;
    }
}

TEST(CommandLine, MapRadiusBeforeOrAfterTheStereoSwitches) {
    struct Row {
        const char* text;
        float radius;
        bool bad;
        StereoMode mode;
        const char* file;
    } rows[] = {
        {"-MapRadius 12.5 a.mt1", 12.5f, false, StereoMode::NoStereo, "a.mt1"},
        {"-StereoInterlaced -MapRadius 8 my map.fou", 8, false, StereoMode::StereoInterlaced,
         "my map.fou"},
        {"-MapRadius 0 -StereoHW b.grd", 0, false, StereoMode::StereoHW, "b.grd"},
        {"-MapRadius 8", 8, false, StereoMode::NoStereo, ""},
        {"-StereoHW -NoStereo -MapRadius 5 c.fou", 5, false, StereoMode::StereoHW, "c.fou"},
        {"-MapRadius x a.mt1", 0, true, StereoMode::NoStereo, "a.mt1"},
        {"-MapRadius -3 a.mt1", 0, true, StereoMode::NoStereo, "a.mt1"},
        {"a.mt1 -MapRadius 3", 0, false, StereoMode::NoStereo, "a.mt1 -MapRadius 3"},
    };
    for (const Row& r : rows) {
        const CommandLineChoice c = ParseCommandText(r.text);
        EXPECT_EQ(c.MapRadius, r.radius) << r.text;
        EXPECT_EQ(c.BadMapRadius, r.bad) << r.text;
        EXPECT_EQ(c.DisplayMode, r.mode) << r.text;
        EXPECT_EQ(c.FileText, r.file) << r.text;
    }
}

TEST(MapExtension, LastThreeCharactersAllLowerOrAllUpperCase) {
    const std::pair<const char*, MapKind> cases[] = {
        {"a.mt1", MapKind::Mt1},     {"A.MT1", MapKind::Mt1},
        {"a.fou", MapKind::Fou},     {"A.FOU", MapKind::Fou},
        {"a.grd", MapKind::Grd},     {"A.GRD", MapKind::Grd},
        {"a.Mt1", MapKind::Unknown}, {"a.mT1", MapKind::Unknown},
        {"a.Fou", MapKind::Unknown}, {"a.txt", MapKind::Unknown},
        {"mapfou", MapKind::Fou},    {"ab", MapKind::Unknown},
        {"", MapKind::Unknown},      {"\"my maps/a.mt1\"", MapKind::Unknown}};
    for (const auto& [name, kind] : cases) EXPECT_EQ(MapKindOf(name), kind) << name;
    EXPECT_EQ(MapExtension("\"my maps/a.mt1\""), "t1\"");  // a quoted path fails
    EXPECT_EQ(MapExtension("ab"), "ab");
}

TEST(CommandLine, TitleAndFilterTexts) {
    EXPECT_EQ(WindowTitleFor("/d/x.grd"), "Visualized file: /d/x.grd");
    EXPECT_STREQ(kMapFileFilter,
                 "ELD map files (*.mt1,*.fou,*.grd)|*.mt1;*.fou;*.grd|All files (*.*)|*.*");
}

// Maps of other programs, with a model after them; the three formats keep
// their rule (the whole text is the name, blanks included).
TEST(CommandLine, AMapOfAnotherProgramAndItsModel) {
    const struct {
        const char* text;
        const char* map;
        const char* model;
    } cases[] = {
        {"map.ccp4", "map.ccp4", ""},
        {"d/Map.MRC.gz", "d/Map.MRC.gz", ""},
        {"density.cube", "density.cube", ""},
        {"map.ccp4 model.cif", "map.ccp4", "model.cif"},
        {"my maps/a.map my models/b.pdb.gz", "my maps/a.map", "my models/b.pdb.gz"},
        {"x.cube m.mmcif", "x.cube", "m.mmcif"},
        {"a.ccp4 b.mt1", "", ""},      // a map of the three formats: the old rule
        {"a.mt1 model.cif", "", ""},   // no model after the three formats
        {"a.ccp4 notes.txt", "", ""},  // not a model
        {"model.cif", "", ""},         // a model alone is no map
        {"\"a.ccp4\"", "", ""},        // a quoted name stays strange
    };
    for (const auto& c : cases) {
        const ForeignMapText f = SplitForeignMapText(c.text);
        EXPECT_EQ(f.Map, c.map) << c.text;
        EXPECT_EQ(f.Model, c.model) << c.text;
    }
}

}  // namespace
}  // namespace eld
