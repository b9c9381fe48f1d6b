// Feeds arbitrary bytes to the Gaussian cube reader of eldmap convert. A header that
// claims more points than the file holds must be refused before the values are
// allocated (libFuzzer's -malloc_limit_mb turns a huge allocation into a finding).
// fuzz-needs: ReadCubeMap
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "mapdata/eld_error.h"
#include "mapdata/read_cube.h"
#include "tests/fuzz/foreign_checks.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = eld::fuzz::WriteInput("input.cube", data, size);
    eld::ForeignMap m;
    try {
        m = eld::ReadCubeMap(path);
    } catch (const eld::EldError& e) {
        return eld::fuzz::Refused(e);
    }
    eld::fuzz::CheckForeignMap(m);
    return 0;
}
