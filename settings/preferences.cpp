#include "settings/preferences.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iterator>

#include "settings/profile_file.h"
#include "settings/settings_keys.h"

namespace zentab {

namespace {

constexpr std::string_view kSection = "Settings";
constexpr std::string_view kRecentSection = "Recent File List";
constexpr std::size_t kFaceNameLength = 31;

// Reads one section of a profile; a value that is absent or not a number gives the default.
class Reader {
public:
    explicit Reader(const ProfileFile& file) : file_(file) {}

    std::optional<long long> number(std::string_view key) const {
        auto text = file_.read(kSection, key);
        if (!text) {
            return std::nullopt;
        }
        std::string_view digits = *text;
        while (!digits.empty() && (digits.front() == ' ' || digits.front() == '\t')) {
            digits.remove_prefix(1);
        }
        while (!digits.empty() && (digits.back() == ' ' || digits.back() == '\t')) {
            digits.remove_suffix(1);
        }
        long long value = 0;
        auto [end, failure] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (digits.empty() || failure != std::errc() || end != digits.data() + digits.size()) {
            return std::nullopt;
        }
        return value;
    }

    int integer(std::string_view key, int fallback) const {
        auto value = number(key);
        return value && *value >= INT_MIN && *value <= INT_MAX ? static_cast<int>(*value)
                                                               : fallback;
    }

    // 32-bit values such as colours and font masks: stored unsigned, though a signed form reads
    // back to the same bits.
    std::uint32_t bits(std::string_view key, std::uint32_t fallback) const {
        auto value = number(key);
        return value && *value >= INT32_MIN && *value <= static_cast<long long>(UINT32_MAX)
                   ? static_cast<std::uint32_t>(*value)
                   : fallback;
    }

    std::optional<std::string> text(std::string_view key) const {
        return file_.read(kSection, key);
    }

private:
    const ProfileFile& file_;
};

// At most kFaceNameLength bytes, without splitting a UTF-8 sequence.
std::string cutFaceName(std::string name) {
    if (name.size() <= kFaceNameLength) {
        return name;
    }
    std::size_t length = kFaceNameLength;
    while (length > 0 && (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80) {
        --length;
    }
    name.resize(length);
    return name;
}

bool saveCreatingFolder(const ProfileFile& file, const std::string& path) {
    std::error_code code;
    auto folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) {
        std::filesystem::create_directories(folder, code);
    }
    std::string error;
    return file.save(path, error);
}

bool loadForUpdate(ProfileFile& file, const std::string& path) {
    // Our own file, Linux only: plain line ends.
    file.setLineEnd("\n");
    std::string error;
    return file.load(path, error);
}

bool sameKey(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

constexpr std::string_view kRunKeys[] = {
    "ColDatabase1", "ColDatabase2",      "ColCommon",         "ColError",
    "ColText",      "SpecialCharacters", "specObjStringOpen", "specObjStringClose",
};

// Values the desktop program keeps for its window; a run never reads them.
constexpr std::string_view kWindowKeys[] = {
    "szFaceName",   "yHeight",   "yOffset", "bCharSet", "bPitchAndFamily",
    "cbSize",       "dwEffects", "dwMask",  "BigWidth", "BigHeight",
    "BigMaximized", "LocX",      "LocY",    "LastProp", "WhereTab",
};

Rgb* colourOf(ReportColours& colours, std::string_view key) {
    if (sameKey(key, "ColDatabase1")) {
        return &colours.database1;
    }
    if (sameKey(key, "ColDatabase2")) {
        return &colours.database2;
    }
    if (sameKey(key, "ColCommon")) {
        return &colours.common;
    }
    if (sameKey(key, "ColError")) {
        return &colours.error;
    }
    return sameKey(key, "ColText") ? &colours.text : nullptr;
}

} // namespace

std::span<const std::string_view> runPreferenceKeys() {
    return kRunKeys;
}

bool setRunPreference(Preferences& preferences, std::string_view key, std::string_view value,
                      std::string& error) {
    const auto known = std::find_if(std::begin(kRunKeys), std::end(kRunKeys),
                                    [key](std::string_view run) { return sameKey(key, run); });
    if (known == std::end(kRunKeys)) {
        const bool window =
            std::any_of(std::begin(kWindowKeys), std::end(kWindowKeys),
                        [key](std::string_view shown) { return sameKey(key, shown); });
        error = "\"" + std::string(key) +
                (window ? "\" is a preference of the desktop program's window, not of a run"
                        : "\" is not a per-user preference");
        return false;
    }
    const std::string_view name = *known;
    if (value.find_first_of("\r\n") != std::string_view::npos) {
        error = "a value of " + std::string(name) + " cannot hold a line break";
        return false;
    }
    if (Rgb* colour = colourOf(preferences.colours, name)) {
        // Red in the low byte, then green, then blue.
        constexpr long long kLargest = 0xFFFFFF;
        long long number = -1;
        const auto [end, failure] =
            std::from_chars(value.data(), value.data() + value.size(), number);
        if (value.empty() || failure != std::errc() || end != value.data() + value.size() ||
            number < 0 || number > kLargest) {
            error = std::string(name) +
                    " is a colour: a whole number from 0 to 16777215 (red + "
                    "256 * green + 65536 * blue), not \"" +
                    std::string(value) + "\"";
            return false;
        }
        *colour = static_cast<Rgb>(number);
        return true;
    }
    if (name == "SpecialCharacters") {
        preferences.specialCharacters = value;
        return true;
    }
    if (value.empty()) {
        error = "an empty " + std::string(name) + " would not keep a name apart from the statement";
        return false;
    }
    (name == "specObjStringOpen" ? preferences.specObjStringOpen : preferences.specObjStringClose) =
        std::string(value);
    return true;
}

PreferenceStore::PreferenceStore(std::string path) : path_(std::move(path)) {}

std::string PreferenceStore::defaultPath() {
    std::filesystem::path base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && *xdg == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || *home == '\0') {
            const passwd* user = ::getpwuid(::getuid());
            home = user != nullptr ? user->pw_dir : "/";
        }
        base = std::filesystem::path(home) / ".config";
    }
    return (base / "Orvane" / "Zentab.conf").string();
}

void PreferenceStore::load(CompareSettings& settings, Preferences& preferences) const {
    ProfileFile file;
    std::string error;
    if (!file.load(path_, error)) {
        file = ProfileFile(); // unreadable: every value takes its default
    }
    const Reader in(file);

    for (const auto& field : settingFields()) {
        if (!field.userKey.empty()) {
            setIntValue(settings, field, in.number(field.userKey).value_or(field.builtInDefault));
        }
    }
    // A start never writes the report only to a file or autosaves before the user says so.
    settings.b_OnlyToFile = false;
    settings.b_AutoSave = false;

    Preferences p;
    p.colours.database1 = in.bits("ColDatabase1", p.colours.database1);
    p.colours.database2 = in.bits("ColDatabase2", p.colours.database2);
    p.colours.common = in.bits("ColCommon", p.colours.common);
    p.colours.error = in.bits("ColError", p.colours.error);
    p.colours.text = in.bits("ColText", p.colours.text);

    if (auto face = in.text("szFaceName"); face && !face->empty()) {
        p.font.faceName = cutFaceName(std::move(*face));
    }
    p.font.height = std::clamp(in.integer("yHeight", p.font.height), ReportFont::kMinHeight,
                               ReportFont::kMaxHeight);
    p.font.offset = in.integer("yOffset", p.font.offset);
    p.font.charSet = in.integer("bCharSet", p.font.charSet);
    p.font.pitchAndFamily = in.integer("bPitchAndFamily", p.font.pitchAndFamily);
    p.font.cbSize = in.integer("cbSize", p.font.cbSize);
    p.font.effects = in.bits("dwEffects", p.font.effects);
    p.font.mask = in.bits("dwMask", p.font.mask);

    // Too small a frame (or none stored) opens at a usable size, too large a one at the largest.
    int width = in.integer("BigWidth", 0);
    int height = in.integer("BigHeight", 0);
    p.window.width =
        width < WindowPlacement::kMinWidth ? 800 : std::min(width, WindowPlacement::kMaxSide);
    p.window.height =
        height < WindowPlacement::kMinHeight ? 600 : std::min(height, WindowPlacement::kMaxSide);
    p.window.maximized = in.integer("BigMaximized", 0) != 0;
    p.window.x = in.integer("LocX", p.window.x);
    p.window.y = in.integer("LocY", p.window.y);

    p.lastProp = in.integer("LastProp", p.lastProp);
    p.whereTab = in.integer("WhereTab", p.whereTab);
    if (auto special = in.text("SpecialCharacters")) {
        p.specialCharacters = std::move(*special);
    }
    p.specObjStringOpen = in.text("specObjStringOpen");
    p.specObjStringClose = in.text("specObjStringClose");
    preferences = std::move(p);
}

bool PreferenceStore::store(const CompareSettings& settings, const Preferences& preferences) const {
    ProfileFile file;
    if (!loadForUpdate(file, path_)) {
        return false; // rewriting would lose what could not be read
    }
    auto put = [&file](std::string_view key, long long value) {
        file.write(kSection, key, std::to_string(value));
    };

    for (const auto& field : settingFields()) {
        if (!field.userKey.empty()) {
            put(field.userKey, intValue(settings, field));
        }
    }

    const Preferences& p = preferences;
    put("ColDatabase1", p.colours.database1);
    put("ColDatabase2", p.colours.database2);
    put("ColCommon", p.colours.common);
    put("ColError", p.colours.error);
    put("ColText", p.colours.text);

    file.write(kSection, "szFaceName", cutFaceName(p.font.faceName));
    put("yHeight", p.font.height);
    put("yOffset", p.font.offset);
    put("bCharSet", p.font.charSet);
    put("bPitchAndFamily", p.font.pitchAndFamily);
    put("cbSize", p.font.cbSize);
    put("dwEffects", p.font.effects);
    put("dwMask", p.font.mask);

    put("BigWidth", p.window.width);
    put("BigHeight", p.window.height);
    put("BigMaximized", p.window.maximized ? 1 : 0);
    put("LocX", p.window.x);
    put("LocY", p.window.y);

    put("LastProp", p.lastProp);
    put("WhereTab", p.whereTab);
    file.write(kSection, "SpecialCharacters", p.specialCharacters);
    // Only ever set by hand in the file; kept when present, never invented.
    if (p.specObjStringOpen) {
        file.write(kSection, "specObjStringOpen", *p.specObjStringOpen);
    }
    if (p.specObjStringClose) {
        file.write(kSection, "specObjStringClose", *p.specObjStringClose);
    }
    return saveCreatingFolder(file, path_);
}

void PreferenceStore::writeInt(const std::string& key, long long value) const {
    writeText(key, std::to_string(value));
}

void PreferenceStore::writeText(const std::string& key, const std::string& value) const {
    ProfileFile file;
    if (loadForUpdate(file, path_)) {
        file.write(kSection, key, value);
        saveCreatingFolder(file, path_);
    }
}

void PreferenceStore::writeFont(const ReportFont& font) const {
    ProfileFile file;
    if (!loadForUpdate(file, path_)) {
        return;
    }
    auto put = [&file](std::string_view key, long long value) {
        file.write(kSection, key, std::to_string(value));
    };
    file.write(kSection, "szFaceName", cutFaceName(font.faceName));
    put("yHeight", font.height);
    put("yOffset", font.offset);
    put("bCharSet", font.charSet);
    put("bPitchAndFamily", font.pitchAndFamily);
    put("cbSize", font.cbSize);
    put("dwEffects", font.effects);
    put("dwMask", font.mask);
    saveCreatingFolder(file, path_);
}

std::vector<std::string> PreferenceStore::recentFiles() const {
    ProfileFile file;
    std::string error;
    std::vector<std::string> paths;
    if (!file.load(path_, error)) {
        return paths;
    }
    for (int i = 1; i <= kRecentFiles; ++i) {
        auto path = file.read(kRecentSection, "File" + std::to_string(i));
        if (path && !path->empty()) {
            paths.push_back(std::move(*path));
        }
    }
    return paths;
}

void PreferenceStore::storeRecentFiles(const std::vector<std::string>& paths) const {
    ProfileFile file;
    if (!loadForUpdate(file, path_)) {
        return;
    }
    for (int i = 1; i <= kRecentFiles; ++i) {
        const std::size_t index = static_cast<std::size_t>(i - 1);
        file.write(kRecentSection, "File" + std::to_string(i),
                   index < paths.size() ? paths[index] : std::string());
    }
    saveCreatingFolder(file, path_);
}

} // namespace zentab
