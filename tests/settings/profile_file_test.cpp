#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "settings/profile_file.h"
#include "support/temp_dir.h"

namespace zentab::test {
namespace {

TEST(ProfileFile, KeepsFirstWrittenOrderAndReplacesInPlace) {
    ProfileFile profile;
    profile.write("Zentab", "Version", "5.0");
    profile.write("Database 1", "b_IsCatalog", "0");
    profile.write("zentab", "b_DoIndex", "1"); // joins the existing section
    profile.write("ZENTAB", "VERSION", "5.1"); // same key: value replaced, spelling kept
    profile.write("Ignore Views", "view0", "V");
    EXPECT_EQ(profile.toText(), "[Zentab]\r\nVersion=5.1\r\nb_DoIndex=1\r\n"
                                "[Database 1]\r\nb_IsCatalog=0\r\n"
                                "[Ignore Views]\r\nview0=V\r\n");
    EXPECT_TRUE(profile.removeSection("ignore views"));
    EXPECT_FALSE(profile.removeSection("Ignore Views"));
    EXPECT_EQ(profile.sectionNames(), (std::vector<std::string>{"Zentab", "Database 1"}));
    EXPECT_EQ(profile.keys("ZENTAB"), (std::vector<std::string>{"Version", "b_DoIndex"}));
}

TEST(ProfileFile, ReadsWhatAFileHolds) {
    // Mixed line ends, a comment, a stray line, text before any section, a repeated section.
    const std::string text = "stray=before\r\n"
                             "[Zentab]\r\n"
                             "; comment\n"
                             "Version=5.0\r\n"
                             "  b_DoIndex =0\r\n"
                             "s_ConnectString=Driver=SQLite3;Database=a.db\r\n"
                             "Empty=\r\n"
                             "SpecialCharacters= -#/$%&*\r\n"
                             "not an entry\r\n"
                             "\r\n"
                             "[Other]\n"
                             "Version=other\n"
                             "[zentab]\r\n"
                             "Late=1";
    const ProfileFile profile = ProfileFile::parse(text);
    struct Case {
        const char* section;
        const char* key;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"Zentab", "Version", "5.0"},
        {"zENTAB", "version", "5.0"},
        {"Other", "Version", "other"},
        {"Zentab", "b_DoIndex", "0"},
        {"Zentab", "s_ConnectString", "Driver=SQLite3;Database=a.db"},
        {"Zentab", "Empty", ""},
        {"Zentab", "SpecialCharacters", " -#/$%&*"},
        {"Zentab", "Late", "1"},
        {"Zentab", "Missing", std::nullopt},
        {"Zentab", "stray", std::nullopt},
        {"Zentab", "not an entry", std::nullopt},
        {"Missing", "Version", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(profile.read(c.section, c.key), c.expected) << c.section << "/" << c.key;
    }
    EXPECT_EQ(profile.sectionNames(), (std::vector<std::string>{"Zentab", "Other"}));

    // Lines that are not entries survive a rewrite.
    const std::string rewritten = profile.toText();
    EXPECT_NE(rewritten.find("stray=before\r\n[Zentab]\r\n; comment\r\n"), std::string::npos);
    EXPECT_NE(rewritten.find("not an entry\r\n\r\nLate=1\r\n[Other]"), std::string::npos)
        << rewritten;
}

TEST(ProfileFile, ValuesAreCutToTheReadBuffer) {
    ProfileFile profile;
    profile.write("S", "long", std::string(6000, 'x'));
    profile.write("S", "fits", std::string(4999, 'y'));
    EXPECT_EQ(profile.read("S", "long"), std::string(4999, 'x'));
    EXPECT_EQ(profile.read("S", "fits"), std::string(4999, 'y'));
    EXPECT_NE(profile.toText().find(std::string(6000, 'x')), std::string::npos);
}

TEST(ProfileFile, ALineBreakEndsTheValueReadBack) {
    TempDir dir;
    const std::string path = dir.file("a.zcf");
    ProfileFile profile;
    profile.write("Zentab", "s_GlobalPassSql1", "SELECT 1\r\nFROM t");
    profile.write("Zentab", "after", "2");
    EXPECT_EQ(profile.toText(), "[Zentab]\r\ns_GlobalPassSql1=SELECT 1\r\nFROM t\r\nafter=2\r\n");
    EXPECT_EQ(profile.read("Zentab", "s_GlobalPassSql1"), "SELECT 1");

    std::string error;
    ASSERT_TRUE(profile.save(path, error)) << error;
    EXPECT_EQ(readFile(path), profile.toText());
    ProfileFile loaded;
    ASSERT_TRUE(loaded.load(path, error)) << error;
    EXPECT_EQ(loaded.read("Zentab", "s_GlobalPassSql1"), "SELECT 1");
    EXPECT_EQ(loaded.read("Zentab", "after"), "2");
}

TEST(ProfileFile, MissingFileIsEmptyAndAFolderIsAnError) {
    TempDir dir;
    ProfileFile profile = ProfileFile::parse("[A]\r\nx=1\r\n");
    std::string error;
    EXPECT_TRUE(profile.load(dir.file("none.zcf"), error));
    EXPECT_TRUE(profile.sectionNames().empty());
    EXPECT_EQ(profile.toText(), "");

    EXPECT_FALSE(profile.load(dir.path().string(), error));
    EXPECT_FALSE(error.empty());
}

class ProfileSaveFailure : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(path_, "[Old]\r\nkept=1\r\n");
        profile_.write("New", "big", std::string(64 * 1024, 'z'));
    }
    // Only the original file is left in the folder, unchanged.
    void expectOldFileIntact() {
        EXPECT_EQ(readFile(path_), "[Old]\r\nkept=1\r\n");
        int entries = 0;
        for ([[maybe_unused]] const auto& entry :
             std::filesystem::directory_iterator(dir_.path())) {
            ++entries;
        }
        EXPECT_EQ(entries, 1);
    }

    TempDir dir_;
    std::string path_ = dir_.file("old.zcf");
    ProfileFile profile_;
};

TEST_F(ProfileSaveFailure, ParentIsARegularFile) {
    std::string error;
    EXPECT_FALSE(profile_.save(path_ + "/inside.zcf", error));
    EXPECT_FALSE(error.empty());
    expectOldFileIntact();
}

// A file-size limit fails the write the way a full disk does, for root as well.
TEST_F(ProfileSaveFailure, WriteFailsHalfway) {
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit small = before;
    small.rlim_cur = 4096;
    auto* previousHandler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    bool saved = profile_.save(path_, error);
    setrlimit(RLIMIT_FSIZE, &before);
    signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(saved);
    EXPECT_FALSE(error.empty());
    expectOldFileIntact();
}

} // namespace
} // namespace zentab::test
