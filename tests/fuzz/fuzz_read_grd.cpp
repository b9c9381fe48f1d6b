// Feeds arbitrary bytes to the .grd reader. Any EldError is a proper refusal;
// any other exception, a crash, a sanitizer report, an allocation beyond
// libFuzzer's -malloc_limit_mb or a broken invariant is a finding.
// fuzz-needs: ReadMapGrdBuffer
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "mapdata/eld_error.h"
#include "mapdata/read_map.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/map_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    eld::SceneState s;
    try {
        eld::ReadMapGrdBuffer(s, std::string_view(reinterpret_cast<const char*>(data), size),
                              "fuzz-input.grd");
    } catch (const eld::EldError& e) {
        return eld::fuzz::Refused(e);
    }
    eld::fuzz::CheckLoadedMap(s);
    return 0;
}
