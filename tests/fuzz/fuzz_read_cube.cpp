// libFuzzer harness: arbitrary bytes into the Gaussian cube reader of eldmap convert (what a run
// does and what counts as a finding: tests/fuzz/targets.h).
//
// fuzz-needs: ReadCubeMap

#include "tests/fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    eld::fuzz::RunReadCube(eld::fuzz::Bytes(data, size));
    return 0;
}
