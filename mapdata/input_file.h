// One way to open a data file for reading. The path is opened once, without
// waiting (a FIFO with no writer would block the open), and only a regular
// file is taken: a directory, FIFO, device or socket is refused before a byte
// is read. Reads are plain bounded reads at the current offset, so a file cut
// short by another program while it is read gives an "ends early" error from
// the caller's format checks instead of a fault, and nothing ever holds more
// than the caller's buffers.
//
// Messages: "cannot open the <what> '<file>': <reason>" and
// "cannot read the <what> '<file>': <reason>", thrown as EldError
// (Recoverable); what describes the file ("map file", "atom parameter file").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace eld {

class InputFile {
  public:
    InputFile(const std::string& path, const char* what);
    // Bytes already in memory standing for a file named name (tests, fuzzing).
    InputFile(std::string_view bytes, std::string name, const char* what);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const std::string& Path() const { return path_; }
    const char* What() const { return what_; }
    // The size when the file was opened; the readers check a header's sizes
    // against it before allocating anything.
    std::uint64_t Size() const { return size_; }
    std::uint64_t Offset() const { return offset_; }
    std::uint64_t Remaining() const { return size_ > offset_ ? size_ - offset_ : 0; }
    // The whole content when the file is bytes in memory, else empty.
    std::string_view Memory() const { return memory_; }

    // Up to n bytes at the current offset, fewer only at the end of the file
    // (or where another program cut it).
    std::size_t Read(char* dst, std::size_t n);

    [[noreturn]] void FailRead(const std::string& reason) const;

  private:
    int fd_ = -1;
    std::string_view memory_;
    std::string path_;
    const char* what_;
    std::uint64_t size_ = 0;
    std::uint64_t offset_ = 0;
};

// The whole content of a small file (data tables, help text) of at most
// max_bytes; a larger file is refused with a message naming it and the limit.
std::string ReadWholeFile(const std::string& path, const char* what,
                          std::size_t max_bytes = std::size_t(16) << 20);

}  // namespace eld
