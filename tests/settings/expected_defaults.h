#pragma once
// The documented keys and defaults of every scalar option, written out independently of the
// program's own table so that a slip in either shows.

#include <string>
#include <variant>

#include "settings/compare_settings.h"

namespace zentab::test {

using BoolMember = bool CompareSettings::*;
using IntMember = int CompareSettings::*;
using StringMember = std::string CompareSettings::*;

struct ExpectedOption {
    const char* fileKey; // "" when a configuration file has no key of that name
    const char* userKey; // "" when not stored per user
    std::variant<BoolMember, IntMember> member;
    int builtIn;
    int absentFromFile;
};

using C = CompareSettings;

inline const ExpectedOption kExpectedOptions[] = {
    {"b_DoTabStruct", "dst", &C::b_DoTabStruct, 1, 1},
    {"b_DoIndex", "din", &C::b_DoIndex, 1, 1},
    {"b_DoTabData", "dda", &C::b_DoTabData, 1, 1},
    {"b_DoViewStruct", "dvs", &C::b_DoViewStruct, 1, 1},
    {"b_DoViewData", "dvd", &C::b_DoViewData, 1, 1},
    {"b_DoProcStruct", "dss", &C::b_DoProcStruct, 1, 1},
    {"b_DoTabCommon", "doc", &C::b_DoTabCommon, 1, 1},
    {"b_DoViewCommon", "dvc", &C::b_DoViewCommon, 1, 1},
    {"b_DoProcCommon", "dpc", &C::b_DoProcCommon, 1, 1},
    {"b_DoTabSkipped", "dos", &C::b_DoTabSkipped, 1, 1},
    {"b_DoViewSkipped", "dsk", &C::b_DoViewSkipped, 1, 1},
    {"b_DoProcSkipped", "dts", &C::b_DoProcSkipped, 1, 1},
    {"b_SummaryReportOnly", "DoSummary", &C::b_SummaryReportOnly, 0, 0},
    {"b_IgnoreTabCase", "ctc", &C::b_IgnoreTabCase, 1, 1},
    {"b_IgnoreViewCase", "cvc", &C::b_IgnoreViewCase, 1, 1},
    {"b_IgnoreProcCase", "cpc", &C::b_IgnoreProcCase, 1, 1},
    {"b_IgnoreColCase", "ccc", &C::b_IgnoreColCase, 1, 1},
    {"b_IgnoreColLen", "ccl", &C::b_IgnoreColLen, 0, 0},
    {"b_NoDiffCol", "ndc", &C::b_NoDiffCol, 1, 1},
    {"b_NoDiffProc", "ndp", &C::b_NoDiffProc, 1, 1},
    {"b_DataType", "bdt", &C::b_DataType, 1, 1},
    {"i_AutoSpecialName", "asn", &C::i_AutoSpecialName, 0, 0},
    {"b_IgnoreDatCase", "cdc", &C::b_IgnoreDatCase, 0, 0},
    {"b_IgnoreDatLead", "cdl", &C::b_IgnoreDatLead, 0, 1},
    {"b_IgnoreDatTrail", "cdt", &C::b_IgnoreDatTrail, 0, 1},
    {"b_CompDatValue", "cdv", &C::b_CompDatValue, 1, 1},
    {"b_IgnoreDatSecs", "cds", &C::b_IgnoreDatSecs, 0, 0},
    {"b_IgnoreDatFrac", "cdf", &C::b_IgnoreDatFrac, 0, 0},
    {"b_NoDiffData", "ndd", &C::b_NoDiffData, 1, 1},
    {"b_DataAsCSV", "DataAsCSV", &C::b_DataAsCSV, 0, 0},
    {"b_SortRows", "SortRows", &C::b_SortRows, 0, 0},
    {"b_CompareCommonColumns", "CompareCommonColumns", &C::b_CompareCommonColumns, 0, 0},
    {"b_OnlyToFile", "", &C::b_OnlyToFile, 0, 0},
    {"b_AutoSave", "", &C::b_AutoSave, 0, 0},
    {"i_AutoSaveLines", "asl", &C::i_AutoSaveLines, 500, 500},
    {"b_SnapshotOnly", "", &C::b_SnapshotOnly, 0, 0},
    {"", "DoOnline1", &C::side1IsSnapshot, 0, 0},
    {"", "DoOnline2", &C::side2IsSnapshot, 0, 0},
};

inline const StringMember kStringOptions[] = {&C::s_AutoSaveFile, &C::s_SnapshotFile,
                                              &C::s_GlobalPassSql1, &C::s_GlobalPassSql2};

inline int valueOf(const CompareSettings& settings, const ExpectedOption& option) {
    return std::visit([&settings](auto member) { return static_cast<int>(settings.*member); },
                      option.member);
}

inline void setValue(CompareSettings& settings, const ExpectedOption& option, int value) {
    std::visit([&](auto member) { settings.*member = value; }, option.member);
}

// A value other than the built-in default that the field can hold (0/1 for booleans).
inline int otherValue(const ExpectedOption& option) {
    if (std::holds_alternative<BoolMember>(option.member)) {
        return option.builtIn == 0 ? 1 : 0;
    }
    return option.builtIn == 1 ? 0 : 1;
}

// Every option set away from its built-in default, so that a field a function fails to set
// still shows.
inline CompareSettings awayFromDefaults() {
    CompareSettings settings;
    for (const auto& option : kExpectedOptions) {
        setValue(settings, option, otherValue(option));
    }
    for (auto member : kStringOptions) {
        settings.*member = "x";
    }
    return settings;
}

} // namespace zentab::test
