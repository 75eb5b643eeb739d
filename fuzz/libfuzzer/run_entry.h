#pragma once
// Runs one entry function the way libFuzzer expects: a finding of the entry's own checks aborts
// with its description, so that libFuzzer keeps the input as a crash. libFuzzer's thread.

#include <cstdio>
#include <cstdlib>

#include "fuzz_entries.h"

namespace zentab::fuzz {

inline int runEntry(std::string (*entry)(Input), const std::uint8_t* data, std::size_t size) {
    const std::string problem = entry(Input(data, size));
    if (!problem.empty()) {
        std::fprintf(stderr, "==== zentab fuzz finding ====\n%s", problem.c_str());
        std::abort();
    }
    return 0;
}

} // namespace zentab::fuzz
