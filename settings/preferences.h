#pragma once
// Per-user preferences (section "Settings" of $XDG_CONFIG_HOME/Orvane/Zentab.conf) that are not
// part of CompareSettings, and the store that loads and saves both. User-interface thread.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/report_colour.h"
#include "settings/compare_settings.h"

namespace zentab {

struct ReportFont {
    // A stored height outside these (1 to 200 points) is taken as the nearer one.
    static constexpr int kMinHeight = 20;
    static constexpr int kMaxHeight = 4000;

    std::string faceName = "Courier New"; // at most 31 characters are kept
    int height = 170;                     // twips
    int offset = 0;
    int charSet = 0;
    int pitchAndFamily = 0;
    int cbSize = 0;
    unsigned effects = 1073741824u;
    unsigned mask = 2952790035u;
};

struct WindowPlacement {
    static constexpr int kMinWidth = 200;
    static constexpr int kMinHeight = 100;
    // No screen is larger; a stored value above it reads as this.
    static constexpr int kMaxSide = 16384;

    int width = 800;  // a stored value below kMinWidth reads as 800
    int height = 600; // a stored value below kMinHeight reads as 600
    bool maximized = false;
    int x = -32; // used only when x and y are both in 1..1999
    int y = -32;

    bool positionUsable() const { return x > 0 && x < 2000 && y > 0 && y < 2000; }
};

struct Preferences {
    ReportColours colours;
    ReportFont font;
    WindowPlacement window;
    int lastProp = 0;
    int whereTab = 1;
    std::string specialCharacters = " -#/$%&*";
    std::optional<std::string> specObjStringOpen;
    std::optional<std::string> specObjStringClose;
};

// The per-user values besides CompareSettings that a run reads, by their keys in the store: the
// report colours, the special characters and the quote strings.
std::span<const std::string_view> runPreferenceKeys();

// Sets the run value `key` (found letter case aside, as the store finds its keys) from `value`
// read as the store would read it. False with `error` set, and nothing changed, for another key
// or a value the store would not take: a colour that is no whole number from 0 to 16777215, a
// line break (the store ends a value there), an empty quote string.
bool setRunPreference(Preferences& preferences, std::string_view key, std::string_view value,
                      std::string& error);

class PreferenceStore {
public:
    // The store at `path`; defaultPath() gives $XDG_CONFIG_HOME/Orvane/Zentab.conf.
    explicit PreferenceStore(std::string path);
    static std::string defaultPath();

    // Fills every field that has a per-user value, built-in defaults for absent values;
    // b_OnlyToFile and b_AutoSave are cleared.
    void load(CompareSettings& settings, Preferences& preferences) const;
    // Writes every per-user value (creating the folder and file when needed).
    bool store(const CompareSettings& settings, const Preferences& preferences) const;

    // Single values, for the dialogs that write one preference at once (Colors, WhereTab).
    void writeInt(const std::string& key, long long value) const;
    void writeText(const std::string& key, const std::string& value) const;
    // The report font, as the Font command stores it.
    void writeFont(const ReportFont& font) const;

    // The configuration files opened or saved last, newest first, at most kRecentFiles (section
    // "Recent File List", keys "File1" to "File4"). Paths only: a configuration's connect
    // strings never reach this file.
    static constexpr int kRecentFiles = 4;
    std::vector<std::string> recentFiles() const;
    void storeRecentFiles(const std::vector<std::string>& paths) const;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace zentab
