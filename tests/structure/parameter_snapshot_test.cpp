#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compare/phases.h"
#include "db/snapshot_file.h"
#include "structure/column_fixture.h"
#include "support/run_fixture.h"

namespace zentab::test {
namespace {

const std::string kEnd(snapshot::kEndMarker);

class ParameterSnapshot : public ColumnFixture {};

// Two snapshot sides: parameter entries are four records, and procedures are found by a forward
// search whose case follows the procedure option, not the table one.
TEST_F(ParameterSnapshot, BlocksOfTwoSnapshots) {
    const std::string path1 = dir.file("one.zsn");
    const std::string path2 = dir.file("two.zsn");
    // clang-format off
    writeSnapshot(path1, {{snapshot::kProcColumns, {
        "OTHER", "p", "IN     INTEGER(10)", "Y", "11", kEnd,
        "GET_ORDER",
        "ID", "IN     INTEGER(10)", "Y", "11",
        "total", "   OUT NUMERIC(28)", "N", "30",
        kEnd}, true}});
    writeSnapshot(path2, {{snapshot::kProcColumns, {
        "get_order",
        "id", "IN     INTEGER(10)", "yes", "11", // only "Y" is orderable
        "total", "   OUT NUMERIC(28)", "Y", "30",
        "extra", "RESULT VARCHAR(255)", "Y", "255",
        kEnd}, true}});
    // clang-format on
    const auto line = [](bool first, const std::string& name, const std::string& d1,
                         const std::string& d2) {
        return "\r\n" + cell(first ? "get_order" : "", 11) + cell(name, 30) + cell(d1, 32) + d2;
    };
    struct Case {
        const char* what;
        bool ignoreProcedureCase;
        std::string lines;
    };
    const Case cases[] = {
        {"found ignoring case", true,
         line(true, "extra", "Not Found", "RESULT VARCHAR(255)") + "\r\n"},
        {"not found with case", false,
         line(true, "id", "Not Found", "IN     INTEGER(10)") +
             line(false, "total", "Not Found", "   OUT NUMERIC(28)") +
             line(false, "extra", "Not Found", "RESULT VARCHAR(255)") + "\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        session.clearCommonLists();
        session.report.clear();
        session.longestName[2] = 0;
        session.settings.b_IgnoreProcCase = c.ignoreProcedureCase;
        session.settings.b_IgnoreTabCase = !c.ignoreProcedureCase;
        session.side1 = snapshotSide(path1, "one.zsn");
        session.side2 = snapshotSide(path2, "two.zsn");
        pair(ObjectKind::Procedures, {{"get_order", "get_order"}});

        compareProcedureParameters(session);

        EXPECT_EQ(report(), columnHeader("procedures", 11, "one.zsn", "two.zsn", 109) + c.lines);
        const ObjectEntry& procedure = *session.commonProcedures[0];
        EXPECT_FALSE(procedure.compareData);
        ASSERT_EQ(procedure.columns.size(), 3u);
        if (c.ignoreProcedureCase) {
            EXPECT_EQ(procedure.columns[0].name, "ID");
            EXPECT_FALSE(procedure.columns[0].orderable);
            EXPECT_FALSE(procedure.columns[1].orderable);
            EXPECT_EQ(procedure.columns[1].displayWidth, 30);
            EXPECT_TRUE(procedure.columns[2].orderable);
        }
    }
}

} // namespace
} // namespace zentab::test
