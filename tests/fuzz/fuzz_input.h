// Shared by the fuzz harnesses: some readers take file names, so their input is
// written to a file in a private scratch folder first (one folder per process,
// so parallel fuzzers do not trample each other's files).
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>

namespace eld::fuzz {

inline const std::filesystem::path& ScratchFolder() {
    static const std::filesystem::path folder = [] {
        auto p = std::filesystem::temp_directory_path() /
                 ("eld-fuzz-" + std::to_string(static_cast<long>(getpid())));
        std::filesystem::create_directories(p);
        return p;
    }();
    static const bool cleanup_registered = [] {
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(ScratchFolder(), ignored);
        });
        return true;
    }();
    (void)cleanup_registered;
    return folder;
}

// Writes the input to ScratchFolder()/name and returns the file's path.
inline std::string WriteInput(const std::string& name, std::string_view bytes) {
    std::string path = (ScratchFolder() / name).string();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::perror(path.c_str());
        std::abort();  // the harness itself is broken, not the code under test
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
        std::abort();
    std::fclose(f);
    return path;
}

// A refusal by the code under test is a proper outcome; ELD_FUZZ_VERBOSE=1 prints
// it, to check by hand that a seed is accepted or why an input is refused.
inline int Refused(const std::exception& e) {
    static const bool verbose = std::getenv("ELD_FUZZ_VERBOSE") != nullptr;
    if (verbose) std::fprintf(stderr, "refused: %s\n", e.what());
    return 0;
}

}  // namespace eld::fuzz
