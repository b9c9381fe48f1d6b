#include "mapdata/command_line.h"

#include <gtest/gtest.h>

namespace eld {
namespace {

TEST(CommandLine, SwitchesAreStrippedFromTheFrontInTheirOrder) {
    const char* argv[] = {"eldview", "-StereoHW", "my map.mt1"};
    EXPECT_EQ(JoinArguments(3, argv), "-StereoHW my map.mt1");  // without the program name
    EXPECT_EQ(JoinArguments(1, argv), "");
    using enum StereoMode;
    const struct {
        const char* text;
        StereoMode mode;
        const char* file;  // empty: the dialog is shown
        bool no_stereo = false;
        float radius = 0;
        bool bad_radius = false;
    } cases[] = {
        {"maps/x.fou", NoStereo, "maps/x.fou"},
        {"-StereoHW a.mt1", StereoHW, "a.mt1"},
        {"-StereoHW -StereoInterlaced b.grd", StereoInterlaced, "b.grd"},
        {"-StereoHWxc.fou", StereoHW, "c.fou"},  // any one separator
        {"-StereoHW", StereoHW, ""},
        {"-StereoHW ", StereoHW, ""},
        {"-StereoInterlaced", StereoInterlaced, ""},
        {"", NoStereo, ""},
        {"-StereoInterlaced -StereoHW x.grd", StereoInterlaced, "-StereoHW x.grd"},
        {"-stereohw a.mt1", NoStereo, "-stereohw a.mt1"},  // case-sensitive
        // -NoStereo is stripped after the other switches.
        {"-NoStereo a.mt1", NoStereo, "a.mt1", true},
        {"-StereoHW -StereoInterlaced -NoStereo b.grd", StereoInterlaced, "b.grd", true},
        {"-NoStereo", NoStereo, "", true},
        {"-NoStereo -StereoHW c.fou", NoStereo, "-StereoHW c.fou", true},  // only in that order
        {"-nostereo e.mt1", NoStereo, "-nostereo e.mt1"},
        {"maps/-NoStereo.fou", NoStereo, "maps/-NoStereo.fou"},
        // -MapRadius before or after the stereo switches.
        {"-MapRadius 12.5 a.mt1", NoStereo, "a.mt1", false, 12.5f},
        {"-StereoInterlaced -MapRadius 8 my map.fou", StereoInterlaced, "my map.fou", false, 8},
        {"-MapRadius 0 -StereoHW b.grd", StereoHW, "b.grd"},
        {"-MapRadius 8", NoStereo, "", false, 8},
        {"-StereoHW -NoStereo -MapRadius 5 c.fou", StereoHW, "c.fou", true, 5},
        {"-StereoHW -MapRadius 5 -NoStereo c.fou", StereoHW, "c.fou", true, 5},
        {"-MapRadius x a.mt1", NoStereo, "a.mt1", false, 0, true},
        {"-MapRadius -3 a.mt1", NoStereo, "a.mt1", false, 0, true},
        {"a.mt1 -MapRadius 3", NoStereo, "a.mt1 -MapRadius 3"},
    };
    for (const auto& c : cases) {
        const CommandLineChoice g = ParseCommandText(c.text);
        EXPECT_EQ(std::tuple(g.DisplayMode, g.FileText, g.NoStereo, g.MapRadius, g.BadMapRadius),
                  std::tuple(c.mode, c.file, c.no_stereo, c.radius, c.bad_radius))
            << c.text;
    }
}

TEST(MapExtension, LastThreeCharactersAllLowerOrAllUpperCase) {
    using enum MapKind;
    const std::pair<const char*, MapKind> cases[] = {
        {"a.mt1", Mt1},     {"A.MT1", Mt1},        {"a.fou", Fou},     {"A.FOU", Fou},
        {"a.grd", Grd},     {"A.GRD", Grd},        {"a.Mt1", Unknown}, {"a.mT1", Unknown},
        {"a.Fou", Unknown}, {"a.txt", Unknown},    {"mapfou", Fou},    {"ab", Unknown},
        {"", Unknown},      {"\"a.mt1\"", Unknown}};
    for (const auto& [name, kind] : cases) EXPECT_EQ(MapKindOf(name), kind) << name;
    EXPECT_EQ(MapExtension("\"my maps/a.mt1\""), "t1\"");  // a quoted path fails
    EXPECT_EQ(MapExtension("ab"), "ab");
    EXPECT_EQ(WindowTitleFor("/d/x.grd"), "Visualized file: /d/x.grd");
    EXPECT_STREQ(kMapFileFilter,
                 "ELD map files (*.mt1,*.fou,*.grd)|*.mt1;*.fou;*.grd|All files (*.*)|*.*");
}

// Maps of other programs, with a model after them; the three formats keep
// their rule (the whole text is the name, blanks included).
TEST(CommandLine, AMapOfAnotherProgramAndItsModel) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        // text, map, model
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
    for (const auto& [text, map, model] : cases)
        EXPECT_EQ(std::pair(SplitForeignMapText(text).Map, SplitForeignMapText(text).Model),
                  std::pair(map, model))
            << text;
}

}  // namespace
}  // namespace eld
