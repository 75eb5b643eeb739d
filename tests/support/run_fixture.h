#pragma once
// A session with two snapshot sides that hold no objects, a recording host and a run driver:
// enough for a run to start, call its phases and end, without any database.

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "compare/phases.h"
#include "engine/run_driver.h"
#include "engine/session.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

namespace zentab::test {

// Writes the snapshot of a database that holds nothing, taken with every phase off: the
// version record and the nine sections, each empty.
void writeEmptySnapshot(const std::string& path);

// One section of a snapshot file: its marker, its records, and the end marker unless `open`.
struct SnapshotSection {
    std::string_view marker;
    std::vector<std::string> records;
    bool open = false;
};
// Writes the version record and the sections in the order given.
void writeSnapshot(const std::string& path, const std::vector<SnapshotSection>& sections);

// Every record of a snapshot file, the version record first.
std::vector<std::string> readSnapshotRecords(const std::string& path);
// Writes exactly these records.
void writeSnapshotRecords(const std::string& path, const std::vector<std::string>& records);

// The report text from `from` up to `to` with each run of one colour tagged: [1] Database 1,
// [2] Database 2, [C] common objects, [E] messages, [T] anything else.
std::string colourTagged(const ReportDocument& report, std::size_t from = 0,
                         std::size_t to = std::string::npos);

class RunFixture : public ::testing::Test {
protected:
    RunFixture();

    // Every phase off, so that a test switches on only what it looks at.
    void allPhasesOff();
    // Replaces side 1 or 2 of the session with `side`, attached to the session.
    void useSide(int number, std::unique_ptr<DatabaseSource> side);
    // An on-line side from a stored connect string, qualified by schema `owner` or by nothing;
    // attached to nothing yet. A side that cannot be used fails the test.
    std::unique_ptr<DatabaseSource> connectSide(const std::string& connectString,
                                                const std::string& owner = "");
    // A snapshot side reading `path`.
    std::unique_ptr<DatabaseSource> snapshotSide(const std::string& path);
    // Waits (bounded) until the worker has ended; fails the test when it does not.
    void waitForEnd(std::chrono::seconds limit = std::chrono::seconds(30));
    // Waits (bounded) until `condition` holds.
    template <typename Condition>
    bool waitUntil(Condition condition, std::chrono::seconds limit = std::chrono::seconds(30)) {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    TempDir dir;
    RecordingHost host;
    Session session{host, standardPhases()};
    std::unique_ptr<RunDriver> driver;
};

} // namespace zentab::test
