#include "settings/settings_keys.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>

namespace zentab {

namespace {

using S = CompareSettings;

constexpr SettingField boolField(std::string_view fileKey, std::string_view userKey,
                                 int builtInDefault, int absentFromFile, bool S::*member) {
    return {fileKey, userKey, SettingKind::Bool, builtInDefault, absentFromFile, 0, 1, member};
}

constexpr SettingField intField(std::string_view fileKey, std::string_view userKey,
                                int builtInDefault, int absentFromFile, int minValue, int maxValue,
                                int S::*member) {
    return {fileKey,        userKey,  SettingKind::Int, builtInDefault,
            absentFromFile, minValue, maxValue,         member};
}

constexpr SettingField stringField(std::string_view fileKey, std::string S::*member) {
    return {fileKey, {}, SettingKind::String, 0, 0, 0, 0, member};
}

constexpr std::array kFields{
    boolField("b_SnapshotOnly", "", 0, 0, &S::b_SnapshotOnly),
    boolField("b_SummaryReportOnly", "DoSummary", 0, 0, &S::b_SummaryReportOnly),
    stringField("s_SnapshotFile", &S::s_SnapshotFile),
    intField("i_AutoSpecialName", "asn", 0, 0, 0, 2, &S::i_AutoSpecialName),
    boolField("b_AutoSave", "", 0, 0, &S::b_AutoSave),
    intField("i_AutoSaveLines", "asl", 500, 500, 1, 999999, &S::i_AutoSaveLines),
    stringField("s_AutoSaveFile", &S::s_AutoSaveFile),
    boolField("b_OnlyToFile", "", 0, 0, &S::b_OnlyToFile),
    intField("b_DataType", "bdt", 1, 1, 0, 1, &S::b_DataType),
    boolField("b_NoDiffCol", "ndc", 1, 1, &S::b_NoDiffCol),
    boolField("b_NoDiffData", "ndd", 1, 1, &S::b_NoDiffData),
    boolField("b_NoDiffProc", "ndp", 1, 1, &S::b_NoDiffProc),
    boolField("b_IgnoreColLen", "ccl", 0, 0, &S::b_IgnoreColLen),
    boolField("b_IgnoreColCase", "ccc", 1, 1, &S::b_IgnoreColCase),
    boolField("b_IgnoreDatCase", "cdc", 0, 0, &S::b_IgnoreDatCase),
    // A file without the two space options compares with spaces ignored, unlike a first start.
    boolField("b_IgnoreDatTrail", "cdt", 0, 1, &S::b_IgnoreDatTrail),
    boolField("b_IgnoreDatFrac", "cdf", 0, 0, &S::b_IgnoreDatFrac),
    boolField("b_IgnoreDatSecs", "cds", 0, 0, &S::b_IgnoreDatSecs),
    boolField("b_IgnoreDatLead", "cdl", 0, 1, &S::b_IgnoreDatLead),
    boolField("b_IgnoreTabCase", "ctc", 1, 1, &S::b_IgnoreTabCase),
    boolField("b_IgnoreViewCase", "cvc", 1, 1, &S::b_IgnoreViewCase),
    boolField("b_IgnoreProcCase", "cpc", 1, 1, &S::b_IgnoreProcCase),
    boolField("b_CompDatValue", "cdv", 1, 1, &S::b_CompDatValue),
    boolField("b_DataAsCSV", "DataAsCSV", 0, 0, &S::b_DataAsCSV),
    boolField("b_DoTabCommon", "doc", 1, 1, &S::b_DoTabCommon),
    boolField("b_DoTabSkipped", "dos", 1, 1, &S::b_DoTabSkipped),
    boolField("b_DoTabStruct", "dst", 1, 1, &S::b_DoTabStruct),
    boolField("b_DoTabData", "dda", 1, 1, &S::b_DoTabData),
    boolField("b_DoIndex", "din", 1, 1, &S::b_DoIndex),
    boolField("b_DoViewCommon", "dvc", 1, 1, &S::b_DoViewCommon),
    boolField("b_DoViewSkipped", "dsk", 1, 1, &S::b_DoViewSkipped),
    boolField("b_DoViewStruct", "dvs", 1, 1, &S::b_DoViewStruct),
    boolField("b_DoViewData", "dvd", 1, 1, &S::b_DoViewData),
    boolField("b_DoProcCommon", "dpc", 1, 1, &S::b_DoProcCommon),
    boolField("b_DoProcSkipped", "dts", 1, 1, &S::b_DoProcSkipped),
    boolField("b_DoProcStruct", "dss", 1, 1, &S::b_DoProcStruct),
    stringField("s_GlobalPassSql1", &S::s_GlobalPassSql1),
    stringField("s_GlobalPassSql2", &S::s_GlobalPassSql2),
    // Options beyond the long-standing set: written after it, in the order they were added.
    boolField("b_SortRows", "SortRows", 0, 0, &S::b_SortRows),
    boolField("b_CompareCommonColumns", "CompareCommonColumns", 0, 0, &S::b_CompareCommonColumns),
    boolField("", "DoOnline1", 0, 0, &S::side1IsSnapshot),
    boolField("", "DoOnline2", 0, 0, &S::side2IsSnapshot),
};

constexpr std::array kLists{
    ListSection{"Ignore Columns", "col", &S::ignoreColumns},
    ListSection{"Ignore Tables", "tab", &S::ignoreTables},
    ListSection{"Ignore Data Types", "type", &S::ignoreDataTypes},
    ListSection{"Ignore Views", "view", &S::ignoreViews},
    ListSection{"Ignore Procs", "proc", &S::ignoreProcs},
};

// Like the C library's atoi, but saturating instead of undefined on overflow.
int leadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value <= INT_MAX) {
            value = value * 10 + (text[i] - '0');
        }
    }
    value = negative ? -value : value;
    if (value > INT_MAX) {
        return INT_MAX;
    }
    return value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

void setString(CompareSettings& settings, const SettingField& field, std::string value) {
    settings.*std::get<std::string S::*>(field.member) = std::move(value);
}

} // namespace

std::span<const SettingField> settingFields() {
    return kFields;
}

std::span<const ListSection> listSections() {
    return kLists;
}

const SettingField* findSettingField(std::string_view fileKey) {
    if (fileKey.empty()) {
        return nullptr;
    }
    for (const auto& field : kFields) {
        if (field.fileKey == fileKey) {
            return &field;
        }
    }
    return nullptr;
}

int intValue(const CompareSettings& settings, const SettingField& field) {
    switch (field.kind) {
    case SettingKind::Bool:
        return settings.*std::get<bool S::*>(field.member) ? 1 : 0;
    case SettingKind::Int:
        return settings.*std::get<int S::*>(field.member);
    case SettingKind::String:
        break;
    }
    return 0;
}

void setIntValue(CompareSettings& settings, const SettingField& field, long long value) {
    if (field.kind == SettingKind::Bool) {
        settings.*std::get<bool S::*>(field.member) = value != 0;
    } else if (field.kind == SettingKind::Int) {
        // Files and preferences are not checked when written by hand: whatever they hold, the
        // run gets a value it can work with (an autosave every line at worst, never at none).
        settings.*std::get<int S::*>(field.member) =
            static_cast<int>(std::clamp<long long>(value, field.minValue, field.maxValue));
    }
}

void applyBuiltInDefaults(CompareSettings& settings) {
    for (const auto& field : kFields) {
        if (field.kind == SettingKind::String) {
            setString(settings, field, {});
        } else {
            setIntValue(settings, field, field.builtInDefault);
        }
    }
}

void applyAbsentFromFileValue(CompareSettings& settings, const SettingField& field) {
    if (field.kind == SettingKind::String) {
        setString(settings, field, {});
    } else {
        setIntValue(settings, field, field.absentFromFile);
    }
}

void applyAbsentFromFileValues(CompareSettings& settings) {
    for (const auto& field : kFields) {
        if (!field.fileKey.empty()) {
            applyAbsentFromFileValue(settings, field);
        }
    }
}

void applyFileValue(CompareSettings& settings, const SettingField& field,
                    const std::optional<std::string>& value) {
    if (!value || value->empty()) {
        applyAbsentFromFileValue(settings, field);
    } else if (field.kind == SettingKind::String) {
        setString(settings, field, *value);
    } else {
        setIntValue(settings, field, leadingNumber(*value));
    }
}

std::string fileValueText(const CompareSettings& settings, const SettingField& field) {
    if (field.kind == SettingKind::String) {
        return settings.*std::get<std::string S::*>(field.member);
    }
    return std::to_string(intValue(settings, field));
}

bool setByKey(CompareSettings& settings, std::string_view key, std::string_view value,
              std::string& error) {
    const SettingField* field = findSettingField(key);
    if (field == nullptr) {
        error = "unknown key; keys are spelled as in a configuration file, for example "
                "b_DoTabData";
        return false;
    }
    if (field->kind == SettingKind::String) {
        setString(settings, *field, std::string(value));
        return true;
    }
    int number = 0;
    auto [end, failure] = std::from_chars(value.data(), value.data() + value.size(), number);
    bool whole = failure == std::errc() && end == value.data() + value.size();
    if (field->kind == SettingKind::Bool) {
        if (!whole || (number != 0 && number != 1)) {
            error = "expects 0 or 1";
            return false;
        }
    } else if (!whole || number < field->minValue || number > field->maxValue) {
        error = "expects a whole number from " + std::to_string(field->minValue) + " to " +
                std::to_string(field->maxValue);
        return false;
    }
    setIntValue(settings, *field, number);
    return true;
}

bool appendToList(CompareSettings& settings, std::string_view listName, std::string value) {
    for (const auto& list : kLists) {
        if (list.name == listName) {
            (settings.*list.member).push_back(std::move(value));
            return true;
        }
    }
    return false;
}

} // namespace zentab
