#include "mapdata/command_line.h"

#include <gtest/gtest.h>

namespace eld {
namespace {

TEST(CommandLine, ArgumentsJoinedBySingleBlanksWithoutTheProgramName) {
    const char* argv[] = {"eldview", "-StereoHW", "my map.mt1"};
    EXPECT_EQ(JoinArguments(3, argv), "-StereoHW my map.mt1");
    EXPECT_EQ(JoinArguments(1, argv), "");
}

TEST(CommandLine, PlainPathKeepsTheTextAndGivesNoStereo) {
    CommandLineChoice c = ParseCommandText("maps/x.fou");
    EXPECT_EQ(c.DisplayMode, StereoMode::NoStereo);
    EXPECT_EQ(c.FileText, "maps/x.fou");
}

TEST(CommandLine, SwitchesAreStrippedFromTheFront) {
    CommandLineChoice hw = ParseCommandText("-StereoHW a.mt1");
    EXPECT_EQ(hw.DisplayMode, StereoMode::StereoHW);
    EXPECT_EQ(hw.FileText, "a.mt1");

    CommandLineChoice both = ParseCommandText("-StereoHW -StereoInterlaced b.grd");
    EXPECT_EQ(both.DisplayMode, StereoMode::StereoInterlaced);
    EXPECT_EQ(both.FileText, "b.grd");

    // Any one character after the switch is taken as its separator.
    EXPECT_EQ(ParseCommandText("-StereoHWxc.fou").FileText, "c.fou");
}

TEST(CommandLine, SwitchAloneLeavesEmptyTextSoTheDialogIsShown) {
    EXPECT_EQ(ParseCommandText("-StereoHW").FileText, "");
    EXPECT_EQ(ParseCommandText("-StereoHW ").FileText, "");
    EXPECT_EQ(ParseCommandText("-StereoInterlaced").FileText, "");
    EXPECT_EQ(ParseCommandText("-StereoInterlaced").DisplayMode, StereoMode::StereoInterlaced);
    EXPECT_EQ(ParseCommandText("").FileText, "");
    EXPECT_EQ(ParseCommandText("").DisplayMode, StereoMode::NoStereo);
}

TEST(CommandLine, StereoHwIsOnlyRecognisedInFront) {
    CommandLineChoice c = ParseCommandText("-StereoInterlaced -StereoHW x.grd");
    EXPECT_EQ(c.DisplayMode, StereoMode::StereoInterlaced);
    EXPECT_EQ(c.FileText, "-StereoHW x.grd");
    EXPECT_EQ(MapKindOf(c.FileText), MapKind::Grd);
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

TEST(CommandLine, SwitchNamesAreCaseSensitive) {
    CommandLineChoice c = ParseCommandText("-stereohw a.mt1");
    EXPECT_EQ(c.DisplayMode, StereoMode::NoStereo);
    EXPECT_EQ(c.FileText, "-stereohw a.mt1");
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

TEST(MapExtension, OnlyAllLowerOrAllUpperCaseFormsAreAccepted) {
    EXPECT_EQ(MapKindOf("a.mt1"), MapKind::Mt1);
    EXPECT_EQ(MapKindOf("A.MT1"), MapKind::Mt1);
    EXPECT_EQ(MapKindOf("a.fou"), MapKind::Fou);
    EXPECT_EQ(MapKindOf("A.FOU"), MapKind::Fou);
    EXPECT_EQ(MapKindOf("a.grd"), MapKind::Grd);
    EXPECT_EQ(MapKindOf("A.GRD"), MapKind::Grd);
    EXPECT_EQ(MapKindOf("a.Mt1"), MapKind::Unknown);
    EXPECT_EQ(MapKindOf("a.mT1"), MapKind::Unknown);
    EXPECT_EQ(MapKindOf("a.Fou"), MapKind::Unknown);
    EXPECT_EQ(MapKindOf("a.txt"), MapKind::Unknown);
}

TEST(MapExtension, QuotedPathEndsInAQuoteAndFails) {
    const std::string quoted = "\"my maps/a.mt1\"";
    EXPECT_EQ(MapExtension(quoted), "t1\"");
    EXPECT_EQ(MapKindOf(quoted), MapKind::Unknown);
}

TEST(MapExtension, LastThreeCharactersOnlyNoDotNeeded) {
    EXPECT_EQ(MapKindOf("mapfou"), MapKind::Fou);
    EXPECT_EQ(MapExtension("ab"), "ab");
    EXPECT_EQ(MapKindOf("ab"), MapKind::Unknown);
    EXPECT_EQ(MapKindOf(""), MapKind::Unknown);
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
