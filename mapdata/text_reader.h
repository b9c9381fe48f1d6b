// Reading primitives shared by the text map formats (.fou, .grd) and the
// column-oriented data files (atompar2.txt, layer_limit_presets.txt).
//
// TextReader walks a byte buffer with the two primitives of the text formats:
//  - ReadLine takes the characters from the current position to the end of the
//    line and consumes the line end (at the start of a line: the whole line);
//  - ReadNumber skips blanks and line ends, reads one number up to the next
//    blank, comma or line end, then skips blanks and consumes one comma or one
//    line end if it follows, so a number at the end of a line leaves the
//    position at the start of the next line.
// Line ends are "\n", "\r\n" or a lone "\r". Errors throw EldError
// (Recoverable) naming the file and the line.
//
// Over a file the reader keeps a window of about kWindow bytes and refills it
// with plain reads, so a map of any size costs the grid plus the window; a
// line or number longer than kMaxToken is refused (no map field is that long,
// and a file of zeros or binary junk is caught early). A view returned by
// ReadLine stays valid until the next call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "mapdata/input_file.h"

namespace eld {

class TextReader {
  public:
    static constexpr std::size_t kWindow = std::size_t(1) << 20;
    static constexpr std::size_t kMaxToken = std::size_t(1) << 20;

    // text must outlive the reader; name is used in messages only.
    TextReader(std::string_view text, std::string name);
    // Reads file from its current offset; file must outlive the reader.
    explicit TextReader(InputFile& file);

    bool AtEnd() { return !Have(); }
    // 1-based line number of the current position.
    int Line() const { return line_; }
    // Bytes from the position to the end of the file (its size when opened).
    std::uint64_t Remaining() const;
    const std::string& Name() const { return name_; }

    // Throws "ends early" (with what) when the position is already at the end.
    std::string_view ReadLine(const char* what);
    // A finite number; throws for an empty field, text, NaN or infinity.
    double ReadNumber(const char* what);
    // A density value: read as a number and rounded to a 32-bit float; values
    // too large for a float give +-infinity so the caller's range test rejects
    // them with its own message.
    float ReadFloatValue(const char* what);
    // A number that must be whole (1e3 and 12.0 are fine, 2.5 is not).
    long long ReadWholeNumber(const char* what);

    // The next run of characters up to a blank or line end, after skipping
    // blanks and line ends; empty at the end of the file.
    std::string_view ReadWord();

    [[noreturn]] void Fail(const std::string& problem) const;

  private:
    void SkipSpace();
    std::string_view Token(const char* what);
    void FinishNumber();
    // True when a byte is at pos_, refilling the window when it is used up;
    // keep is the start of the token or line being read (moved with the data).
    bool Have(std::size_t& keep) { return pos_ < text_.size() || Refill(keep); }
    bool Have() {
        std::size_t k = pos_;
        return Have(k);
    }
    bool Refill(std::size_t& keep);

    InputFile* file_ = nullptr;  // null: the whole text is in text_
    std::string window_;
    std::uint64_t base_ = 0;  // file offset of text_[0]
    std::string_view text_;
    std::string name_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

// The leading number of a field, the way fixed-column fields are read: blanks
// anywhere in the field are ignored, reading stops at the first character that
// cannot continue the number, and a field without a number gives 0.
double LeadingNumber(std::string_view field);

// Characters from..to (1-based, inclusive) of a line; shorter when the line is.
std::string_view Columns(std::string_view line, std::size_t from, std::size_t to);

}  // namespace eld
