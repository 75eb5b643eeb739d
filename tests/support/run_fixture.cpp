#include "support/run_fixture.h"

#include <thread>

#include "db/snapshot_file.h"

namespace zentab::test {

void writeEmptySnapshot(const std::string& path) {
    std::string error;
    auto file = SnapshotFile::createForWriting(path, error);
    ASSERT_TRUE(file) << error;
    ASSERT_TRUE(file->PutRecord(snapshot::kVersion));
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
