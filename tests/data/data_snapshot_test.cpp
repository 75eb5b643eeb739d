#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compare/phases.h"
#include "data/data_fixture.h"
#include "db/snapshot_file.h"
#include "support/run_fixture.h"

namespace zentab {
namespace {

using test::DataRun;
using test::readSnapshotRecords;
using test::SnapshotSection;

const std::string kEnd(snapshot::kEndMarker);

// Database 2 is a snapshot: its rows come from the data section, found object by object, and
// the blocks of objects that are not compared are passed over.
TEST_F(DataRun, RowsOfASnapshotSideAreReadFromTheirBlocks) {
    std::vector<std::string> columns = {"A",
                                        "id",
                                        "    NULL INTEGER",
                                        "INTEGER",
                                        "Y",
                                        "11",
                                        kEnd,
                                        "B",
                                        "id",
                                        "    NULL INTEGER",
                                        "INTEGER",
                                        "Y",
                                        "11",
                                        "txt",
                                        "    NULL VARCHAR(5)",
                                        "VARCHAR",
                                        "Y",
                                        "5",
                                        kEnd};
    test::writeSnapshot(
        dir.file("two.zsn"),
        {{snapshot::kTables, {"A", "B", "OTHER"}},
         {snapshot::kColumns, columns, true},
         {snapshot::kIndex, {}},
         // A's block is empty: when A is abandoned its end marker must not be taken for a name.
         {snapshot::kData,
          {"OTHER", "x \t y", kEnd, "A", kEnd, "B", "1 \t one", "2 \t too", kEnd},
          true},
         {snapshot::kViews, {}},
         {snapshot::kViewColumns, {}},
         {snapshot::kViewData, {}},
         {snapshot::kProcs, {}},
         {snapshot::kProcColumns, {}}});
    test::executeSql(sqlite1(), {"CREATE TABLE A (id integer)", "INSERT INTO A VALUES (1)",
                                 "CREATE TABLE B (id integer, txt varchar(5))",
                                 "INSERT INTO B VALUES (1, 'one'), (2, 'two')"});
    useSide(1, connectSide(sqlite1()));
    useSide(2, snapshotSide(dir.file("two.zsn")));

    for (bool failA : {false, true}) {
        session.settings.whereStatements.clear();
        if (failA) {
            session.settings.whereStatements["A"] = "id = = 1";
        }
        run();
        const std::string text = dataText(2, 3);
        const std::string tableB = "\r\n\r\n\r\nDifferences found in table B\r\n\r\n"
                                   "  id         _txt  _\r\n"
                                   "\r\n> 2           too   "
                                   "\r\n< 2           two   ";
        if (failA) {
            EXPECT_EQ(text, "\r\n\r\n\r\nThe following error was received while processing table "
                            "A in database " +
                                session.side1->displayName +
                                " :\r\n[SQLite]near \"=\": syntax error (1)\r\n\r\n" + tableB);
        } else {
            EXPECT_EQ(text, "\r\n\r\n\r\nDifferences found in table A\r\n\r\n"
                            "  id         _\r\n"
                            "\r\n< 1           " +
                                tableB);
        }
    }
}

// In a snapshot run the phase stores Database 1's rows, in the statement's order, one block per
// object it reads, each closed by the end marker.
TEST_F(DataRun, ASnapshotRunStoresTheRowsOfDatabase1) {
    test::executeSql(sqlite1(), {"CREATE TABLE T (id integer, txt varchar(5), doc text)",
                                 "INSERT INTO T VALUES (2, NULL, 'long'), (1, 'a', '')"});
    useSide(1, connectSide(sqlite1()));
    session.side2.reset();
    CompareSettings& settings = session.settings;
    settings.b_SnapshotOnly = true;
    settings.s_SnapshotFile = dir.file("out.zsn");
    ASSERT_TRUE(session.writer.openOutputFile());

    ObjectList& tables = session.side1->tables;
    tables.resize(4);
    tables[0].nameInDb1 = "T";
    tables[0].columns = {{"id", "", "", 11, false, true},
                         {"doc", "", "", 10, false, false},
                         {"txt", "", "", 5, false, true}};
    tables[1].nameInDb1 = "NOT_SELECTED"; // its columns differ: not compared, not stored
    tables[1].columns = tables[0].columns;
    tables[2].nameInDb1 = "EMPTY";   // every column ignored: a block without rows
    tables[3].nameInDb1 = "MISSING"; // the statement fails: a block without rows
    tables[3].columns = tables[0].columns;
    for (ObjectEntry& entry : tables) {
        entry.matched = true;
        entry.compareData = entry.nameInDb1 != "NOT_SELECTED";
        session.commonTables.push_back(&entry);
    }
    session.control.running = true;
    compareTableData(session);
    session.writer.closeOutputFile();

    EXPECT_EQ(readSnapshotRecords(settings.s_SnapshotFile),
              (std::vector<std::string>{std::string(snapshot::kVersion),
                                        std::string(snapshot::kData), "T", "1 \t  \t a",
                                        "2 \t long \t ", kEnd, "EMPTY", kEnd, "MISSING", kEnd}));
    EXPECT_EQ(session.report.text(), ""); // a snapshot run writes no report text
    EXPECT_FALSE(session.differencesFound);
    EXPECT_TRUE(hostCalled("panel caption: Storing Data ..."));
    EXPECT_TRUE(hostCalled("caption: Storing Data - Zentab"));

    // A snapshot taken from that snapshot holds the same blocks: Database 1's rows come from
    // its data section.
    const std::string copy = dir.file("copy.zsn");
    const ObjectList entries = tables;
    useSide(1, snapshotSide(settings.s_SnapshotFile));
    session.side1->OpenSnapshotForReading();
    session.side1->tables = entries;
    session.commonTables.clear();
    for (ObjectEntry& entry : session.side1->tables) {
        session.commonTables.push_back(&entry);
    }
    settings.s_SnapshotFile = copy;
    ASSERT_TRUE(session.writer.openOutputFile());
    compareTableData(session);
    session.writer.closeOutputFile();
    EXPECT_EQ(readSnapshotRecords(copy), readSnapshotRecords(dir.file("out.zsn")));
}

} // namespace
} // namespace zentab
