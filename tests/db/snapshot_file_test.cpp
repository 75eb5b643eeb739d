#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "db/snapshot_file.h"
#include "support/run_fixture.h"
#include "support/temp_dir.h"

namespace zentab {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;
using test::writeSnapshotRecords;

std::unique_ptr<SnapshotFile> openReader(const std::string& path) {
    std::string error;
    auto reader = SnapshotFile::openForReading(path, error);
    EXPECT_TRUE(reader) << error;
    return reader;
}

// Text whose every byte value occurs, so a shifted or dropped byte shows.
std::string patterned(std::size_t length, unsigned seed) {
    std::string text(length, '\0');
    for (std::size_t i = 0; i < length; ++i) {
        text[i] = static_cast<char>((i * 7 + seed) & 0xFF);
    }
    return text;
}

TEST(SnapshotFile, LengthFormsAreExact) {
    struct Case {
        std::size_t length;
        std::string header;
    };
    const Case cases[] = {
        {0, std::string("\x00", 1)},
        {11, "\x0b"},
        {254, "\xfe"},
        {255, std::string("\xff\xff\x00", 3)},
        {300, "\xff\x2c\x01"},
        {65533, "\xff\xfd\xff"},
        {65534, std::string("\xff\xff\xff\xfe\xff\x00\x00", 7)},
        {65536, std::string("\xff\xff\xff\x00\x00\x01\x00", 7)},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        const std::string path = dir.file("len" + std::to_string(c.length) + ".zsn");
        const std::string text = patterned(c.length, 3);
        writeSnapshotRecords(path, {text});
        EXPECT_EQ(readFile(path), c.header + text);

        auto reader = openReader(path);
        ASSERT_TRUE(reader);
        std::string read = "stale";
        ASSERT_TRUE(reader->GetRecord(read));
        EXPECT_EQ(read, text);
        EXPECT_FALSE(reader->GetRecord(read));
    }
}

TEST(SnapshotFile, RoundTripAcrossBufferBoundaries) {
    // A 4092-byte text behind a three-byte header puts the next (seven-byte) header across the
    // first 4096-byte boundary; the rest vary in length so that every header form and text lands
    // on later boundaries at many offsets.
    std::vector<std::string> records = {patterned(4092, 1), patterned(70000, 2), ""};
    std::uint32_t state = 12345;
    for (int i = 0; i < 600; ++i) {
        state = state * 1103515245u + 12345u;
        std::size_t length = (state >> 8) % 700;
        if (i % 50 == 0) {
            length = 65533 + (state >> 8) % 3;
        }
        records.push_back(patterned(length, static_cast<unsigned>(i)));
    }
    TempDir dir;
    const std::string path = dir.file("many.zsn");
    writeSnapshotRecords(path, records);

    auto reader = openReader(path);
    ASSERT_TRUE(reader);
    std::string text;
    for (std::size_t i = 0; i < records.size(); ++i) {
        ASSERT_TRUE(reader->GetRecord(text)) << "record " << i;
        ASSERT_EQ(text, records[i]) << "record " << i;
    }
    EXPECT_FALSE(reader->GetRecord(text));
}

TEST(SnapshotFile, EmptySnapshotLayoutAndEndOfFile) {
    namespace s = snapshot;
    std::vector<std::string> records = {std::string(s::kVersion)};
    for (std::string_view section : {s::kTables, s::kColumns, s::kIndex, s::kData, s::kViews,
                                     s::kViewColumns, s::kViewData, s::kProcs, s::kProcColumns}) {
        records.emplace_back(section);
        records.emplace_back(s::kEndMarker);
    }
    ASSERT_EQ(records.size(), 19u);
    TempDir dir;
    const std::string path = dir.file("empty.zsn");
    writeSnapshotRecords(path, records);

    const std::string bytes = readFile(path);
    EXPECT_EQ(bytes.substr(0, 28), "\x0bVersion 5.0\x0f<<<START TABLES");
    EXPECT_EQ(bytes.substr(28, 15), "\x0e@#$%$%&^$!@@#$");

    auto reader = openReader(path);
    ASSERT_TRUE(reader);
    std::string text;
    for (const std::string& expected : records) {
        ASSERT_TRUE(reader->GetRecord(text));
        EXPECT_EQ(text, expected);
    }
    EXPECT_FALSE(reader->GetRecord(text));
    EXPECT_FALSE(reader->GetRecord(text));
}

TEST(SnapshotFile, TruncatedFileFailsEveryLaterRead) {
    TempDir dir;
    const std::string whole = dir.file("whole.zsn");
    writeSnapshotRecords(whole, {"first", "second", patterned(70000, 5), "never"});
    const std::string bytes = readFile(whole);
    const std::size_t third = 1 + 5 + 1 + 6; // where the long record's header begins

    // Cut inside the long record's header, inside its length, and inside its text.
    for (std::size_t cut : {third + 1, third + 5, third + 7 + 4096, bytes.size() - 7}) {
        SCOPED_TRACE(cut);
        const std::string path = dir.file("cut.zsn");
        writeFile(path, bytes.substr(0, cut));
        auto reader = openReader(path);
        ASSERT_TRUE(reader);
        std::string text;
        ASSERT_TRUE(reader->GetRecord(text));
        EXPECT_EQ(text, "first");
        ASSERT_TRUE(reader->GetRecord(text));
        EXPECT_EQ(text, "second");
        EXPECT_FALSE(reader->GetRecord(text));
        EXPECT_FALSE(reader->GetRecord(text));
        EXPECT_FALSE(reader->GetRecord(text));

        // Reopening starts afresh.
        reader = openReader(path);
        ASSERT_TRUE(reader);
        ASSERT_TRUE(reader->GetRecord(text));
        EXPECT_EQ(text, "first");
    }
}

TEST(SnapshotFile, ImpossibleLengthsAreReadFailures) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        // Claims 2 GiB with three bytes behind it: must fail without reserving the memory.
        {"32-bit length beyond the file", std::string("\xff\xff\xff\xff\xff\xff\x7f"
                                                      "abc",
                                                      10)},
        {"16-bit length beyond the file", std::string("\xff\x00\x10"
                                                      "abc",
                                                      6)},
        {"one-byte length beyond the file", std::string("\x05"
                                                        "abc",
                                                        4)},
        // 16-bit text records are never written; this reader refuses them.
        {"16-bit text marker", std::string("\xff\xfe\xff\x02\x00"
                                           "a\0b\0",
                                           9)},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("bad.zsn");
        writeFile(path, std::string("\x02ok", 3) + c.bytes);
        auto reader = openReader(path);
        ASSERT_TRUE(reader);
        std::string text;
        ASSERT_TRUE(reader->GetRecord(text));
        EXPECT_EQ(text, "ok");
        EXPECT_FALSE(reader->GetRecord(text));
        EXPECT_LT(text.capacity(), 1024u);
        EXPECT_FALSE(reader->GetRecord(text));
    }
}

TEST(SnapshotFile, OpeningFailuresCarryTheSystemText) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(SnapshotFile::openForReading(dir.file("missing.zsn"), error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_FALSE(SnapshotFile::openForReading(dir.path().string(), error));
    EXPECT_EQ(error, "Is a directory");
    EXPECT_FALSE(SnapshotFile::createForWriting(dir.file("no/such/folder.zsn"), error));
    EXPECT_EQ(error, "No such file or directory");
}

TEST(SnapshotFile, CreatingReplacesAnExistingFile) {
    TempDir dir;
    const std::string path = dir.file("old.zsn");
    writeFile(path, std::string(10000, 'x'));
    writeSnapshotRecords(path, {"new"});
    EXPECT_EQ(readFile(path), "\x03new");
}

} // namespace
} // namespace zentab
