// libFuzzer harness: arbitrary bytes into the case-table reader and the extraction over all 256
// cases (what a run does and what counts as a finding: tests/fuzz/targets.h).
//
// fuzz-needs: ReadCellTable GenerateLayerSurface

#include "tests/fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    eld::fuzz::RunCellTable(eld::fuzz::Bytes(data, size));
    return 0;
}
