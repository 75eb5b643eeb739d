#include "support/run_fixture.h"

#include <algorithm>
#include <thread>

#include "db/snapshot_file.h"

namespace zentab::test {

std::vector<std::string> readSnapshotRecords(const std::string& path) {
    std::string error;
    auto file = SnapshotFile::openForReading(path, error);
    EXPECT_TRUE(file) << error;
    std::vector<std::string> records;
    std::string record;
    while (file && file->GetRecord(record)) {
        records.push_back(record);
    }
    return records;
}

void writeSnapshotRecords(const std::string& path, const std::vector<std::string>& records) {
    std::string error;
    auto file = SnapshotFile::createForWriting(path, error);
    ASSERT_TRUE(file) << error;
    for (const std::string& record : records) {
        ASSERT_TRUE(file->PutRecord(record));
    }
    ASSERT_TRUE(file->close());
}

std::string colourTagged(const ReportDocument& report, std::size_t from, std::size_t to) {
    const ReportColours colours;
    std::string text;
    std::vector<ReportRun> runs;
    report.snapshot(text, runs);
    to = std::min(to, text.size());
    std::string out;
    for (const ReportRun& run : runs) {
        const std::size_t start = std::max(run.start, from);
        const std::size_t end = std::min(run.start + run.length, to);
        if (start >= end) {
            continue;
        }
        const char* tag = run.colour == colours.database1   ? "[1]"
                          : run.colour == colours.database2 ? "[2]"
                          : run.colour == colours.common    ? "[C]"
                          : run.colour == colours.error     ? "[E]"
                                                            : "[T]";
        out += tag + text.substr(start, end - start);
    }
    return out;
}

void writeEmptySnapshot(const std::string& path) {
    std::vector<SnapshotSection> sections;
    for (std::string_view marker :
         {snapshot::kTables, snapshot::kColumns, snapshot::kIndex, snapshot::kData,
          snapshot::kViews, snapshot::kViewColumns, snapshot::kViewData, snapshot::kProcs,
          snapshot::kProcColumns}) {
        sections.push_back({marker, {}});
    }
    writeSnapshot(path, sections);
}

void writeSnapshot(const std::string& path, const std::vector<SnapshotSection>& sections) {
    std::string error;
    auto file = SnapshotFile::createForWriting(path, error);
    ASSERT_TRUE(file) << error;
    ASSERT_TRUE(file->PutRecord(snapshot::kVersion));
    for (const SnapshotSection& section : sections) {
        ASSERT_TRUE(file->PutRecord(section.marker));
        for (const std::string& record : section.records) {
            ASSERT_TRUE(file->PutRecord(record));
        }
        if (!section.open) {
            ASSERT_TRUE(file->PutRecord(snapshot::kEndMarker));
        }
    }
    ASSERT_TRUE(file->close());
}

RunFixture::RunFixture() {
    writeEmptySnapshot(dir.file("one.zsn"));
    writeEmptySnapshot(dir.file("two.zsn"));
    session.side1 = DatabaseSource::ConnectInteractive(host, true, dir.file("one.zsn"), nullptr,
                                                       session.preferences.specialCharacters);
    session.side2 = DatabaseSource::ConnectInteractive(host, true, dir.file("two.zsn"), nullptr,
                                                       session.preferences.specialCharacters);
    session.sideDefined1 = session.sideDefined2 = true;
    driver = std::make_unique<RunDriver>(session);
    driver->setClock([] { return std::time_t{1000}; });
}

void RunFixture::allPhasesOff() {
    CompareSettings& s = session.settings;
    s.b_DoTabStruct = s.b_DoIndex = s.b_DoTabData = false;
    s.b_DoViewStruct = s.b_DoViewData = s.b_DoProcStruct = false;
}

void RunFixture::waitForEnd(std::chrono::seconds limit) {
    ASSERT_TRUE(waitUntil([this] { return !driver->workerActive(); }, limit))
        << "the worker did not end";
    driver->join();
}

} // namespace zentab::test

namespace zentab::test {

void RunFixture::useSide(int number, std::unique_ptr<DatabaseSource> side) {
    (number == 1 ? session.side1 : session.side2) = std::move(side);
    (number == 1 ? session.sideDefined1 : session.sideDefined2) = true;
}

std::unique_ptr<DatabaseSource> RunFixture::connectSide(const std::string& connectString,
                                                        const std::string& owner) {
    auto side = DatabaseSource::ConnectStored(host, connectString, owner, "0",
                                              session.preferences.specialCharacters);
    if (side->notUsable) {
        ADD_FAILURE() << "cannot connect to " << connectString << ": "
                      << testing::PrintToString(host.messages());
        return side;
    }
    if (owner.empty()) {
        side->SelectOwner("", false); // not even the user's own schema
    } else if (side->s_DatabaseUser != owner) {
        ADD_FAILURE() << "the side is not qualified by \"" << owner << "\" but by \""
                      << side->s_DatabaseUser << "\"";
    }
    return side;
}

std::unique_ptr<DatabaseSource> RunFixture::snapshotSide(const std::string& path) {
    auto side = DatabaseSource::ConnectInteractive(host, true, path, nullptr,
                                                   session.preferences.specialCharacters);
    if (side->notUsable) {
        ADD_FAILURE() << "cannot open " << path;
    }
    return side;
}

} // namespace zentab::test
