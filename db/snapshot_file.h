#pragma once
// Forward-only reader or writer of the length-prefixed string records of a snapshot file.
// Owned by one side (reading) or one snapshot run (writing); used by one thread at a time.

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace zentab {

namespace snapshot {
inline constexpr std::string_view kVersion = "Version 5.0";
inline constexpr std::string_view kEndMarker = "@#$%$%&^$!@@#$";
inline constexpr std::string_view kTables = "<<<START TABLES";
inline constexpr std::string_view kColumns = "<<<START COLUMNS";
inline constexpr std::string_view kIndex = "<<<START INDEX";
inline constexpr std::string_view kData = "<<<START DATA";
inline constexpr std::string_view kViews = "<<<START VIEWS";
inline constexpr std::string_view kViewColumns = "<<<START VIEW COLUMNS";
inline constexpr std::string_view kViewData = "<<<START VIEW DATA";
inline constexpr std::string_view kProcs = "<<<START PROCS";
inline constexpr std::string_view kProcColumns = "<<<START PROC COLUMNS";
} // namespace snapshot

// Records are a length (one byte up to 254; 0xFF and 16 bits up to 65533; 0xFF, 0xFFFF and 32
// bits beyond; little-endian) followed by the text. The reader refuses the never-written 16-bit
// text form (0xFF 0xFFFE) as a read failure.
class SnapshotFile {
public:
    static constexpr std::size_t kBufferSize = 4096;

    // Nullptr on failure, with the system's description of the error in `error`.
    static std::unique_ptr<SnapshotFile> openForReading(const std::string& path,
                                                        std::string& error);
    // Creates (or replaces) the file.
    static std::unique_ptr<SnapshotFile> createForWriting(const std::string& path,
                                                          std::string& error);

    ~SnapshotFile();
    SnapshotFile(const SnapshotFile&) = delete;
    SnapshotFile& operator=(const SnapshotFile&) = delete;

    // Writing. False on a write error; after one, every later call fails too.
    bool PutRecord(std::string_view text);
    bool flush();
    // Flushes and closes; false when anything could not be written.
    bool close();

    // Reading. False on a read failure (end of file, a truncated record, a length that the rest
    // of the file cannot hold); after one, every later call fails too.
    bool GetRecord(std::string& text);
    // A read or write failed (for a reader: the file ended where a record or marker was still
    // looked for): what the file was to give was not all given.
    bool failed() const { return failed_; }

private:
    struct FileCloser {
        void operator()(std::FILE* file) const noexcept { std::fclose(file); }
    };
    using FilePtr = std::unique_ptr<std::FILE, FileCloser>;
    struct Key {}; // only the two factories construct

public:
    SnapshotFile(Key, FilePtr file, bool writing, long long size);

private:
    bool fill();
    bool readBytes(char* destination, std::size_t count);
    bool writeBytes(const char* source, std::size_t count);
    bool flushBuffer();
    bool fail();

    FilePtr file_;
    bool writing_ = false;
    bool failed_ = false;
    std::unique_ptr<char[]> buffer_;
    std::size_t pos_ = 0;     // reading: next byte in the buffer; writing: bytes held
    std::size_t end_ = 0;     // reading: bytes in the buffer
    long long remaining_ = 0; // reading: bytes of the file not yet read into the buffer
};

} // namespace zentab
