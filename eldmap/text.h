// How eldmap writes numbers and names: one formatter for every number it
// prints or writes (text, JSON, SVG, OBJ), names made safe for a terminal and
// for JSON.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace eld::eldmap {

using Json = nlohmann::json;

// A map's values are 32-bit: in JSON a float is given as the double of its
// shortest text (0.1, not 0.10000000149011612), which reads back to the same
// float. Not finite: null.
Json JsonFloat(float v);

// The shortest text that reads back to the same value (std::to_chars).
std::string Num(float v);
std::string Num(double v);
// printf's %g with `digits` significant digits, for summaries.
std::string Num(double v, int digits);

// Numbers for a file: as Num, but a value that is not finite (inf, nan) ends
// the writing with a message naming the file, so no file holds one.
struct FileNumbers {
    std::string file;
    std::string operator()(double v) const;
    std::string operator()(float v) const;
    void Check(float v) const;  // for binary files
};

// The name as valid UTF-8: kept when it is UTF-8 already, otherwise read as
// Latin-1 (map files and old file names).
std::string Utf8(const std::string& s);

// The name for a terminal: control characters (ESC, newline, ...) and bytes
// that are not UTF-8 become \xNN, so a name cannot move the cursor or recolour.
std::string Printable(const std::string& s);

// The name as a quoted JSON string with only ASCII in it ("C   ", "\u00e9").
std::string Quoted(const std::string& s);

// Prints "eldmap: message" (printable) to stderr and returns 1.
int Error(const std::string& message);

}  // namespace eld::eldmap
