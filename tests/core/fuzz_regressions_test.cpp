// Replays every input in tests/data/fuzz-regressions/<target>/ through the same
// code path as the libFuzzer harness <target> (tests/fuzz/targets.h): each must be
// read or refused with an EldError, never crash, throw anything else or leave a
// broken state behind. Inputs named "refuse-*" must be refused. The seeds of the
// fuzzers (tests/fuzz/corpus/<target>/) must be accepted, or fuzzing would start
// from inputs the readers turn down at the first byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/core/temp_folder.h"
#include "tests/fuzz/targets.h"

namespace fs = std::filesystem;
using eld::fuzz::Outcome;

namespace {

const fs::path kRegressions = fs::path(ELD_TEST_DATA) / "fuzz-regressions";
const fs::path kSeeds = fs::path(ELD_TEST_DATA) / ".." / "fuzz" / "corpus";

// Runs every file in the folder through the target and returns their count.
// Seeds must be accepted, regression inputs named "refuse-*" refused.
int ReplayFolder(const eld::fuzz::Target& t, const fs::path& folder, bool seeds) {
    int count = 0;
    for (const auto& e : fs::directory_iterator(folder)) {
        if (!e.is_regular_file()) continue;
        const std::string name = e.path().filename().string();
        try {
            const Outcome got = t.run(eld::testing::ReadFile(e.path().string()));
            if (seeds || name.starts_with("refuse-")) {
                EXPECT_EQ(got, seeds ? Outcome::Accepted : Outcome::Refused)
                    << name << " (" << t.name << ")";
            }
        } catch (const std::exception& ex) {
            ADD_FAILURE() << name << " (" << t.name << "): " << ex.what();
        }
        ++count;
    }
    return count;
}

}  // namespace

TEST(FuzzRegressions, EveryInputIsReadOrRefusedNeverCrashes) {
    ASSERT_TRUE(fs::is_directory(kRegressions)) << kRegressions;
    int replayed = 0;
    for (const auto& folder : fs::directory_iterator(kRegressions)) {
        const std::string name = folder.path().filename().string();
        const auto& targets = eld::fuzz::Targets();
        const auto t = std::find_if(targets.begin(), targets.end(),
                                    [&](const auto& x) { return name == x.name; });
        ASSERT_TRUE(t != targets.end() && folder.is_directory())
            << name << " should be a folder named after a harness";
        replayed += ReplayFolder(*t, folder.path(), false);
    }
    EXPECT_GT(replayed, 0) << "no regression inputs found in " << kRegressions;
}

TEST(FuzzRegressions, EverySeedIsAccepted) {
    int seeds = 0;
    for (const auto& t : eld::fuzz::Targets()) {
        ASSERT_TRUE(fs::is_directory(kSeeds / t.name)) << t.name << " has no seed corpus";
        seeds += ReplayFolder(t, kSeeds / t.name, true);
    }
    EXPECT_GE(seeds, static_cast<int>(eld::fuzz::Targets().size()));
}
