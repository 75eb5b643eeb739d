#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/data_fixture.h"
#include "db/object_list.h"
#include "db/snapshot_file.h"
#include "support/run_fixture.h"

namespace zentab::test {
namespace {

const std::string kEnd(snapshot::kEndMarker);
const std::size_t kWidest = static_cast<std::size_t>(kMaxDisplayWidth);

std::string blanks(std::size_t count) {
    return std::string(count, ' ');
}

// A snapshot sizes the report through its width records, column names, values and object
// names; none of them may pad a line past the widest column the report lays out, however
// large the number or the text.
class SnapshotBounds : public DataRun {
protected:
    // Table `table` with one column and these rows on one side.
    void writeSide(const std::string& file, const std::string& table, const std::string& column,
                   const std::string& width, const std::vector<std::string>& rows) {
        std::vector<std::string> data = {table};
        data.insert(data.end(), rows.begin(), rows.end());
        data.push_back(kEnd);
        writeSnapshot(dir.file(file),
                      {{snapshot::kTables, {table}},
                       {snapshot::kColumns,
                        {table, column, "    NULL VARCHAR(10)", "VARCHAR", "Y", width, kEnd},
                        true},
                       {snapshot::kIndex, {}},
                       {snapshot::kData, data, true},
                       {snapshot::kViews, {}},
                       {snapshot::kViewColumns, {}},
                       {snapshot::kViewData, {}},
                       {snapshot::kProcs, {}},
                       {snapshot::kProcColumns, {}}});
    }

    static std::string differences(const std::string& column, std::size_t width,
                                   const std::vector<std::string>& lines) {
        std::string text = "\r\n\r\n\r\nDifferences found in table T\r\n\r\n  " + column +
                           blanks(width > column.size() ? width - column.size() : 0) + "_\r\n";
        for (const std::string& line : lines) {
            text += "\r\n" + line;
        }
        return text;
    }
};

TEST_F(SnapshotBounds, AWidthRecordPadsRowsToTheWidestColumnAtMost) {
    struct Case {
        const char* width;
        std::size_t padded;
    };
    const Case cases[] = {
        {"12", 12},
        {"10000", kWidest},
        {"10001", kWidest},
        {"2000000000", kWidest},
        {"4294967295", kWidest},
        {"99999999999", kWidest},
        // A width the name needs more than: the name and one blank.
        {"-1", 3},
        {"-2000000000", 3},
        {"abc", 3},
        {"", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        writeSide("one.zsn", "T", "id", c.width, {"1"});
        writeSide("two.zsn", "T", "id", "2", {"2"});
        run();
        EXPECT_EQ(dataText(1, 1), differences("id", c.padded,
                                              {"< 1" + blanks(c.padded - 1) + " ",
                                               "> 2" + blanks(c.padded - 1) + " "}));
    }
}

// Texts wider than the widest column are shown whole, but pad nothing after them.
TEST_F(SnapshotBounds, LongNamesAndValuesWidenTheColumnOnlyUpToTheWidest) {
    const std::string column(kWidest + 2000, 'n');
    const std::string value = "b" + std::string(kWidest + 2000, 'x');
    writeSide("one.zsn", "T", column, "11", {"a"});
    writeSide("two.zsn", "T", column, "11", {value, "c"});
    run();
    EXPECT_EQ(dataText(1, 1), differences(column, kWidest,
                                          {"< a" + blanks(kWidest - 1) + " ", "> " + value + " ",
                                           "> c" + blanks(kWidest - 1) + " "}));
}

// The name column of the structure report is as wide as the longest name, up to the widest
// column; a longer name is cut there.
TEST_F(SnapshotBounds, AnObjectNameWiderThanTheWidestColumnIsCutInTheNameColumn) {
    allPhasesOff();
    session.settings.b_DoTabStruct = true;
    const std::string name(kWidest + 5000, 't');
    writeSide("one.zsn", name, "id", "11", {});
    writeSide("two.zsn", name, "other", "11", {});
    run();
    const std::string report = session.report.text();
    // Database 2's column is reported first, on the line that names the table.
    EXPECT_NE(report.find("\r\n" + name.substr(0, kWidest + 2) + "other"), std::string::npos);
    EXPECT_EQ(report.find("\r\n" + name.substr(0, kWidest + 3)), std::string::npos);
    EXPECT_LT(report.size(), 5 * kWidest + 2 * name.size());
}

} // namespace
} // namespace zentab::test
