// Writing a file so that it is either wholly replaced or left as it was.
//
// Every file eldview and eldmap write (TGA pictures, POV-Ray scenes, the peak
// list, meshes, SVG, converted maps) goes through here. The bytes go to a
// temporary file in the target's own folder (".NAME.tmp-PID-N"), are flushed to
// disk, and the temporary file is renamed over the target only when everything
// was written. A failure at any step (read-only folder, full disk, missing
// folder) throws EldError(Recoverable) with a message naming the target file and
// the reason, removes the temporary file and leaves an existing target intact.
//
// Details:
//  - the new file gets the permissions, and where allowed the owner and group,
//    of the file it replaces, or 0666 minus the umask for a new file;
//  - a file the user may not write (read-only) is refused, not replaced;
//  - a symbolic link as target is followed: the file it points at is replaced and
//    the link stays;
//  - a target that exists and is not a regular file (a device such as /dev/null or
//    /dev/stdout, a FIFO) is written directly, since it cannot be replaced by a
//    rename; write errors (e.g. /dev/full) are still reported.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace eld {

// Writes a whole file in one go.
void AtomicWrite(const std::string& path, std::string_view bytes);

// Writes a file piece by piece (buffered, so many small writes are cheap), then
// commit() puts it in place. Destroying the object without commit() discards the
// temporary file and leaves the target untouched.
//
//     AtomicFile f(path);          // throws if the folder cannot take a file
//     f.write("header\r\n");
//     f.write(pixels, n);
//     f.commit();                  // throws if any byte could not be written
class AtomicFile {
  public:
    explicit AtomicFile(const std::string& path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void write(const void* data, std::size_t n);
    void write(std::string_view text) { write(text.data(), text.size()); }

    // Flushes, syncs, closes and renames over the target. Call once.
    void commit();

    // The target path as given.
    const std::string& path() const { return path_; }

  private:
    void Flush();
    [[noreturn]] void Fail(const std::string& what, int err);
    void Discard() noexcept;

    std::string path_;    // as given, for messages
    std::string target_;  // symlinks resolved
    std::string temp_;    // empty when writing the target directly
    int fd_ = -1;
    bool committed_ = false;
    std::string buffer_;
};

}  // namespace eld
