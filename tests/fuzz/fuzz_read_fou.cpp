// libFuzzer harness: arbitrary bytes into the .fou reader (what a run does and what counts as a
// finding: tests/fuzz/targets.h).
//
// fuzz-needs: ReadMapFouBuffer

#include "tests/fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    eld::fuzz::RunReadFou(eld::fuzz::Bytes(data, size));
    return 0;
}
