// Reading the marching-cubes case table (cell_table.dat).
#include <cctype>
#include <charconv>
#include <string>

#include "mapdata/eld_error.h"
#include "mapdata/input_file.h"
#include "surface/marching_cubes.h"

namespace eld {
namespace {

// Integers separated by commas, blanks or line ends; line structure is ignored.
class NumberStream {
  public:
    NumberStream(const std::string& text, const std::string& path) : text_(text), path_(path) {}

    std::int16_t Next(int caseNumber) {
        while (pos_ < text_.size() && (text_[pos_] == ',' || std::isspace(Byte(pos_)))) ++pos_;
        if (pos_ >= text_.size())
            fail_fatal(path_ + ": the case table ends early, in the record of case " +
                       std::to_string(caseNumber));
        std::size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] != ',' && !std::isspace(Byte(pos_))) ++pos_;
        std::string token = text_.substr(start, pos_ - start);
        const char* first = token.c_str();
        if (!token.empty() && token[0] == '+') ++first;
        long value = 0;
        auto [end, ec] = std::from_chars(first, token.c_str() + token.size(), value);
        if (ec != std::errc() || end != token.c_str() + token.size() || value < -32768 ||
            value > 32767)
            fail_fatal(path_ + ": case " + std::to_string(caseNumber) + ": '" + token +
                       "' is not a 16-bit whole number");
        return static_cast<std::int16_t>(value);
    }

  private:
    unsigned char Byte(std::size_t i) const { return static_cast<unsigned char>(text_[i]); }
    const std::string& text_;
    const std::string& path_;
    std::size_t pos_ = 0;
};

}  // namespace

void ReadCellTable(CellTable& t, const std::string& path) {
    // Extraction cannot go on without the table: every failure here ends the
    // program after its message. The table is about 43 KB; a megabyte is plenty.
    std::string text;
    try {
        text = ReadWholeFile(path, "marching-cubes case table", 1 << 20);
    } catch (const EldError& e) {
        fail_fatal(e.what());
    }

    // Filled in a scratch table so that a bad file leaves t as it was.
    CellTable read;
    NumberStream numbers(text, path);
    for (int c = 0; c < 256; ++c) {
        for (int n = 0; n < 9; ++n) numbers.Next(c);  // case number and corner bits
        for (int n = 0; n < 13; ++n) read.CutEdgeTable[c][n] = numbers.Next(c);
        for (int n = 0; n < 31; ++n) read.TriangleTable[c][n] = numbers.Next(c);
        std::int16_t separator = numbers.Next(c);
        if (separator != -99)
            fail_silent(path + ": case " + std::to_string(c) + ": the record separator is " +
                        std::to_string(separator) + ", not -99");
        // Counts beyond the columns would read past the record; triangle edges
        // must name one of the twelve cube edges. A negative count runs its
        // loop no times: the case has no cut edges or no triangles.
        int cut = read.CutEdgeTable[c][0];
        int tris = read.TriangleTable[c][0];
        if (cut > 12)
            fail_fatal(path + ": case " + std::to_string(c) + ": cut-edge count " +
                       std::to_string(cut) + " is more than 12");
        if (tris > 10)
            fail_fatal(path + ": case " + std::to_string(c) + ": triangle count " +
                       std::to_string(tris) + " is more than 10");
        for (int n = 1; n <= 3 * tris; ++n) {
            int e = read.TriangleTable[c][n];
            if (e < 1 || e > 12)
                fail_fatal(path + ": case " + std::to_string(c) + ": triangle edge " +
                           std::to_string(e) + " is outside 1..12");
        }
    }
    read.CellTableLoaded = t.CellTableLoaded;
    t = read;
}

}  // namespace eld
