// libFuzzer program of the profile target.

#include "run_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return zentab::fuzz::runEntry(zentab::fuzz::profileInput, data, size);
}
