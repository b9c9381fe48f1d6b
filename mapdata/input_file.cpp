#include "mapdata/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "mapdata/eld_error.h"

namespace eld {

namespace {

std::string Kind(mode_t mode) {
    if (S_ISDIR(mode)) return "it is a folder, not a regular file";
    if (S_ISFIFO(mode)) return "it is a pipe (FIFO), not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a regular file";
    if (S_ISSOCK(mode)) return "it is a socket, not a regular file";
    return "it is not a regular file";
}

}  // namespace

InputFile::InputFile(const std::string& path, const char* what) : path_(path), what_(what) {
    auto refuse = [&](const std::string& reason) {
        if (fd_ >= 0) ::close(fd_);
        fail(std::string("cannot open the ") + what + " '" + path + "': " + reason);
    };
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) refuse(std::strerror(errno));
    struct stat st {};
    if (::fstat(fd_, &st) != 0) refuse(std::strerror(errno));
    if (!S_ISREG(st.st_mode)) refuse(Kind(st.st_mode));
    size_ = static_cast<std::uint64_t>(st.st_size);
}

InputFile::InputFile(std::string_view bytes, std::string name, const char* what)
    : memory_(bytes), path_(std::move(name)), what_(what), size_(bytes.size()) {}

InputFile::~InputFile() {
    if (fd_ >= 0) ::close(fd_);
}

void InputFile::FailRead(const std::string& reason) const {
    fail(std::string("cannot read the ") + what_ + " '" + path_ + "': " + reason);
}

std::size_t InputFile::Read(char* dst, std::size_t n) {
    if (fd_ < 0) {
        const std::size_t k = std::min<std::uint64_t>(n, Remaining());
        std::memcpy(dst, memory_.data() + offset_, k);
        offset_ += k;
        return k;
    }
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::read(fd_, dst + got, std::min<std::size_t>(n - got, 1 << 30));
        if (r == 0) break;
        if (r < 0) {
            if (errno == EINTR) continue;
            FailRead(std::strerror(errno));
        }
        got += std::size_t(r);
    }
    offset_ += got;
    return got;
}

std::string ReadWholeFile(const std::string& path, const char* what, std::size_t max_bytes) {
    InputFile f(path, what);
    if (f.Size() > max_bytes)
        f.FailRead("it holds " + std::to_string(f.Size()) +
                   " bytes; a file of this kind has at most " + std::to_string(max_bytes));
    std::string data(f.Size(), '\0');
    data.resize(f.Read(data.data(), data.size()));
    return data;
}

}  // namespace eld
