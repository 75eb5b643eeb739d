// The settings target: the numbers a configuration file, zentab-batch --set or the per-user
// preferences give the settings record.

#include <string>
#include <string_view>

#include "fuzz_entries.h"
#include "scratch_folder.h"
#include "settings/preferences.h"
#include "settings/profile_file.h"
#include "settings/settings_keys.h"

namespace zentab::fuzz {

namespace {

void checkRanges(const CompareSettings& settings, std::string_view from, std::string& problem) {
    for (const SettingField& field : settingFields()) {
        if (field.kind == SettingKind::String) {
            continue;
        }
        const int value = intValue(settings, field);
        if (value < field.minValue || value > field.maxValue) {
            problem += std::string(from) + ": " + std::string(field.fileKey) + "/" +
                       std::string(field.userKey) + " is " + std::to_string(value) + ", outside " +
                       std::to_string(field.minValue) + ".." + std::to_string(field.maxValue) +
                       "\n";
        }
    }
}

void checkPreferences(const Preferences& p, std::string& problem) {
    auto within = [&problem](const char* what, int value, int low, int high) {
        if (value < low || value > high) {
            problem += std::string("preferences: ") + what + " is " + std::to_string(value) +
                       ", outside " + std::to_string(low) + ".." + std::to_string(high) + "\n";
        }
    };
    within("the font height", p.font.height, ReportFont::kMinHeight, ReportFont::kMaxHeight);
    within("the window width", p.window.width, WindowPlacement::kMinWidth,
           WindowPlacement::kMaxSide);
    within("the window height", p.window.height, WindowPlacement::kMinHeight,
           WindowPlacement::kMaxSide);
    if (p.font.faceName.size() > 31) {
        problem +=
            "preferences: a font face of " + std::to_string(p.font.faceName.size()) + " bytes\n";
    }
}

} // namespace

std::string settingsInput(Input input) {
    static const ScratchFolder folder;
    static const std::string preferencesPath = folder.file("Zentab.conf");
    const std::string_view text(reinterpret_cast<const char*>(input.data()), input.size());
    const ProfileFile file = ProfileFile::parse(text);
    std::string problem;

    CompareSettings fromFile;
    for (const SettingField& field : settingFields()) {
        if (!field.fileKey.empty()) {
            applyFileValue(fromFile, field, file.read("Zentab", field.fileKey));
        }
    }
    checkRanges(fromFile, "configuration file", problem);

    // The entries of section "Zentab" as --set pairs, in file order: a refused one changes
    // nothing and says why.
    CompareSettings fromSet;
    for (const std::string& key : file.keys("Zentab")) {
        const std::string value = file.read("Zentab", key).value_or("");
        std::string before;
        for (const SettingField& field : settingFields()) {
            before += fileValueText(fromSet, field) + '\n';
        }
        std::string error;
        if (!setByKey(fromSet, key, value, error)) {
            std::string after;
            for (const SettingField& field : settingFields()) {
                after += fileValueText(fromSet, field) + '\n';
            }
            if (error.empty() || after != before) {
                problem += "--set " + key + "=" + value + " was refused but not cleanly\n";
            }
        }
    }
    checkRanges(fromSet, "--set", problem);

    if (!writeWholeFile(preferencesPath, text)) {
        return problem + "the preference file could not be written to " + preferencesPath + "\n";
    }
    CompareSettings fromPreferences;
    Preferences preferences;
    PreferenceStore(preferencesPath).load(fromPreferences, preferences);
    checkRanges(fromPreferences, "preferences", problem);
    checkPreferences(preferences, problem);
    return problem;
}

} // namespace zentab::fuzz
