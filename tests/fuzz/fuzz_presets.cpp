// libFuzzer harness: arbitrary bytes into the layer-limit presets loader (what a run does and what
// counts as a finding: tests/fuzz/targets.h).
//
// fuzz-needs: LoadLayerLimitPresets

#include "tests/fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    eld::fuzz::RunPresets(eld::fuzz::Bytes(data, size));
    return 0;
}
