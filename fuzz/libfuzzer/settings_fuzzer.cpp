// libFuzzer program of the settings target.

#include "run_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return zentab::fuzz::runEntry(zentab::fuzz::settingsInput, data, size);
}
