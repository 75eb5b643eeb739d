#pragma once
// A fresh folder under the system's temporary folder for the files a fuzz target or the seed
// writer needs (snapshot sides, preference files), removed with everything in it. Used by the
// thread that owns it.

#include <filesystem>
#include <string>
#include <string_view>

namespace zentab::fuzz {

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// False when the file could not be written whole.
bool writeWholeFile(const std::string& path, std::string_view bytes);
std::string readWholeFile(const std::string& path);

} // namespace zentab::fuzz
