#include "mapdata/read_pdb.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include "mapdata/eld_error.h"

namespace eld {
namespace {

std::string Columns(const std::string& line, int first, int last) {  // counted from 1
    if (static_cast<int>(line.size()) < first) return "";
    return line.substr(first - 1, last - first + 1);
}

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(' ');
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

double Field(const std::string& path, int line_no, const std::string& line, int first, int last,
             const char* name) {
    const std::string text = Trim(Columns(line, first, last));
    char* end = nullptr;
    errno = 0;
    const double v = text.empty() ? 0.0 : std::strtod(text.c_str(), &end);
    if (text.empty() || *end || errno == ERANGE || !std::isfinite(v))
        fail(path + ": line " + std::to_string(line_no) + ": " + name + " (columns " +
             std::to_string(first) + "-" + std::to_string(last) + ") is '" + text +
             "', expected a number");
    return v;
}

// Columns 77-78, or the atom name's element part: columns 13-14 when column 13
// is a letter (two-letter elements such as FE), else column 14.
std::string ElementOf(const std::string& line) {
    std::string e = Trim(Columns(line, 77, 78));
    if (e.empty()) {
        const std::string name = Columns(line, 13, 16);
        if (name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])))
            e = name.substr(0, 2);
        else if (name.size() >= 2)
            e = name.substr(1, 1);
        while (!e.empty() && !std::isalpha(static_cast<unsigned char>(e.back()))) e.pop_back();
    }
    // Some programs append a charge or use digits in column 77 ("C1").
    std::string out;
    for (char c : e)
        if (std::isalpha(static_cast<unsigned char>(c))) out += c;
    return out;
}

}  // namespace

PdbModel ReadPdbModel(const std::string& path) {
    std::ifstream in(path);
    if (!in) fail(path + ": cannot open the model file");
    PdbModel model;
    std::string line;
    int line_no = 0;
    while (std::getline(in, line)) {
        ++line_no;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string record = Columns(line, 1, 6);
        if (record == "CRYST1") {
            static const int kCols[6][2] = {{7, 15},  {16, 24}, {25, 33},
                                            {34, 40}, {41, 47}, {48, 54}};
            static const char* const kName[6] = {"CRYST1 a",     "CRYST1 b",    "CRYST1 c",
                                                 "CRYST1 alpha", "CRYST1 beta", "CRYST1 gamma"};
            for (int k = 0; k < 6; ++k)
                model.Cell[k] = Field(path, line_no, line, kCols[k][0], kCols[k][1], kName[k]);
            model.HasCell = true;
        } else if (record == "ATOM  " || record == "HETATM") {
            ForeignAtom atom;
            atom.Cartesian = {Field(path, line_no, line, 31, 38, "x"),
                              Field(path, line_no, line, 39, 46, "y"),
                              Field(path, line_no, line, 47, 54, "z")};
            atom.Element = ElementOf(line);
            if (atom.Element.empty() || atom.Element.size() > 2)
                fail(path + ": line " + std::to_string(line_no) +
                     ": no element symbol in columns 77-78 nor in the atom name (columns 13-16)");
            model.Atoms.push_back(atom);
            if (model.Atoms.size() > 32766)
                fail(path + ": more than 32766 atoms; the viewer holds at most 32766");
        } else if (record == "ENDMDL") {
            break;  // only the first model of an ensemble
        }
    }
    return model;
}

}  // namespace eld
