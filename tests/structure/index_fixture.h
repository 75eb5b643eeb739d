#pragma once
// Comparison runs of the index phase: the real table-list phase pairs the tables of two real
// databases (SQLite3 files, schemas on the PostgreSQL test server) or snapshot files, then the
// index phase runs; every other phase is off. Test thread only.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/run_fixture.h"

namespace zentab::test {

using Sql = std::vector<std::string>;

inline const std::string kUnique = "    UNIQUE ";
inline const std::string kNotUnique = "NOT UNIQUE ";
inline const std::string kNotFound = "Not Found";

// The index section's header under the display names "alpha" and "beta", for a table-name
// column `width` wide.
std::string indexHeader(std::size_t width);

// One reported index of a table whose name column is `width` wide: the table's name on its
// first entry, blanks on the later ones; then the column pairs of a differing index.
struct IndexLine {
    std::string table; // empty on a table's later entries
    std::string index;
    std::string uniqueness1;
    std::string uniqueness2;
    std::vector<std::pair<std::string, std::string>> columns;
};
std::string indexLines(std::size_t width, const std::vector<IndexLine>& lines);

class IndexRun : public RunFixture {
protected:
    IndexRun();
    void TearDown() override;

    // A SQLite3 database in the temporary folder, created by `statements`, shown as `shownAs`.
    std::unique_ptr<DatabaseSource> sqlite(const std::string& file, const Sql& statements,
                                           const std::string& shownAs);
    // An on-line side qualified by `schema` on the PostgreSQL test server, created empty and
    // filled by `statements` (which name their objects unqualified).
    std::unique_ptr<DatabaseSource> postgres(const std::string& server, const std::string& schema,
                                             const Sql& statements, const std::string& shownAs);
    // A schema name of this test and process, dropped at the end of the test.
    std::string schemaName(const std::string& suffix);

    void sqliteSides(const Sql& sql1, const Sql& sql2) {
        useSide(1, sqlite("one.db", sql1, "alpha"));
        useSide(2, sqlite("two.db", sql2, "beta"));
    }

    // Runs the comparison and waits for its end.
    void run();

    // What the phases after the table list wrote, without the end line.
    std::string section() const;
    // The same with each run of one colour tagged: [1] Database 1, [2] Database 2, [C] common
    // objects, [E] messages, [T] text.
    std::string taggedSection() const;

    std::size_t listEnd_ = 0; // written by the worker, read after it has ended
    std::vector<std::string> schemas_;
    std::string server_;
};

} // namespace zentab::test
