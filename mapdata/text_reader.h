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
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace eld {

class TextReader {
  public:
    // text must outlive the reader; name is used in messages only.
    TextReader(std::string_view text, std::string name);

    bool AtEnd() const { return pos_ >= text_.size(); }
    // 1-based line number of the current position.
    int Line() const { return line_; }
    std::size_t Remaining() const { return text_.size() - pos_; }
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

    [[noreturn]] void Fail(const std::string& problem) const;

  private:
    std::string_view Token(const char* what);
    void FinishNumber();

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

// A file's bytes for one read-through: mapped read-only when possible (no copy,
// page tables filled in one go; page faults on fresh memory cost more than the
// parse on this kind of machine), else read into memory. Throws like
// ReadWholeFile. A file truncated by another program while it is mapped would
// fault; the program's own writers replace files by renaming, which is safe.
class FileBytes {
  public:
    FileBytes(const std::string& path, const char* what);
    ~FileBytes();
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;
    std::string_view View() const { return view_; }

  private:
    std::string copy_;
    void* map_ = nullptr;
    std::size_t map_size_ = 0;
    std::string_view view_;
};

// The whole content of a file; throws EldError (Recoverable) naming the file
// and the reason when it cannot be opened or read. what describes the file
// ("map file", "atom parameter file").
std::string ReadWholeFile(const std::string& path, const char* what);

}  // namespace eld
