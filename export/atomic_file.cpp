#include "export/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "mapdata/eld_error.h"

namespace eld {

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A symbolic link is followed so that the file behind it is replaced, not the
// link. A dangling link is left as it is (the rename then replaces the link).
std::string ResolveLinks(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved)) return resolved;
    return path;
}

}  // namespace

AtomicFile::AtomicFile(const std::string& path) : path_(path), target_(ResolveLinks(path)) {
    if (path.empty()) fail("Cannot write a file without a name");
    buffer_.reserve(kBufferSize);
    struct stat st;
    bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) Fail("it is a folder", EISDIR);
    // A rename would replace a write-protected file too; honour the protection.
    if (exists && S_ISREG(st.st_mode) && ::access(target_.c_str(), W_OK) != 0) Fail("", errno);
    if (exists && !S_ISREG(st.st_mode)) {
        // Devices and FIFOs cannot be replaced by a rename: write them directly.
        fd_ = ::open(target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd_ < 0) Fail("", errno);
        return;
    }
    const std::string stem =
        FolderOf(target_) + "/." + BaseOf(target_) + ".tmp-" + std::to_string(::getpid()) + "-";
    // O_EXCL makes the name ours; a clash (another writer, a left-over file) is
    // retried with a new suffix. Mode 0666 lets the umask decide for new files.
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
        temp_ = stem + std::to_string((tick + attempt) % 1000000007);
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            int err = errno;
            temp_.clear();
            Fail("", err);
        }
    }
    if (fd_ < 0) {
        temp_.clear();
        Fail("no free temporary name", EEXIST);
    }
    if (exists) {
        // Keep the old file's owner and group where we may (root may give the
        // file back to its owner; others may still keep a group they are in),
        // then its permissions, which a change of owner may have cleared.
        if (::fchown(fd_, st.st_uid, st.st_gid) != 0) (void)::fchown(fd_, (uid_t)-1, st.st_gid);
        (void)::fchmod(fd_, st.st_mode & 07777);
    }
}

AtomicFile::~AtomicFile() {
    if (!committed_) Discard();
}

void AtomicFile::write(const void* data, std::size_t n) {
    if (fd_ < 0) fail("Cannot write \"" + path_ + "\": the file is already closed");
    const char* p = static_cast<const char*>(data);
    if (buffer_.size() + n > kBufferSize) {
        Flush();
        if (n >= kBufferSize) {  // large blocks skip the buffer
            buffer_.assign(p, n);
            Flush();
            return;
        }
    }
    buffer_.append(p, n);
}

void AtomicFile::Flush() {
    const char* p = buffer_.data();
    std::size_t left = buffer_.size();
    while (left > 0) {
        ssize_t w = ::write(fd_, p, left);
        if (w < 0) {
            if (errno == EINTR) continue;
            Fail("", errno);
        }
        if (w == 0) Fail("", ENOSPC);
        p += w;
        left -= static_cast<std::size_t>(w);
    }
    buffer_.clear();
}

void AtomicFile::commit() {
    if (committed_ || fd_ < 0) fail("Cannot write \"" + path_ + "\": the file is already closed");
    Flush();
    if (::fsync(fd_) != 0 && !temp_.empty()) Fail("", errno);  // devices may not sync
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) Fail("", errno);
    if (!temp_.empty()) {
        if (::rename(temp_.c_str(), target_.c_str()) != 0) Fail("", errno);
        temp_.clear();
        // The rename itself lasts only once the folder is on disk; best effort.
        int dir = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            (void)::fsync(dir);
            ::close(dir);
        }
    }
    committed_ = true;
}

void AtomicFile::Discard() noexcept {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
}

void AtomicFile::Fail(const std::string& what, int err) {
    Discard();
    std::string reason = what.empty() ? std::strerror(err) : what;
    fail("Cannot write \"" + path_ + "\": " + reason);
}

void AtomicWrite(const std::string& path, std::string_view bytes) {
    AtomicFile f(path);
    f.write(bytes);
    f.commit();
}

}  // namespace eld
