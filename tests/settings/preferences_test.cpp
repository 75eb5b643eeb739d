#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "expected_defaults.h"
#include "settings/preferences.h"
#include "support/temp_dir.h"

namespace zentab::test {
namespace {

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

class PreferencesTest : public ::testing::Test {
protected:
    std::string confPath() const { return (dir_.path() / "Orvane" / "Zentab.conf").string(); }
    void writeStore(const std::string& settingsLines) {
        std::filesystem::create_directories(dir_.path() / "Orvane");
        writeFile(confPath(), "[Settings]\n" + settingsLines);
    }

    TempDir dir_;
    ScopedEnv xdg_{"XDG_CONFIG_HOME", dir_.path().string()};
    PreferenceStore store_{PreferenceStore::defaultPath()};
};

TEST_F(PreferencesTest, DefaultPathFollowsXdgConfigHome) {
    EXPECT_EQ(store_.path(), confPath());
    ScopedEnv home("HOME", dir_.file("home"));
    ScopedEnv emptyXdg("XDG_CONFIG_HOME", "");
    EXPECT_EQ(PreferenceStore::defaultPath(), dir_.file("home") + "/.config/Orvane/Zentab.conf");
}

TEST_F(PreferencesTest, FirstStartGivesTheBuiltInDefaults) {
    CompareSettings settings = awayFromDefaults();
    Preferences preferences;
    preferences.colours.text = 7;
    preferences.font.faceName = "Other";
    preferences.window.width = 5;
    preferences.specObjStringOpen = "[";

    store_.load(settings, preferences);

    for (const auto& option : kExpectedOptions) {
        // Options kept only in configuration files are left as they were, but for the two file
        // modes, which a start always clears.
        int expected = *option.userKey != '\0' ? option.builtIn : otherValue(option);
        if (option.member == decltype(option.member)(&C::b_OnlyToFile) ||
            option.member == decltype(option.member)(&C::b_AutoSave)) {
            expected = 0;
        }
        EXPECT_EQ(valueOf(settings, option), expected) << option.fileKey << option.userKey;
    }
    EXPECT_EQ(settings.s_AutoSaveFile, "x");

    const auto& p = preferences;
    EXPECT_EQ(p.colours.database1, 16722474u);
    EXPECT_EQ(p.colours.database2, 255u);
    EXPECT_EQ(p.colours.common, 3056905u);
    EXPECT_EQ(p.colours.error, 3541122u);
    EXPECT_EQ(p.colours.text, 0u);
    EXPECT_EQ(p.font.faceName, "Courier New");
    EXPECT_EQ(p.font.height, 170);
    EXPECT_EQ(p.font.offset, 0);
    EXPECT_EQ(p.font.charSet, 0);
    EXPECT_EQ(p.font.pitchAndFamily, 0);
    EXPECT_EQ(p.font.cbSize, 0);
    EXPECT_EQ(p.font.effects, 1073741824u);
    EXPECT_EQ(p.font.mask, 2952790035u);
    EXPECT_EQ(p.window.width, 800);
    EXPECT_EQ(p.window.height, 600);
    EXPECT_FALSE(p.window.maximized);
    EXPECT_EQ(p.window.x, -32);
    EXPECT_EQ(p.window.y, -32);
    EXPECT_FALSE(p.window.positionUsable());
    EXPECT_EQ(p.lastProp, 0);
    EXPECT_EQ(p.whereTab, 1);
    EXPECT_EQ(p.specialCharacters, " -#/$%&*");
    EXPECT_EQ(p.specObjStringOpen, std::nullopt);
    EXPECT_EQ(p.specObjStringClose, std::nullopt);
}

TEST_F(PreferencesTest, EveryValueIsReadUnderItsDocumentedName) {
    std::string lines;
    for (const auto& option : kExpectedOptions) {
        if (*option.userKey != '\0') {
            lines += std::string(option.userKey) + "=" + std::to_string(otherValue(option)) + "\n";
        }
    }
    lines += "ColDatabase1=1\nColDatabase2=2\nColCommon=3\nColError=4\nColText=5\n"
             "szFaceName=DejaVu Sans Mono\nyHeight=200\nyOffset=6\nbCharSet=7\n"
             "bPitchAndFamily=8\ncbSize=9\ndwEffects=10\ndwMask=11\n"
             "BigWidth=1024\nBigHeight=700\nBigMaximized=1\nLocX=12\nLocY=13\n"
             "LastProp=3\nWhereTab=0\nSpecialCharacters=@ \n"
             "specObjStringOpen=`\nspecObjStringClose=\n";
    writeStore(lines);

    CompareSettings settings;
    Preferences p;
    store_.load(settings, p);
    for (const auto& option : kExpectedOptions) {
        if (*option.userKey != '\0') {
            EXPECT_EQ(valueOf(settings, option), otherValue(option)) << option.userKey;
        }
    }
    EXPECT_EQ((std::vector<unsigned>{p.colours.database1, p.colours.database2, p.colours.common,
                                     p.colours.error, p.colours.text}),
              (std::vector<unsigned>{1, 2, 3, 4, 5}));
    EXPECT_EQ(p.font.faceName, "DejaVu Sans Mono");
    EXPECT_EQ(
        (std::vector<long long>{p.font.height, p.font.offset, p.font.charSet, p.font.pitchAndFamily,
                                p.font.cbSize, p.font.effects, p.font.mask}),
        (std::vector<long long>{200, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(p.window.width, 1024);
    EXPECT_EQ(p.window.height, 700);
    EXPECT_TRUE(p.window.maximized);
    EXPECT_EQ(p.window.x, 12);
    EXPECT_EQ(p.window.y, 13);
    EXPECT_EQ(p.lastProp, 3);
    EXPECT_EQ(p.whereTab, 0);
    EXPECT_EQ(p.specialCharacters, "@ ");
    EXPECT_EQ(p.specObjStringOpen, "`");
    EXPECT_EQ(p.specObjStringClose, ""); // present though empty
}

TEST_F(PreferencesTest, StoreThenLoadRoundTrips) {
    writeFile(dir_.file("not-yet"), ""); // the Orvane folder does not exist yet
    CompareSettings settings = awayFromDefaults();
    settings.b_OnlyToFile = true;
    settings.b_AutoSave = true;
    Preferences p;
    p.colours = {makeRgb(1, 2, 3), makeRgb(4, 5, 6), makeRgb(7, 8, 9), makeRgb(10, 11, 12),
                 makeRgb(255, 255, 255)};
    p.font = {"Liberation Mono", 240, -2, 1, 49, 60, 0xFFFFFFFFu, 4026531841u};
    p.window = {1280, 900, true, 40, 50};
    p.lastProp = 5;
    p.whereTab = 0;
    p.specialCharacters = "@!";
    p.specObjStringOpen = "`";
    ASSERT_TRUE(store_.store(settings, p));
    EXPECT_NE(readFile(confPath()).find("\ndwMask=4026531841\n"), std::string::npos);

    CompareSettings loadedSettings;
    Preferences loaded;
    store_.load(loadedSettings, loaded);
    for (const auto& option : kExpectedOptions) {
        int expected = *option.userKey != '\0' ? otherValue(option) : option.builtIn;
        EXPECT_EQ(valueOf(loadedSettings, option), expected) << option.fileKey << option.userKey;
    }
    EXPECT_EQ(loaded.colours.database1, p.colours.database1);
    EXPECT_EQ(loaded.colours.database2, p.colours.database2);
    EXPECT_EQ(loaded.colours.common, p.colours.common);
    EXPECT_EQ(loaded.colours.error, p.colours.error);
    EXPECT_EQ(loaded.colours.text, p.colours.text);
    EXPECT_EQ(loaded.font.faceName, p.font.faceName);
    EXPECT_EQ(loaded.font.height, 240);
    EXPECT_EQ(loaded.font.offset, -2);
    EXPECT_EQ(loaded.font.charSet, 1);
    EXPECT_EQ(loaded.font.pitchAndFamily, 49);
    EXPECT_EQ(loaded.font.cbSize, 60);
    EXPECT_EQ(loaded.font.effects, 0xFFFFFFFFu);
    EXPECT_EQ(loaded.font.mask, 4026531841u);
    EXPECT_EQ(loaded.window.width, 1280);
    EXPECT_EQ(loaded.window.height, 900);
    EXPECT_TRUE(loaded.window.maximized);
    EXPECT_EQ(loaded.window.x, 40);
    EXPECT_EQ(loaded.window.y, 50);
    EXPECT_EQ(loaded.lastProp, 5);
    EXPECT_EQ(loaded.whereTab, 0);
    EXPECT_EQ(loaded.specialCharacters, "@!");
    EXPECT_EQ(loaded.specObjStringOpen, "`");
    EXPECT_EQ(loaded.specObjStringClose, std::nullopt);
}

TEST_F(PreferencesTest, StoreKeepsOtherValuesAndWriteIntChangesOne) {
    writeStore("Unknown=keep\n[Elsewhere]\nx=1\n");
    ASSERT_TRUE(store_.store(CompareSettings{}, Preferences{}));
    store_.writeInt("WhereTab", 0);
    const std::string text = readFile(confPath());
    EXPECT_NE(text.find("[Settings]\nUnknown=keep\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nWhereTab=0\n"), std::string::npos);
    EXPECT_NE(text.find("[Elsewhere]\nx=1\n"), std::string::npos);
}

TEST_F(PreferencesTest, StoreFailsWhenTheFolderCannotBeMade) {
    writeFile(dir_.file("plain"), "");
    PreferenceStore blocked(dir_.file("plain") + "/Orvane/Zentab.conf");
    EXPECT_FALSE(blocked.store(CompareSettings{}, Preferences{}));
}

TEST_F(PreferencesTest, StoredValuesOutOfBoundsOrNotNumbersReadAsDefaults) {
    struct Case {
        const char* lines;
        int width, height;
        bool usable;
    };
    const Case cases[] = {
        {"BigWidth=199\nBigHeight=99\n", 800, 600, false},
        {"BigWidth=200\nBigHeight=100\nLocX=1\nLocY=1999\n", 200, 100, true},
        {"BigWidth=-5\nBigHeight=wide\nLocX=2000\nLocY=5\n", 800, 600, false},
        {"BigWidth=1e3\nLocX=5\nLocY=0\n", 800, 600, false},
        {"BigWidth=2000000000\nBigHeight=16385\n", 16384, 16384, false},
        {"BigWidth=99999999999\nBigHeight=16384\n", 800, 16384, false},
    };
    for (const auto& c : cases) {
        writeStore(c.lines);
        CompareSettings settings;
        Preferences p;
        store_.load(settings, p);
        EXPECT_EQ(p.window.width, c.width) << c.lines;
        EXPECT_EQ(p.window.height, c.height) << c.lines;
        EXPECT_EQ(p.window.positionUsable(), c.usable) << c.lines;
    }

    writeStore("dda=yes\nasl=12x\nColText=red\ndwMask=-1342177261\nyHeight=\n"
               "szFaceName=" +
               std::string(40, 'F') + "\n");
    CompareSettings settings;
    settings.b_DoTabData = false;
    Preferences p;
    store_.load(settings, p);
    EXPECT_TRUE(settings.b_DoTabData);
    EXPECT_EQ(settings.i_AutoSaveLines, 500);
    EXPECT_EQ(p.colours.text, 0u);
    EXPECT_EQ(p.font.mask, 2952790035u); // the same bits stored signed
    EXPECT_EQ(p.font.height, 170);
    EXPECT_EQ(p.font.faceName, std::string(31, 'F'));

    // Numbers that size something are held to what the program can show.
    struct Bound {
        const char* line;
        int autoSaveLines, fontHeight;
    };
    const Bound bounds[] = {
        {"asl=-5\nyHeight=2000000000\n", 1, ReportFont::kMaxHeight},
        {"asl=2000000000\nyHeight=-1\n", 999999, ReportFont::kMinHeight},
        {"asl=0\nyHeight=0\n", 1, ReportFont::kMinHeight},
    };
    for (const Bound& b : bounds) {
        writeStore(b.line);
        store_.load(settings, p);
        EXPECT_EQ(settings.i_AutoSaveLines, b.autoSaveLines) << b.line;
        EXPECT_EQ(p.font.height, b.fontHeight) << b.line;
    }
}

} // namespace
} // namespace zentab::test
