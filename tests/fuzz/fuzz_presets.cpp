// Feeds arbitrary text to the layer-limit presets loader.
// fuzz-needs: LoadLayerLimitPresets
#include <cstddef>
#include <cstdint>

#include "mapdata/eld_error.h"
#include "mapdata/presets.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    eld::fuzz::WriteInput("layer_limit_presets.txt", data, size);
    eld::SceneState s;
    s.DataFolder = eld::fuzz::ScratchFolder().string();
    try {
        eld::LoadLayerLimitPresets(s);
    } catch (const eld::EldError& e) {
        return eld::fuzz::Refused(e);
    }
    return 0;
}
