#pragma once
// A session whose common lists the tests pair by hand, with sides on real databases (SQLite3
// files in a temporary folder, the PostgreSQL test server) or snapshot files. Test thread only.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "compare/phases.h"
#include "db/database_source.h"
#include "engine/session.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

namespace zentab::test {

using NamePairs = std::vector<std::pair<std::string, std::string>>;

// A field of the report: `text` padded with blanks or cut to `width`.
std::string cell(const std::string& text, std::size_t width);

// One reported column line: name and the two descriptions.
struct Line {
    const char* column;
    const char* description1;
    const char* description2;
};

// The lines of one object, the first naming it, and the object's closing line end.
std::string objectLines(const std::string& object, std::size_t width,
                        const std::vector<Line>& lines);

// The section's header as the user sees it: "tables", "views" or "procedures", the object
// column's width and the length of the rule under it.
std::string columnHeader(const std::string& kind, std::size_t width, const std::string& name1,
                         const std::string& name2, std::size_t rule);

// The session and its helpers, for fixtures of either kind of server.
class ColumnTools {
protected:
    ColumnTools();

    // An on-line side, shown under `shownAs` so that reports have fixed text.
    std::unique_ptr<DatabaseSource> online(const std::string& connectString,
                                           const std::string& owner, const std::string& shownAs);
    // A SQLite3 database in the temporary folder, created by `statements`.
    std::unique_ptr<DatabaseSource> sqlite(const std::string& file,
                                           const std::vector<std::string>& statements,
                                           const std::string& shownAs);
    // A snapshot side, opened for reading as a run opens it.
    std::unique_ptr<DatabaseSource> snapshotSide(const std::string& path,
                                                 const std::string& shownAs);

    // What the list comparison leaves for the later phases: each pair (Database 1's name,
    // Database 2's name) in both sides' lists, the common list holding Database 2's entries,
    // the longest name, and the control panel's entries.
    void pair(ObjectKind kind, const NamePairs& names);
    // The same for a snapshot run, which lists Database 1 alone.
    void listForSnapshot(ObjectKind kind, const std::vector<std::string>& names);

    std::vector<ObjectEntry*>& common(ObjectKind kind) {
        return kind == ObjectKind::Views        ? session.commonViews
               : kind == ObjectKind::Procedures ? session.commonProcedures
                                                : session.commonTables;
    }
    std::string report() const { return session.report.text(); }

    TempDir dir;
    RecordingHost host;
    Session session{host, standardPhases()};
};

class ColumnFixture : public ::testing::Test, protected ColumnTools {};

} // namespace zentab::test
