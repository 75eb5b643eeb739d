#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "expected_defaults.h"
#include "settings/settings_keys.h"

namespace zentab::test {
namespace {

std::string fileValueTextOrEmpty(const CompareSettings& settings, const char* key) {
    const SettingField* field = findSettingField(key);
    return field != nullptr ? fileValueText(settings, *field) : std::string();
}

TEST(SettingsKeys, BuiltInDefaultsSetEveryOptionAndLeaveTheLists) {
    CompareSettings settings = awayFromDefaults();
    settings.ignoreTables = {"KEEP"};
    applyBuiltInDefaults(settings);
    for (const auto& option : kExpectedOptions) {
        EXPECT_EQ(valueOf(settings, option), option.builtIn) << option.fileKey << option.userKey;
    }
    for (auto member : kStringOptions) {
        EXPECT_EQ(settings.*member, "");
    }
    EXPECT_EQ(settings.ignoreTables, std::vector<std::string>{"KEEP"});
}

TEST(SettingsKeys, AbsentFromFileValuesCoverEveryFileKeyOnly) {
    CompareSettings settings = awayFromDefaults();
    applyAbsentFromFileValues(settings);
    for (const auto& option : kExpectedOptions) {
        int expected = *option.fileKey != '\0' ? option.absentFromFile : otherValue(option);
        EXPECT_EQ(valueOf(settings, option), expected) << option.fileKey << option.userKey;
    }
    for (auto member : kStringOptions) {
        EXPECT_EQ(settings.*member, "");
    }
}

TEST(SettingsKeys, EveryFileKeyReachesItsOwnField) {
    for (const auto& option : kExpectedOptions) {
        if (*option.fileKey == '\0') {
            continue;
        }
        const SettingField* field = findSettingField(option.fileKey);
        ASSERT_NE(field, nullptr) << option.fileKey;
        EXPECT_EQ(field->userKey, option.userKey) << option.fileKey;

        CompareSettings settings;
        applyBuiltInDefaults(settings);
        std::string error;
        int other = otherValue(option);
        ASSERT_TRUE(setByKey(settings, option.fileKey, std::to_string(other), error))
            << option.fileKey << ": " << error;
        for (const auto& each : kExpectedOptions) {
            int expected = &each == &option ? other : each.builtIn;
            EXPECT_EQ(valueOf(settings, each), expected) << "after setting " << option.fileKey;
        }
    }
    for (const char* key :
         {"s_AutoSaveFile", "s_SnapshotFile", "s_GlobalPassSql1", "s_GlobalPassSql2"}) {
        ASSERT_NE(findSettingField(key), nullptr) << key;
    }
}

TEST(SettingsKeys, SetByKeyChecksItsInput) {
    struct Case {
        const char* key;
        const char* value;
        bool accepted;
    };
    const Case cases[] = {
        {"b_DoTabData", "0", true},
        {"b_DoTabData", "1", true},
        {"b_DoTabData", "2", false},
        {"b_DoTabData", "yes", false},
        {"b_DoTabData", "", false},
        {"b_dotabdata", "0", false}, // keys are matched as spelled
        {"dda", "0", false},         // a per-user key is no configuration key
        {"DoOnline1", "1", false},
        {"i_AutoSaveLines", "250", true},
        {"i_AutoSaveLines", "999999", true},
        {"i_AutoSaveLines", "1000000", false},
        {"i_AutoSaveLines", "0", false},
        {"i_AutoSaveLines", "25x", false},
        {"i_AutoSaveLines", " 25", false},
        {"i_AutoSaveLines", "99999999999999", false},
        {"i_AutoSaveLines", "", false},
        {"i_AutoSpecialName", "2", true},
        {"i_AutoSpecialName", "3", false},
        {"s_AutoSaveFile", "/tmp/report.txt", true},
        {"s_GlobalPassSql1", "select a=1 from t", true},
        {"s_GlobalPassSql1", "", true},
    };
    for (const auto& c : cases) {
        CompareSettings settings;
        const std::string before = fileValueTextOrEmpty(settings, c.key);
        std::string error;
        bool accepted = setByKey(settings, c.key, c.value, error);
        EXPECT_EQ(accepted, c.accepted) << c.key << "=" << c.value;
        if (accepted) {
            EXPECT_EQ(fileValueTextOrEmpty(settings, c.key), c.value) << c.key;
        } else {
            EXPECT_FALSE(error.empty()) << c.key << "=" << c.value;
            EXPECT_EQ(fileValueTextOrEmpty(settings, c.key), before) << c.key;
        }
    }
}

TEST(SettingsKeys, AppendToListNamesTheFiveSections) {
    CompareSettings settings;
    EXPECT_TRUE(appendToList(settings, "Ignore Columns", "A%"));
    EXPECT_TRUE(appendToList(settings, "Ignore Columns", "B"));
    EXPECT_TRUE(appendToList(settings, "Ignore Data Types", "text"));
    EXPECT_TRUE(appendToList(settings, "Ignore Tables", "T"));
    EXPECT_TRUE(appendToList(settings, "Ignore Views", "V"));
    EXPECT_TRUE(appendToList(settings, "Ignore Procs", "P"));
    EXPECT_EQ(settings.ignoreColumns, (std::vector<std::string>{"A%", "B"}));
    EXPECT_EQ(settings.ignoreDataTypes, std::vector<std::string>{"text"});
    EXPECT_EQ(settings.ignoreTables, std::vector<std::string>{"T"});
    EXPECT_EQ(settings.ignoreViews, std::vector<std::string>{"V"});
    EXPECT_EQ(settings.ignoreProcs, std::vector<std::string>{"P"});

    for (const char* bad : {"ignore columns", "Ignore Column", "Where Statements", ""}) {
        CompareSettings untouched;
        EXPECT_FALSE(appendToList(untouched, bad, "X")) << bad;
        EXPECT_TRUE(untouched.ignoreColumns.empty() && untouched.ignoreDataTypes.empty() &&
                    untouched.ignoreTables.empty() && untouched.ignoreViews.empty() &&
                    untouched.ignoreProcs.empty() && untouched.whereStatements.empty());
    }
}

TEST(SettingsKeys, FileValuesConvertLikeTheConfigurationReader) {
    struct Case {
        const char* key;
        std::optional<std::string> stored;
        std::string expected;
    };
    // Numbers are held to the field's range, however a hand-edited file spells them.
    const Case cases[] = {
        {"i_AutoSaveLines", "250abc", "250"},
        {"i_AutoSaveLines", "abc", "1"},
        {"i_AutoSaveLines", "", "500"},
        {"i_AutoSaveLines", std::nullopt, "500"},
        {"i_AutoSaveLines", "-3", "1"},
        {"i_AutoSaveLines", "2000000000", "999999"},
        {"i_AutoSaveLines", "99999999999", "999999"},
        {"i_AutoSpecialName", "0999999", "2"},
        {"i_AutoSpecialName", "-1", "0"},
        {"b_DataType", "5", "1"},
        {"b_IgnoreDatLead", std::nullopt, "1"},
        {"b_IgnoreDatLead", "0", "0"},
        {"b_DoTabData", "2", "1"},
        {"b_DoTabData", "-2000000000", "1"},
        {"s_AutoSaveFile", "r.txt", "r.txt"},
        {"s_AutoSaveFile", std::nullopt, ""},
    };
    for (const auto& c : cases) {
        CompareSettings settings = awayFromDefaults();
        const SettingField* field = findSettingField(c.key);
        ASSERT_NE(field, nullptr);
        applyFileValue(settings, *field, c.stored);
        EXPECT_EQ(fileValueText(settings, *field), c.expected)
            << c.key << "=" << c.stored.value_or("(absent)");
    }
}

TEST(CompareSettings, WhereConditionNeedsANonEmptyEntry) {
    CompareSettings settings;
    settings.whereStatements = {{"ORDERS", "ID > 5"}, {"EMPTY", ""}};
    std::string condition = "unchanged";
    EXPECT_FALSE(settings.whereCondition("EMPTY", condition));
    EXPECT_FALSE(settings.whereCondition("orders", condition));
    EXPECT_FALSE(settings.whereCondition("MISSING", condition));
    EXPECT_EQ(condition, "unchanged");
    EXPECT_TRUE(settings.whereCondition("ORDERS", condition));
    EXPECT_EQ(condition, "ID > 5");
}

} // namespace
} // namespace zentab::test
