// libFuzzer harness: arbitrary bytes into the atompar2.txt reader and the bond search (what a run
// does and what counts as a finding: tests/fuzz/targets.h).
//
// fuzz-needs: ReadAtomParameters FindBonds

#include "tests/fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    eld::fuzz::RunAtompar(eld::fuzz::Bytes(data, size));
    return 0;
}
