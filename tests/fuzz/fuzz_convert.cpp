// libFuzzer harness: the whole of eldmap convert on arbitrary bytes: a CCP4/MRC
// map read, placed in the scene (box, step, centre chosen by the first byte),
// encoded as .mt1, .fou or .grd and read back; what convert would write must
// read back (tests/fuzz/targets.h).
//
// fuzz-needs: ReadCcp4MapBuffer PlaceInScene EncodeMap

#include "tests/fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    eld::fuzz::RunConvert(eld::fuzz::Bytes(data, size));
    return 0;
}
