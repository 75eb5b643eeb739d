#pragma once
// The fuzz targets: one entry function per target, its seeds and its name. The libFuzzer
// programs call the entries with mutated inputs; the replay test calls them, in the normal
// builds, with every seed and every committed regression input. An entry returns what it found
// wrong (empty when nothing); sanitizer findings, crashes and hangs end or stall the process as
// they would in the program. One thread at a time.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zentab::fuzz {

using Input = std::span<const std::uint8_t>;

// A snapshot comparison: the first byte chooses options, the rest is Database 1's snapshot file
// and, after kSideSeparator, Database 2's (without a separator both sides read the same bytes).
// Both are compared by a whole run of every phase, in this process, with a host that discards
// what it is given; the report must stay within reportLimit().
inline constexpr std::string_view kSideSeparator = "|ZSN SIDE 2|";
std::string snapshotInput(Input input);
// The most report text a snapshot input of `size` bytes may give: every input byte may stand
// for a value padded to the widest column, on each side.
std::size_t reportLimit(std::size_t size);

// A profile file: parsed, every value read, written back into a new profile, saved as text and
// parsed again; every value must read back the same, and the saved text must be stable.
std::string profileInput(Input input);

// A configuration file's text applied three ways: as a configuration file (section "Zentab"),
// as zentab-batch --set pairs (its entries in that section), and as the per-user preferences
// (section "Settings"). Every resulting number must lie in its field's range.
std::string settingsInput(Input input);

struct Seed {
    std::string name;
    std::string bytes;
};

// Seeds written by the program's own snapshot and profile writers.
std::vector<Seed> snapshotSeeds();
std::vector<Seed> profileSeeds();
std::vector<Seed> settingsSeeds();

struct Target {
    std::string_view name; // also the folder of its seeds, dictionary and regression inputs
    std::string (*entry)(Input);
    std::vector<Seed> (*seeds)();
};
std::span<const Target> targets();

} // namespace zentab::fuzz
