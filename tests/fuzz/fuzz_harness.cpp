// The libFuzzer harness of one target of targets.h, named by ELD_FUZZ_TARGET
// (CMakeLists.txt builds this file once per target).
#include <algorithm>

#include "tests/fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto run =
        std::ranges::find(eld::fuzz::Targets(), std::string_view(ELD_FUZZ_TARGET),
                          &eld::fuzz::Target::name)
            ->run;
    run(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
