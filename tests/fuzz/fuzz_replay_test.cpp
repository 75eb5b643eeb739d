#include <filesystem>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "fuzz_entries.h"
#include "scratch_folder.h"

namespace zentab::fuzz {

// Test names and failures show the target by its name.
void PrintTo(const Target& target, std::ostream* out) {
    *out << target.name;
}

namespace {

Input bytesOf(const std::string& bytes) {
    return Input(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// Every seed and every committed regression input of a target, through the entry function its
// fuzzer calls: what a fuzzer once found stays fixed in the normal builds too.
class FuzzReplay : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzReplay, SeedsAndRegressionInputsPass) {
    const Target& target = GetParam();
    const std::vector<Seed> seeds = target.seeds();
    EXPECT_FALSE(seeds.empty());
    for (const Seed& seed : seeds) {
        SCOPED_TRACE("seed " + seed.name);
        EXPECT_FALSE(seed.bytes.empty());
        EXPECT_EQ(target.entry(bytesOf(seed.bytes)), "");
    }

    const std::filesystem::path folder =
        std::filesystem::path(ZENTAB_FUZZ_DIR) / "regressions" / std::string(target.name);
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        if (file.is_regular_file()) {
            SCOPED_TRACE(file.path().string());
            EXPECT_EQ(target.entry(bytesOf(readWholeFile(file.path().string()))), "");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay,
                         ::testing::ValuesIn(targets().begin(), targets().end()),
                         [](const ::testing::TestParamInfo<Target>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace zentab::fuzz
