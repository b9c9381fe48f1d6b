// Scratch folders, small file helpers, the error a call ends with and a loop
// over grid points.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "mapdata/eld_error.h"

namespace eld::testing {

struct TempDir {
    std::filesystem::path path;
    TempDir() {
        static int counter = 0;
        path = std::filesystem::temp_directory_path() /
               ("eld_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempDir() {
        std::error_code ec;  // a test may leave the folder read-only
        std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path, ec);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    // Writes the bytes to `name` in the folder and returns the path.
    std::string Put(const std::string& name, const std::string& bytes) const {
        std::ofstream(path / name, std::ios::binary) << bytes;
        return *this / name;
    }
    int Count() const { return int(std::distance(std::filesystem::directory_iterator(path), {})); }
};

inline std::string ReadFile(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
inline void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// got[0], got[1], ... against want, each within the tolerance (0: exactly).
template <class T>
void ExpectNear(const T& got, std::initializer_list<double> want, double tolerance = 0) {
    int k = 0;
    for (double w : want) {
        EXPECT_NEAR(got[k], w, tolerance) << "element " << k;
        ++k;
    }
}

// f(i1, i2, i3) for every point of an n1 x n2 x n3 grid, counted from 1, axis 3 fastest.
template <class F>
void ForEachPoint(int n1, int n2, int n3, F f) {
    for (int i1 = 1; i1 <= n1; ++i1)
        for (int i2 = 1; i2 <= n2; ++i2)
            for (int i3 = 1; i3 <= n3; ++i3) f(i1, i2, i3);
}

// The EldError a call ends with; `what` is "accepted" if it ends without one.
struct Caught {
    std::string what = "accepted";
    ErrorKind kind = ErrorKind::Recoverable;
    bool thrown = false;
};
inline Caught Catch(const std::function<void()>& f) {
    try {
        f();
    } catch (const EldError& e) {
        return {e.what(), e.kind(), true};
    }
    return {};
}
inline std::string ErrorOf(const std::function<void()>& f) {
    return Catch(f).what;
}
// f must end with an EldError of this kind whose message holds every part.
inline void ExpectError(const std::function<void()>& f, ErrorKind kind,
                        std::initializer_list<std::string> parts) {
    const Caught c = Catch(f);
    EXPECT_TRUE(c.thrown) << "accepted";
    EXPECT_EQ(int(c.kind), int(kind)) << c.what;
    for (const std::string& part : parts) EXPECT_NE(c.what.find(part), std::string::npos) << c.what;
}

}  // namespace eld::testing
