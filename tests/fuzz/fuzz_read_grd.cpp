// libFuzzer harness: arbitrary bytes into the .grd reader (what a run does and what counts as a
// finding: tests/fuzz/targets.h).
//
// fuzz-needs: ReadMapGrdBuffer

#include "tests/fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    eld::fuzz::RunReadGrd(eld::fuzz::Bytes(data, size));
    return 0;
}
