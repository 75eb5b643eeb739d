#pragma once
// The one description of every scalar field of CompareSettings: its configuration-file key, its
// per-user preference key, its defaults, and where it lives in the record. Also the list
// sections. Plain data and functions over a record; any thread that owns the record.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "settings/compare_settings.h"

namespace zentab {

enum class SettingKind { Bool, Int, String };

struct SettingField {
    std::string_view fileKey; // key in section "Zentab"; empty for the side kinds
    std::string_view userKey; // value name in section "Settings"; empty when not stored per user
    SettingKind kind;
    int builtInDefault; // bools and integers; strings start empty
    int absentFromFile; // taken when a configuration file lacks the key
    // The field's range: --set refuses a number outside it; setIntValue, and so a configuration
    // file or the preferences, takes the nearer end instead.
    int minValue;
    int maxValue;
    std::variant<bool CompareSettings::*, int CompareSettings::*, std::string CompareSettings::*>
        member;
};

// Every scalar field, in the order a configuration file writes them, then the side kinds
// (per-user only; a configuration file carries them as b_IsSnapshot of its side sections).
std::span<const SettingField> settingFields();

// The field with exactly this configuration-file key, or nullptr.
const SettingField* findSettingField(std::string_view fileKey);

// Bool and integer fields as integers (bool as 0/1); strings are not integers. Setting a
// boolean takes any non-zero value as 1, an integer is held to its field's range.
int intValue(const CompareSettings& settings, const SettingField& field);
void setIntValue(CompareSettings& settings, const SettingField& field, long long value);

// Every scalar field to its built-in default (strings empty). Lists are left alone.
void applyBuiltInDefaults(CompareSettings& settings);

// One field, or every field with a configuration-file key, to the value a configuration file
// implies by lacking the key.
void applyAbsentFromFileValue(CompareSettings& settings, const SettingField& field);
void applyAbsentFromFileValues(CompareSettings& settings);

// A value as read from a configuration file: absent or empty takes the absent-from-file value;
// numbers convert leniently (leading decimal digits, else 0) and are held to the field's range.
void applyFileValue(CompareSettings& settings, const SettingField& field,
                    const std::optional<std::string>& value);
// The text a configuration file holds for the field ("%d" for bools and integers).
std::string fileValueText(const CompareSettings& settings, const SettingField& field);

// KEY=VALUE of the batch front end: the key as spelled in a configuration file, booleans 0 or 1,
// integers whole decimal numbers within the field's range. False with `error` set otherwise,
// and the record unchanged.
bool setByKey(CompareSettings& settings, std::string_view key, std::string_view value,
              std::string& error);

// A list section of the configuration file and its key prefix ("col" gives col0, col1, ...).
struct ListSection {
    std::string_view name;
    std::string_view keyPrefix;
    std::vector<std::string> CompareSettings::*member;
};

// The five ignore lists in the order a configuration file writes them.
std::span<const ListSection> listSections();

// LIST=VALUE of the batch front end; false when `listName` is not exactly one of the five
// section names.
bool appendToList(CompareSettings& settings, std::string_view listName, std::string value);

} // namespace zentab
