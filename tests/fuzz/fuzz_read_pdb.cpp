// libFuzzer harness: arbitrary bytes into the model reader (PDB through gemmi) of eldmap convert, then the cell
// and atom names the conversion takes from it (what a run does and what counts as a finding:
// tests/fuzz/targets.h).
//
// fuzz-needs: ReadModelBuffer

#include "tests/fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    eld::fuzz::RunReadPdb(eld::fuzz::Bytes(data, size));
    return 0;
}
