// Configuration files as a user meets them: a saved file loads back into the same settings and
// sides, the text form's reading rules, the older binary form, file permissions, and the
// automatic start from a file.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <map>

#include "engine/configuration.h"
#include "settings/configuration_file.h"
#include "settings/expected_defaults.h"
#include "support/odbc_fixture.h"
#include "support/run_fixture.h"

namespace zentab::test {
namespace {

// Away from the value a file implies by lacking the key, so that a key that is not written, or
// not read, shows.
int awayFromAbsent(const ExpectedOption& option) {
    if (std::holds_alternative<BoolMember>(option.member)) {
        return 1 - option.absentFromFile;
    }
    return option.absentFromFile == 1 ? 0 : option.absentFromFile + 1;
}

void setEveryField(CompareSettings& settings, bool snapshotOnly) {
    for (const auto& option : kExpectedOptions) {
        if (*option.fileKey != '\0') {
            setValue(settings, option, awayFromAbsent(option));
        }
    }
    settings.b_SnapshotOnly = snapshotOnly;
    settings.s_AutoSaveFile = "/tmp/report.txt";
    settings.s_SnapshotFile = snapshotOnly ? "/tmp/new.zsn" : "";
    settings.s_GlobalPassSql1 = "SELECT a FROM t";
    settings.s_GlobalPassSql2 = "SELECT b FROM u";
    settings.ignoreColumns = {"audit%", "stamp"};
    settings.ignoreDataTypes = {"BLOB", "%TEXT%"};
    settings.ignoreTables = {"log", "tmp%"};
    settings.ignoreViews = {"v_old", "v_%"};
    settings.ignoreProcs = {"p1", "p2"};
    settings.whereStatements = {{"orders", "id > 10"}, {"items", "qty <> 0"}};
}

void expectSameSettings(const CompareSettings& actual, const CompareSettings& expected) {
    for (const auto& option : kExpectedOptions) {
        EXPECT_EQ(valueOf(actual, option), valueOf(expected, option))
            << option.fileKey << option.userKey;
    }
    for (auto member : kStringOptions) {
        EXPECT_EQ(actual.*member, expected.*member);
    }
    EXPECT_EQ(actual.ignoreColumns, expected.ignoreColumns);
    EXPECT_EQ(actual.ignoreDataTypes, expected.ignoreDataTypes);
    EXPECT_EQ(actual.ignoreTables, expected.ignoreTables);
    EXPECT_EQ(actual.ignoreViews, expected.ignoreViews);
    EXPECT_EQ(actual.ignoreProcs, expected.ignoreProcs);
    EXPECT_EQ(actual.whereStatements, expected.whereStatements);
}

mode_t modeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// A second window's session, to load into.
struct OtherWindow {
    RecordingHost host;
    Session session{host, standardPhases()};
};

class ConfigurationTest : public RunFixture {
protected:
    // Database 1 on-line (a SQLite file holding one table), Database 2 the fixture's snapshot.
    void useOnlineSide1() {
        executeSql(sqliteConnectString(dir.file("one.db")), {"CREATE TABLE t (id INTEGER)"});
        useSide(1, connectSide(sqliteConnectString(dir.file("one.db"))));
    }
    std::string zentabSection(const std::string& lines) {
        return "[Zentab]\r\nVersion=5.0\r\n" + lines;
    }
};

TEST_F(ConfigurationTest, SaveThenLoadRestoresEveryFieldAndBothSides) {
    useOnlineSide1();
    for (bool snapshotOnly : {false, true}) {
        SCOPED_TRACE(snapshotOnly ? "snapshot run" : "comparison");
        setEveryField(session.settings, snapshotOnly);
        const std::string path = dir.file(snapshotOnly ? "nightly snapshot.zcf" : "nightly.zcf");
        ASSERT_TRUE(saveConfiguration(session, path));
        EXPECT_EQ(session.titleSuffix, snapshotOnly ? " - nightly snapshot" : " - nightly");

        OtherWindow other;
        ASSERT_EQ(loadConfiguration(other.session, path, true), ConfigurationLoad::Loaded);
        EXPECT_EQ(other.host.messages(),
                  std::vector<std::string>{
                      "Do you wish to re-connect to the databases on the config file?"});
        CompareSettings expected = session.settings;
        expected.side1IsSnapshot = false;
        expected.side2IsSnapshot = !snapshotOnly;
        expectSameSettings(other.session.settings, expected);
        EXPECT_EQ(other.session.configurationPath, path);
        EXPECT_EQ(other.session.titleSuffix, session.titleSuffix);

        Session& loaded = other.session;
        ASSERT_TRUE(loaded.side1);
        EXPECT_FALSE(loaded.side1->notUsable);
        EXPECT_FALSE(loaded.side1->b_IsSnapshot);
        EXPECT_EQ(loaded.side1->s_ConnectString, session.side1->s_ConnectString);
        EXPECT_EQ(loaded.side1->reconnectString, session.side1->reconnectString);
        EXPECT_EQ(loaded.side1->displayName, session.side1->displayName);
        EXPECT_TRUE(loaded.sideDefined1);
        // A snapshot run's file names no Database 2.
        EXPECT_EQ(loaded.sideDefined2, !snapshotOnly);
        if (!snapshotOnly) {
            ASSERT_TRUE(loaded.side2);
            EXPECT_FALSE(loaded.side2->notUsable);
            EXPECT_TRUE(loaded.side2->b_IsSnapshot);
            EXPECT_EQ(loaded.side2->s_SnapshotFile, session.side2->s_SnapshotFile);
        }
    }
}

// Written out by hand: a key out of place, or one written when empty, shows as a difference.
TEST_F(ConfigurationTest, WrittenFileHasItsKeysInOrder) {
    useSide(2, DatabaseSource::createUnconnected(host));
    session.settings.s_GlobalPassSql1 = "SELECT 1";
    session.settings.ignoreTables = {"a", "b"};
    session.settings.ignoreProcs = {"p"};
    session.settings.whereStatements = {{"t", "id > 1"}};
    const std::string options =
        "i_AutoSpecialName=0\r\nb_AutoSave=0\r\ni_AutoSaveLines=500\r\nb_OnlyToFile=0\r\n"
        "b_DataType=1\r\nb_NoDiffCol=1\r\nb_NoDiffData=1\r\nb_NoDiffProc=1\r\nb_IgnoreColLen=0\r\n"
        "b_IgnoreColCase=1\r\nb_IgnoreDatCase=0\r\nb_IgnoreDatTrail=0\r\nb_IgnoreDatFrac=0\r\n"
        "b_IgnoreDatSecs=0\r\nb_IgnoreDatLead=0\r\nb_IgnoreTabCase=1\r\nb_IgnoreViewCase=1\r\n"
        "b_IgnoreProcCase=1\r\nb_CompDatValue=1\r\nb_DataAsCSV=0\r\nb_DoTabCommon=1\r\n"
        "b_DoTabSkipped=1\r\nb_DoTabStruct=1\r\nb_DoTabData=1\r\nb_DoIndex=1\r\n"
        "b_DoViewCommon=1\r\nb_DoViewSkipped=1\r\nb_DoViewStruct=1\r\nb_DoViewData=1\r\n"
        "b_DoProcCommon=1\r\nb_DoProcSkipped=1\r\nb_DoProcStruct=1\r\ns_GlobalPassSql1=SELECT "
        "1\r\nb_SortRows=0\r\nb_CompareCommonColumns=0\r\n";
    const std::string database1 = "[Database 1]\r\ns_ConnectString=" + dir.file("one.zsn") +
                                  "\r\nb_IsCatalog=0\r\nb_IsSnapshot=1\r\n";
    const std::string lists = "[Ignore Tables]\r\ntab0=a\r\ntab1=b\r\n[Ignore Procs]\r\nproc0=p\r\n"
                              "[Where Statements]\r\nobj0=t\r\nwhere0=id > 1\r\n";
    struct Case {
        bool snapshotOnly;
        std::string text;
    } cases[] = {
        {false, zentabSection("b_SnapshotOnly=0\r\nb_SummaryReportOnly=0\r\n" + options) +
                    database1 + "[Database 2]\r\nb_IsCatalog=0\r\nb_IsSnapshot=0\r\n" + lists},
        {true, zentabSection("b_SnapshotOnly=1\r\nb_SummaryReportOnly=0\r\ns_SnapshotFile=" +
                             dir.file("out.zsn") + "\r\n" + options) +
                   database1 + lists},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.snapshotOnly);
        session.settings.b_SnapshotOnly = c.snapshotOnly;
        session.settings.s_SnapshotFile = dir.file("out.zsn");
        ASSERT_TRUE(saveConfiguration(session, dir.file("order.zcf")));
        EXPECT_EQ(readFile(dir.file("order.zcf")), c.text);
    }
}

TEST_F(ConfigurationTest, EmptyIgnoreViewsWritesNoSectionAndLoadingEmptiesTheList) {
    session.settings.ignoreTables = {"t"};
    ASSERT_TRUE(saveConfiguration(session, dir.file("views.zcf")));
    EXPECT_EQ(readFile(dir.file("views.zcf")).find("[Ignore Views]"), std::string::npos);

    OtherWindow other;
    other.session.settings.ignoreViews = {"left over"};
    loadConfiguration(other.session, dir.file("views.zcf"), false);
    EXPECT_TRUE(other.session.settings.ignoreViews.empty());
    EXPECT_EQ(other.session.settings.ignoreTables, std::vector<std::string>{"t"});
}

TEST_F(ConfigurationTest, FileWithOnlyTheVersionLoadsTheAbsentValuesAndAsksNothing) {
    writeFile(dir.file("bare.zcf"), zentabSection(""));
    setEveryField(session.settings, true);
    DatabaseSource* before1 = session.side1.get();
    DatabaseSource* before2 = session.side2.get();

    ASSERT_EQ(loadConfiguration(session, dir.file("bare.zcf"), true), ConfigurationLoad::Loaded);
    EXPECT_TRUE(host.messages().empty());
    for (const auto& option : kExpectedOptions) {
        if (*option.fileKey != '\0') {
            EXPECT_EQ(valueOf(session.settings, option), option.absentFromFile) << option.fileKey;
        }
    }
    for (auto member : kStringOptions) {
        EXPECT_EQ(session.settings.*member, "");
    }
    EXPECT_TRUE(session.settings.ignoreColumns.empty());
    EXPECT_TRUE(session.settings.whereStatements.empty());
    // Nothing to reconnect: the sides stay as they were.
    EXPECT_EQ(session.side1.get(), before1);
    EXPECT_EQ(session.side2.get(), before2);
}

TEST_F(ConfigurationTest, TextFormReadingRules) {
    struct Case {
        const char* name;
        std::string lines;
        std::function<void(const CompareSettings&)> check;
    } cases[] = {
        {"a gap in the numbering ends the list", "[Ignore Tables]\r\ntab0=a\r\ntab2=c\r\n",
         [](const CompareSettings& s) {
             EXPECT_EQ(s.ignoreTables, std::vector<std::string>{"a"});
         }},
        {"an empty element ends the list", "[Ignore Columns]\r\ncol0=a\r\ncol1=\r\ncol2=c\r\n",
         [](const CompareSettings& s) {
             EXPECT_EQ(s.ignoreColumns, std::vector<std::string>{"a"});
         }},
        {"a value is cut to the read buffer", "s_AutoSaveFile=" + std::string(6000, 'x') + "\r\n",
         [](const CompareSettings& s) { EXPECT_EQ(s.s_AutoSaveFile, std::string(4999, 'x')); }},
        {"a number stops at the first non-digit", "i_AutoSaveLines=12abc\r\n",
         [](const CompareSettings& s) { EXPECT_EQ(s.i_AutoSaveLines, 12); }},
        {"text without a number reads 0", "b_DoIndex=abc\r\nb_DataType=abc\r\n",
         [](const CompareSettings& s) {
             EXPECT_FALSE(s.b_DoIndex);
             EXPECT_EQ(s.b_DataType, 0);
         }},
        {"a condition without its name is not read; a name without one is",
         "[Where Statements]\r\nobj0=t\r\nwhere0=id > 1\r\nobj1=u\r\nwhere2=lost\r\n",
         [](const CompareSettings& s) {
             EXPECT_EQ(s.whereStatements,
                       (std::map<std::string, std::string>{{"t", "id > 1"}, {"u", ""}}));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("rules.zcf");
        // Options belong to section "Zentab"; lines that begin a section of their own follow it.
        writeFile(path,
                  c.lines.front() == '[' ? zentabSection("") + c.lines : zentabSection(c.lines));
        OtherWindow other;
        ASSERT_EQ(loadConfiguration(other.session, path, false), ConfigurationLoad::Loaded);
        c.check(other.session.settings);
    }
}

TEST_F(ConfigurationTest, StatementWithALineBreakIsWrittenWholeAndReadUpToTheBreak) {
    session.settings.s_GlobalPassSql1 = "SELECT a\r\nFROM t";
    ASSERT_TRUE(saveConfiguration(session, dir.file("sql.zcf")));
    EXPECT_NE(readFile(dir.file("sql.zcf")).find("s_GlobalPassSql1=SELECT a\r\nFROM t\r\n"),
              std::string::npos);
    OtherWindow other;
    loadConfiguration(other.session, dir.file("sql.zcf"), false);
    EXPECT_EQ(other.session.settings.s_GlobalPassSql1, "SELECT a");
}

// Connect strings hold passwords: the file is its owner's alone, whatever was there before and
// whatever the umask allows.
TEST_F(ConfigurationTest, SavedFileIsReadableByItsOwnerOnly) {
    const std::string fresh = dir.file("fresh.zcf");
    const std::string replaced = dir.file("replaced.zcf");
    writeFile(replaced, "[Zentab]\r\nVersion=5.0\r\n");
    ::chmod(replaced.c_str(), 0644);
    const mode_t umask = ::umask(0);
    const bool savedFresh = saveConfiguration(session, fresh);
    const bool savedReplaced = saveConfiguration(session, replaced);
    ::umask(umask);
    ASSERT_TRUE(savedFresh);
    ASSERT_TRUE(savedReplaced);
    EXPECT_EQ(modeOf(fresh), 0600u);
    EXPECT_EQ(modeOf(replaced), 0600u);
    EXPECT_NE(readFile(replaced).find("b_DoProcStruct=1"), std::string::npos);
}

TEST_F(ConfigurationTest, SaveRefusesAFileASideReadsAndAFolderThatIsNotThere) {
    const std::string snapshot = session.side1->s_SnapshotFile;
    const std::string bytes = readFile(snapshot);
    EXPECT_FALSE(saveConfiguration(session, snapshot));
    EXPECT_EQ(readFile(snapshot), bytes);
    EXPECT_FALSE(saveConfiguration(session, dir.file("no such folder/x.zcf")));
    auto messages = host.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].find("never writes over a file that it reads"), std::string::npos)
        << messages[0];
    EXPECT_EQ(messages[1], "Could not open config file.");
    EXPECT_TRUE(session.configurationPath.empty());
}

// The older binary form, built byte by byte as the old program's archive wrote it.
class Archive {
public:
    Archive& text(const std::string& value) {
        if (value.size() < 255) {
            bytes_ += static_cast<char>(value.size());
        } else if (value.size() < 65535) {
            bytes_ += '\xff';
            little(value.size(), 2);
        } else {
            bytes_ += "\xff\xff\xff";
            little(value.size(), 4);
        }
        bytes_ += value;
        return *this;
    }
    Archive& number(std::int32_t value) {
        little(static_cast<std::uint32_t>(value), 4);
        return *this;
    }
    Archive& list(const std::vector<std::string>& items) {
        number(static_cast<std::int32_t>(items.size()));
        for (const auto& item : items) {
            text(item);
        }
        return *this;
    }
    const std::string& bytes() const { return bytes_; }

private:
    void little(std::uint64_t value, int size) {
        for (int i = 0; i < size; ++i) {
            bytes_ += static_cast<char>((value >> (8 * i)) & 0xff);
        }
    }
    std::string bytes_;
};

struct LegacyValues {
    std::string version = "Version 5.0";
    std::string connect1, connect2;
    std::int32_t autoSpecialName = 1, autoSaveLines = 42, dataType = 0;
    std::string autoSaveFile = std::string(254, 'f');
    std::string sql1 = std::string(255, 's');
    std::string sql2 = std::string(70000, 't');
};

// Every flag is written as 0, the opposite of what a session starts with for most, and the
// two integers that are thrown away as 7.
Archive legacyArchive(const LegacyValues& v) {
    Archive a;
    a.text(v.version).text(v.connect1).text(v.connect2);
    a.number(v.autoSpecialName).number(1).number(v.autoSaveLines).text(v.autoSaveFile);
    a.number(1).number(v.dataType);
    a.number(7);
    for (int i = 0; i < 17; ++i) {
        a.number(0); // b_NoDiffProc ... b_DoProcCommon
    }
    a.number(7);
    for (int i = 0; i < 9; ++i) {
        a.number(0); // b_DoTabSkipped ... b_DoTabStruct
    }
    const bool current = v.version == "Version 5.0";
    if (current) {
        a.number(1).number(0).text(v.sql1).text(v.sql2);
    }
    a.list({"col%"}).list({"tab1", "tab2"}).list({"view1"}).list({});
    if (current) {
        a.number(2).text("orders").text("id > 1").text("items").text("");
    }
    return a;
}

TEST_F(ConfigurationTest, OlderBinaryFormReadsEveryField) {
    struct Case {
        const char* version;
        bool current;
    } cases[] = {{"Version 5.0", true}, {"Version 4.1", false}};
    executeSql(sqliteConnectString(dir.file("old.db")), {"CREATE TABLE t (id INTEGER)"});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        LegacyValues values;
        values.version = c.version;
        values.connect1 = sqliteConnectString(dir.file("old.db"));
        writeFile(dir.file("old.zcf"), legacyArchive(values).bytes());

        OtherWindow other;
        CompareSettings& s = other.session.settings;
        s.b_DataAsCSV = true;
        s.ignoreDataTypes = {"kept"};
        s.s_GlobalPassSql1 = "before";
        s.whereStatements = {{"before", "x"}};
        s.ignoreProcs = {"emptied"};
        ASSERT_EQ(loadConfiguration(other.session, dir.file("old.zcf"), false),
                  ConfigurationLoad::Loaded);
        EXPECT_TRUE(other.host.messages().empty());
        EXPECT_EQ(other.session.titleSuffix, " - old");
        ASSERT_TRUE(other.session.side1);
        EXPECT_FALSE(other.session.side1->notUsable);
        EXPECT_FALSE(other.session.sideDefined2);

        EXPECT_EQ(s.i_AutoSpecialName, 1);
        EXPECT_TRUE(s.b_AutoSave);
        EXPECT_EQ(s.i_AutoSaveLines, 42);
        EXPECT_EQ(s.s_AutoSaveFile, values.autoSaveFile);
        EXPECT_TRUE(s.b_OnlyToFile);
        EXPECT_EQ(s.b_DataType, 0);
        EXPECT_FALSE(s.b_DataAsCSV);
        for (bool flag :
             {s.b_NoDiffProc,    s.b_NoDiffCol,     s.b_IgnoreColCase,  s.b_CompDatValue,
              s.b_NoDiffData,    s.b_IgnoreTabCase, s.b_IgnoreViewCase, s.b_IgnoreProcCase,
              s.b_DoTabCommon,   s.b_DoViewCommon,  s.b_DoProcCommon,   s.b_DoTabSkipped,
              s.b_DoViewSkipped, s.b_DoProcSkipped, s.b_DoViewStruct,   s.b_DoProcStruct,
              s.b_DoViewData,    s.b_DoIndex,       s.b_DoTabData,      s.b_DoTabStruct}) {
            EXPECT_FALSE(flag);
        }
        EXPECT_EQ(s.ignoreColumns, std::vector<std::string>{"col%"});
        EXPECT_EQ(s.ignoreTables, (std::vector<std::string>{"tab1", "tab2"}));
        EXPECT_EQ(s.ignoreViews, std::vector<std::string>{"view1"});
        EXPECT_TRUE(s.ignoreProcs.empty());
        EXPECT_EQ(s.ignoreDataTypes, std::vector<std::string>{"kept"});
        if (c.current) {
            EXPECT_TRUE(s.side1IsSnapshot);
            EXPECT_EQ(s.s_GlobalPassSql1, values.sql1);
            EXPECT_EQ(s.s_GlobalPassSql2, values.sql2);
            EXPECT_EQ(s.whereStatements,
                      (std::map<std::string, std::string>{{"orders", "id > 1"}, {"items", ""}}));
        } else {
            EXPECT_EQ(s.s_GlobalPassSql1, "before");
            EXPECT_EQ(s.whereStatements, (std::map<std::string, std::string>{{"before", "x"}}));
        }
    }
}

TEST_F(ConfigurationTest, OlderBinaryFormPutsImpossibleValuesRight) {
    struct Case {
        std::int32_t autoSpecialName, autoSaveLines, dataType;
        int expectedSpecial, expectedLines, expectedType;
    } cases[] = {
        {6, 1000000, 6, 0, 500, 1},
        // Out of range but not caught by the old rules: held to the field's range.
        {3, 0, 2, 2, 1, 1},
        {5, 999999, 1, 2, 999999, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.autoSpecialName);
        LegacyValues values;
        values.autoSpecialName = c.autoSpecialName;
        values.autoSaveLines = c.autoSaveLines;
        values.dataType = c.dataType;
        CompareSettings s;
        LegacyConfiguration read;
        ASSERT_EQ(readLegacyConfiguration(legacyArchive(values).bytes(), s, read),
                  LegacyRead::Complete);
        EXPECT_EQ(s.i_AutoSpecialName, c.expectedSpecial);
        EXPECT_EQ(s.i_AutoSaveLines, c.expectedLines);
        EXPECT_EQ(s.b_DataType, c.expectedType);
    }
}

TEST_F(ConfigurationTest, TruncatedBinaryFileKeepsWhatWasReadBeforeTheCut) {
    const std::string whole = legacyArchive(LegacyValues{}).bytes();
    // Version (12 bytes), two empty connect strings, three integers, then the 254-character
    // file name: cut one byte into b_OnlyToFile.
    const std::size_t afterFileName = 12 + 2 + 12 + 255;
    struct Case {
        const char* name;
        std::size_t length;
        bool connectionsRead;
        bool fileNameRead;
        bool flagsRead;
    } cases[] = {
        {"between the connect strings", 13, false, false, false},
        {"inside an integer", afterFileName + 1, true, true, false},
        {"inside the 70,000-character statement", whole.size() - 1000, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CompareSettings s;
        LegacyConfiguration read;
        EXPECT_EQ(readLegacyConfiguration(std::string_view(whole).substr(0, c.length), s, read),
                  LegacyRead::Truncated);
        EXPECT_EQ(read.connectionsRead, c.connectionsRead);
        EXPECT_EQ(s.s_AutoSaveFile, c.fileNameRead ? std::string(254, 'f') : "");
        EXPECT_EQ(s.b_OnlyToFile, c.flagsRead);
        EXPECT_EQ(s.b_DoTabStruct, !c.flagsRead);
        EXPECT_TRUE(s.ignoreTables.empty());
    }

    writeFile(dir.file("cut.zcf"), whole.substr(0, afterFileName + 1));
    EXPECT_EQ(loadConfiguration(session, dir.file("cut.zcf"), false),
              ConfigurationLoad::Incomplete);
    EXPECT_EQ(session.settings.i_AutoSaveLines, 42);
    EXPECT_TRUE(host.messages().empty());
}

TEST_F(ConfigurationTest, FileThatIsNoConfigurationIsRefused) {
    Archive notOurs;
    notOurs.text("Zentab 5.0").text("DSN=x");
    writeFile(dir.file("other.zcf"), notOurs.bytes());
    writeFile(dir.file("text.zcf"), "[Zentab]\r\nb_DoIndex=0\r\n");
    struct Case {
        std::string path;
        const char* message;
    } cases[] = {
        {dir.file("other.zcf"), "Invalid config file."},
        {dir.file("text.zcf"), "Invalid config file."},
        {dir.file("missing.zcf"), "Could not open config file."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        OtherWindow other;
        EXPECT_EQ(loadConfiguration(other.session, c.path, true), ConfigurationLoad::Refused);
        EXPECT_EQ(other.host.messages(), std::vector<std::string>{c.message});
        EXPECT_TRUE(other.session.configurationPath.empty());
        EXPECT_TRUE(other.session.settings.b_DoIndex);
        EXPECT_FALSE(other.session.sideDefined1);
    }
}

TEST_F(ConfigurationTest, AutomaticStartRunsWhatTheFileSaysAndEndsTheProgram) {
    for (const char* name : {"a.db", "b.db"}) {
        executeSql(sqliteConnectString(dir.file(name)), {"CREATE TABLE t (id INTEGER)"});
    }
    const std::string path = dir.file("job.zcf");
    writeFile(path,
              zentabSection("b_OnlyToFile=1\r\ns_AutoSaveFile=" + dir.file("report.txt") + "\r\n") +
                  "[Database 1]\r\ns_ConnectString=" + sqliteConnectString(dir.file("a.db")) +
                  "\r\n[Database 2]\r\ns_ConnectString=" + sqliteConnectString(dir.file("b.db")) +
                  "\r\n");
    ASSERT_TRUE(automaticStart(session, *driver, path));
    waitForEnd();
    EXPECT_EQ(host.endedWith(), 0);
    EXPECT_TRUE(host.messages().empty());
    EXPECT_EQ(host.lastMainCaption(), "Finished - Zentab - job");
    const std::string report = readFile(dir.file("report.txt"));
    EXPECT_NE(report.find("--- End of Zentab ---"), std::string::npos) << report;
}

TEST_F(ConfigurationTest, AutomaticStartWithoutUsableSidesStartsNothing) {
    const std::string bad = "[Database 2]\r\ns_ConnectString=Driver=NoSuchDriver;\r\n";
    struct Case {
        const char* name;
        std::string text;
        std::string message;
    } cases[] = {
        {"comparison", zentabSection("") + bad, kAutoComparisonRefused},
        {"snapshot", zentabSection("b_SnapshotOnly=1\r\n"), kAutoSnapshotRefused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(dir.file("job.zcf"), c.text);
        OtherWindow other;
        RunDriver otherDriver(other.session);
        EXPECT_FALSE(automaticStart(other.session, otherDriver, dir.file("job.zcf")));
        auto messages = other.host.messages();
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages.back(), c.message);
        EXPECT_FALSE(other.session.hasRun);
        EXPECT_TRUE(other.session.autoStartPath.empty());
    }
}

// psqlODBC completes the string with its driver and the password; the owner qualifier and its
// kind travel in their own keys.
class PostgresConfigurationTest : public PostgresSchemaTest {
protected:
    TempDir dir;
};

TEST_F(PostgresConfigurationTest, SavedSideReconnectsWithItsOwner) {
    execute({"CREATE TABLE " + qualified("t") + " (id INTEGER)"});
    OtherWindow saving;
    saving.session.side1 =
        DatabaseSource::ConnectStored(saving.host, connectString(), schema(), "0", " -#/$%&*");
    ASSERT_FALSE(saving.session.side1->notUsable);
    ASSERT_EQ(saving.session.side1->s_DatabaseUser, schema());
    ASSERT_TRUE(saveConfiguration(saving.session, dir.file("pg.zcf")));
    const std::string text = readFile(dir.file("pg.zcf"));
    EXPECT_NE(text.find("s_DatabaseUser=" + schema() + "\r\nb_IsCatalog=0\r\n"), std::string::npos)
        << text;

    OtherWindow loading;
    loadConfiguration(loading.session, dir.file("pg.zcf"), false);
    ASSERT_TRUE(loading.session.side1);
    EXPECT_FALSE(loading.session.side1->notUsable)
        << testing::PrintToString(loading.host.messages());
    EXPECT_EQ(loading.session.side1->s_DatabaseUser, schema());
    EXPECT_FALSE(loading.session.side1->b_IsCatalog);
    EXPECT_EQ(loading.session.side1->displayName, saving.session.side1->displayName);
    EXPECT_EQ(loading.session.side1->ListTables(true, true), 1);
}

} // namespace
} // namespace zentab::test
