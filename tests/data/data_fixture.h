#pragma once
// A comparison run over two real databases with the data phases on, and the pieces of the
// report the data tests look at. Test thread only.

#include <string>
#include <vector>

#include "support/odbc_fixture.h"
#include "support/run_fixture.h"

namespace zentab::test {

class DataRun : public RunFixture {
protected:
    DataRun();

    // Two SQLite databases in the test's folder, created by these statements.
    void sqliteSides(const std::vector<std::string>& sql1, const std::vector<std::string>& sql2,
                     bool streaming = false);
    std::string sqlite1() const { return sqliteConnectString(dir.file("one.db")); }
    std::string sqlite2() const { return sqliteConnectString(dir.file("two.db")); }

    // Starts the run and waits for its end.
    void run();

    // The report of a finished run must be the header, the count lines of one list phase
    // (tables, or views when `views`), the text of the data phase and the end line; returns the
    // data phase's text, or fails the test.
    std::string dataText(int count1, int count2, bool views = false) const;
    // The colour of the report text at `offset`.
    Rgb colourAt(std::size_t offset) const;
    // Whether the host was called with exactly this line (see RecordingHost).
    bool hostCalled(const std::string& line) const;
    // The common object named `name` (Database 2's entry).
    const ObjectEntry* common(const std::string& name, bool view = false) const;

    static std::string countLines(const char* one, const char* many, int count1,
                                  const std::string& name1, int count2, const std::string& name2);
};

// The text with each run of blanks cut to one: drivers give wide columns widths of hundreds, and
// the layout is checked elsewhere.
inline std::string squeezed(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c != ' ' || out.empty() || out.back() != ' ') {
            out += c;
        }
    }
    return out;
}

inline constexpr const char* kEndLine = "\r\n\r\n--- End of Zentab --- Elapsed Time: 00:00:00 ---";

} // namespace zentab::test
