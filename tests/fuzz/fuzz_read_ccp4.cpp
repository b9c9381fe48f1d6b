// libFuzzer harness: arbitrary bytes into the CCP4/MRC reader of eldmap convert (what a run does
// and what counts as a finding: tests/fuzz/targets.h).
//
// fuzz-needs: ReadCcp4MapBuffer

#include "tests/fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    eld::fuzz::RunReadCcp4(eld::fuzz::Bytes(data, size));
    return 0;
}
