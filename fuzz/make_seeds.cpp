// zentab-fuzz-seeds FOLDER: writes the seeds of every fuzz target into FOLDER/<target>/, where
// scripts/fuzz.sh hands them to the fuzzers. Seeds are made afresh at every start, so that they
// always hold what the program writes today.

#include <cstdio>
#include <filesystem>
#include <string>

#include "fuzz_entries.h"
#include "scratch_folder.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zentab-fuzz-seeds FOLDER\n");
        return 2;
    }
    for (const zentab::fuzz::Target& target : zentab::fuzz::targets()) {
        const std::filesystem::path folder = std::filesystem::path(argv[1]) / target.name;
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        for (const zentab::fuzz::Seed& seed : target.seeds()) {
            const std::string path = (folder / seed.name).string();
            if (seed.bytes.empty() || !zentab::fuzz::writeWholeFile(path, seed.bytes)) {
                std::fprintf(stderr, "zentab-fuzz-seeds: could not write %s\n", path.c_str());
                return 1;
            }
        }
    }
    return 0;
}
