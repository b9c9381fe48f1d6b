// Small helpers for eldmap's argument lists.
#pragma once

#include <string>

namespace eld::eldmap {

// The whole text as a number; false when it is not one (or is out of range).
bool ParseFloat(const char* text, float& out);
bool ParseInt(const char* text, int& out);

// True when path ends in ext ("." included), compared without case.
bool HasExtension(const std::string& path, const std::string& ext);

// The one positional MAP argument: stores arg in map, or says why it cannot
// (an unknown option, or a second map). "" when all is well.
std::string TakeMapArgument(const std::string& arg, std::string& map);

// Takes "--model FILE" (a structure model for the map: .pdb, .ent, .cif,
// .mmcif, also .gz) out of the argument list, so that every subcommand accepts
// it; returns the file name ("" without the option). Throws EldError when the
// option has no file name.
std::string TakeModelOption(int& argc, char** argv);

// The float in the shortest %.9g form that reads back to the same value.
std::string FloatText(float v);

}  // namespace eld::eldmap
