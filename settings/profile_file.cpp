#include "settings/profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace zentab {

namespace {

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::string_view trimBlanks(std::string_view text) {
    auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string systemError(const std::string& what, const std::string& path, int code) {
    return what + " " + path + ": " + std::strerror(code);
}

// Closes the descriptor and removes the temporary file unless the save got through.
class TemporaryFile {
public:
    TemporaryFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (!kept_) {
            ::unlink(path_.c_str());
        }
    }
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    bool close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }
    void keep() { kept_ = true; }

private:
    int fd_;
    std::string path_;
    bool kept_ = false;
};

} // namespace

ProfileFile ProfileFile::parse(std::string_view text) {
    ProfileFile profile;
    Section* current = nullptr;
    while (!text.empty()) {
        auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }

        std::string_view content = trimBlanks(line);
        auto close = content.find(']');
        if (!content.empty() && content.front() == '[' && close != std::string_view::npos) {
            std::string_view name = trimBlanks(content.substr(1, close - 1));
            // A repeated header continues the section it names, as lookups only see the first.
            current = profile.findSection(name);
            if (current == nullptr) {
                current = &profile.sections_.emplace_back(Section{std::string(name), {}});
            }
            continue;
        }

        Line kept;
        auto equals = line.find('=');
        std::string_view key = equals == std::string_view::npos
                                   ? std::string_view()
                                   : trimBlanks(line.substr(0, equals));
        if (!key.empty() && current != nullptr) {
            // The value is taken as it is: leading blanks can matter (SpecialCharacters).
            kept = Line{true, std::string(key), std::string(line.substr(equals + 1))};
        } else {
            kept.text = line;
        }
        if (current != nullptr) {
            current->lines.push_back(std::move(kept));
        } else {
            profile.preamble_.push_back(std::move(kept.text));
        }
    }
    return profile;
}

bool ProfileFile::load(const std::string& path, std::string& error) {
    preamble_.clear();
    sections_.clear();
    std::error_code code;
    if (!std::filesystem::exists(path, code)) {
        return true;
    }
    if (std::filesystem::is_directory(path, code)) {
        error = systemError("Could not read", path, EISDIR);
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::string text;
    if (in) {
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (!in.is_open() || in.bad()) {
        error = systemError("Could not read", path, errno != 0 ? errno : EIO);
        return false;
    }
    auto lineEnd = std::move(lineEnd_);
    *this = parse(text);
    lineEnd_ = std::move(lineEnd);
    return true;
}

bool ProfileFile::save(const std::string& path, std::string& error, Permissions permissions) const {
    static std::atomic<unsigned> counter{0};
    const std::string text = toText();

    int fd = -1;
    std::string temporaryPath;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporaryPath = path + ".tmp-" + std::to_string(::getpid()) + "-" +
                        std::to_string(counter.fetch_add(1));
        // Owner only from the first byte: the text may hold connect strings with passwords,
        // and a wider mode given later would leave a moment in which others could open it.
        fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        error = systemError("Could not create", temporaryPath, errno);
        return false;
    }
    TemporaryFile temporary(fd, temporaryPath);

    // The umask may leave less than 0600; the mode asked for is the one the file gets.
    mode_t mode = 0600;
    struct stat existing {};
    if (permissions == Permissions::KeepExisting && ::stat(path.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    }
    if (::fchmod(fd, mode) != 0) {
        error = systemError("Could not set the permissions of", temporaryPath, errno);
        return false;
    }

    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t written = ::write(fd, data, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            error = systemError("Could not write", temporaryPath, errno);
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    if (::fsync(fd) != 0 || !temporary.close()) {
        error = systemError("Could not write", temporaryPath, errno);
        return false;
    }
    if (::rename(temporaryPath.c_str(), path.c_str()) != 0) {
        error = systemError("Could not replace", path, errno);
        return false;
    }
    temporary.keep();
    return true;
}

std::string ProfileFile::toText() const {
    std::string text;
    for (const auto& line : preamble_) {
        text += line;
        text += lineEnd_;
    }
    for (const auto& section : sections_) {
        text += '[';
        text += section.name;
        text += ']';
        text += lineEnd_;
        for (const auto& line : section.lines) {
            if (line.isEntry) {
                text += line.key;
                text += '=';
            }
            text += line.text;
            text += lineEnd_;
        }
    }
    return text;
}

std::optional<std::string> ProfileFile::read(std::string_view section, std::string_view key) const {
    const Section* found = findSection(section);
    if (found == nullptr) {
        return std::nullopt;
    }
    for (const auto& line : found->lines) {
        if (line.isEntry && sameName(line.key, key)) {
            // What a reload of the saved file would give: a line break ends the value.
            std::string_view value = line.text;
            auto lineBreak = value.find('\n');
            if (lineBreak != std::string_view::npos) {
                value = value.substr(0, lineBreak);
                if (!value.empty() && value.back() == '\r') {
                    value.remove_suffix(1);
                }
            }
            return std::string(value.substr(0, kValueBuffer - 1));
        }
    }
    return std::nullopt;
}

void ProfileFile::write(std::string_view section, std::string_view key, std::string_view value) {
    Section* found = findSection(section);
    if (found == nullptr) {
        found = &sections_.emplace_back(Section{std::string(section), {}});
    }
    auto& lines = found->lines;
    auto afterLastEntry = lines.begin();
    for (auto it = lines.begin(); it != lines.end(); ++it) {
        if (!it->isEntry) {
            continue;
        }
        if (sameName(it->key, key)) {
            it->text = value;
            return;
        }
        afterLastEntry = it + 1;
    }
    // After the last entry, so that comments and blank lines ending the section stay at its end.
    lines.insert(afterLastEntry, Line{true, std::string(key), std::string(value)});
}

bool ProfileFile::removeSection(std::string_view section) {
    for (auto it = sections_.begin(); it != sections_.end(); ++it) {
        if (sameName(it->name, section)) {
            sections_.erase(it);
            return true;
        }
    }
    return false;
}

std::vector<std::string> ProfileFile::sectionNames() const {
    std::vector<std::string> names;
    for (const auto& section : sections_) {
        names.push_back(section.name);
    }
    return names;
}

std::vector<std::string> ProfileFile::keys(std::string_view section) const {
    std::vector<std::string> names;
    if (const Section* found = findSection(section)) {
        for (const auto& line : found->lines) {
            if (line.isEntry) {
                names.push_back(line.key);
            }
        }
    }
    return names;
}

ProfileFile::Section* ProfileFile::findSection(std::string_view name) {
    for (auto& section : sections_) {
        if (sameName(section.name, name)) {
            return &section;
        }
    }
    return nullptr;
}

const ProfileFile::Section* ProfileFile::findSection(std::string_view name) const {
    return const_cast<ProfileFile*>(this)->findSection(name);
}

} // namespace zentab
