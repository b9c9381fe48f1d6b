// Replays every input in tests/data/fuzz-regressions/<target>/ through the same
// code path as the libFuzzer harness <target> (tests/fuzz/targets.h): each must be
// read or refused with an EldError, never crash, throw anything else or leave a
// broken state behind. Inputs named "refuse-*" must be refused. The seeds of the
// fuzzers (tests/fuzz/corpus/<target>/) must be accepted, or fuzzing would start
// from inputs the readers turn down at the first byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tests/fuzz/targets.h"

namespace fs = std::filesystem;
using eld::fuzz::Outcome;

namespace {

const fs::path kRegressions = fs::path(ELD_TEST_DATA) / "fuzz-regressions";
const fs::path kSeeds = fs::path(ELD_TEST_DATA) / ".." / "fuzz" / "corpus";

const eld::fuzz::Target* FindTarget(const std::string& name) {
    for (const auto& t : eld::fuzz::Targets())
        if (name == t.name) return &t;
    return nullptr;
}

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<fs::path> FilesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.is_regular_file()) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Runs one input; a failure names the file and what went wrong.
::testing::AssertionResult Replay(const eld::fuzz::Target& t, const fs::path& file,
                                  Outcome* outcome) {
    try {
        *outcome = t.run(ReadAll(file));
        return ::testing::AssertionSuccess();
    } catch (const std::exception& e) {
        return ::testing::AssertionFailure()
               << file.filename() << " (" << t.name << "): " << e.what();
    }
}

}  // namespace

TEST(FuzzRegressions, EveryInputIsReadOrRefusedNeverCrashes) {
    ASSERT_TRUE(fs::is_directory(kRegressions)) << kRegressions;
    int replayed = 0;
    for (const auto& folder : fs::directory_iterator(kRegressions)) {
        const auto* t = FindTarget(folder.path().filename().string());
        ASSERT_TRUE(t && folder.is_directory())
            << folder.path().filename() << " should be a folder named after a harness";
        for (const auto& file : FilesIn(folder.path())) {
            Outcome outcome{};
            EXPECT_TRUE(Replay(*t, file, &outcome));
            if (file.filename().string().rfind("refuse-", 0) == 0) {
                EXPECT_EQ(outcome, Outcome::Refused) << file.filename() << " was accepted";
            }
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0) << "no regression inputs found in " << kRegressions;
}

TEST(FuzzRegressions, EverySeedIsAccepted) {
    int seeds = 0;
    for (const auto& t : eld::fuzz::Targets()) {
        const fs::path folder = kSeeds / t.name;
        ASSERT_TRUE(fs::is_directory(folder)) << t.name << " has no seed corpus at " << folder;
        for (const auto& file : FilesIn(folder)) {
            Outcome outcome{};
            EXPECT_TRUE(Replay(t, file, &outcome));
            EXPECT_EQ(outcome, Outcome::Accepted)
                << file.filename() << " (" << t.name << ") is a seed but was refused";
            ++seeds;
        }
    }
    EXPECT_GE(seeds, static_cast<int>(eld::fuzz::Targets().size()));
}
