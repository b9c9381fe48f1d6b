// The text side of opening a map: the command line as one text, the stereo
// switches in front of the file name, the extension test, the window title and
// the open dialog's filter. No toolkit, no GL: the viewer calls these and shows
// the dialogs and messages itself.
#pragma once

#include <string>

#include "mapdata/modes.h"

namespace eld {

// The open dialog's filter, in the "Description|patterns|..." form of Dialogs.
inline constexpr const char* kMapFileFilter =
    "ELD map files (*.mt1,*.fou,*.grd)|*.mt1;*.fou;*.grd|All files (*.*)|*.*";
// The filter the viewer's open dialog shows: the three formats first, as
// above, then the maps of other programs it converts when it opens them.
inline constexpr const char* kOpenDialogFilter =
    "ELD map files (*.mt1,*.fou,*.grd)|*.mt1;*.fou;*.grd|"
    "Maps of other programs (*.ccp4,*.map,*.mrc,*.cube,*.cub)|"
    "*.ccp4;*.map;*.mrc;*.ccp4.gz;*.map.gz;*.mrc.gz;*.cube;*.cub|All files (*.*)|*.*";
// File > Open model...
inline constexpr const char* kModelFileFilter =
    "Structure models (*.pdb,*.ent,*.cif,*.mmcif)|"
    "*.pdb;*.ent;*.cif;*.mmcif;*.pdb.gz;*.ent.gz;*.cif.gz;*.mmcif.gz|All files (*.*)|*.*";
inline constexpr const char* kWindowTitlePrefix = "Visualized file: ";

// The arguments after the program name joined by single blanks, without
// quoting or splitting: the viewer sees its command line as one text.
std::string JoinArguments(int argc, const char* const* argv);

// What the front of the command text asks for.
struct CommandLineChoice {
    StereoMode DisplayMode = StereoMode::NoStereo;
    std::string FileText;       // the rest; empty means "ask with the open dialog"
    bool NoStereo = false;      // "-NoStereo": a single central-eye picture instead
    float MapRadius = 0;        // -MapRadius R; 0: the whole map
    bool BadMapRadius = false;  // -MapRadius without a number of at least 0
};

// Strips "-StereoHW" and then "-StereoInterlaced" from the front of the text
// (each with the one character after it). The test is on the first 9 or 17
// characters only, so "-StereoHWx" counts as the switch and the 'x' is dropped
// as its separator. Without a switch the mode is NoStereo. After those two,
// "-NoStereo" is stripped the same way; it asks for the plain picture, which
// the two older switches never change. "-MapRadius R" (the switch, a blank, a
// number and its separator) is taken from the front the same way, before,
// between or after the stereo switches.
CommandLineChoice ParseCommandText(const std::string& text);

// True when `name` ends in `tail` ("." included), compared without case: the
// one test of a file name's extension in any case.
bool EndsWithNoCase(const std::string& name, const std::string& tail);

// The last three characters of a name (the whole name when it is shorter).
std::string MapExtension(const std::string& path);

enum class MapKind { Unknown, Mt1, Fou, Grd };

// Only the all-lower-case and all-upper-case forms count: "mt1", "MT1", "fou",
// "FOU", "grd", "GRD". A quoted path ends in '"' and is Unknown.
MapKind MapKindOf(const std::string& path);

std::string WindowTitleFor(const std::string& map_file_name);

// A file text that names no map of the three formats may name a map of
// another program (.ccp4, .map, .mrc, also .gz; .cube, .cub), optionally
// followed by a blank and a structure model (.pdb, .ent, .cif, .mmcif, also
// .gz). Either name may hold blanks: the first blank that leaves a map name
// before it and a model name after it splits the text. Both parts are empty
// when the text is not of that form.
struct ForeignMapText {
    std::string Map;
    std::string Model;
};
ForeignMapText SplitForeignMapText(const std::string& text);

}  // namespace eld
