#pragma once
// A file written by the report: output file, autosave file, saved report and CSV export.
// Unbuffered, so that a write error belongs to the piece that caused it. Owned by one thread at
// a time (the worker during a run, the window thread for the save commands).

#include <string>
#include <string_view>

namespace zentab {

class ReportFile {
public:
    ReportFile() = default;
    ~ReportFile();
    ReportFile(ReportFile&& other) noexcept;
    ReportFile& operator=(ReportFile&& other) noexcept;
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    // Creates the file or truncates an existing one.
    bool create(const std::string& path);
    // Opens an existing file for writing without truncating it.
    bool openExisting(const std::string& path);
    bool seekToEnd();
    // Writes all of `bytes` or fails; a failure may leave part of them in the file.
    bool write(std::string_view bytes);
    // Closes the file; false when the system reports a late write error.
    bool close();

    bool isOpen() const { return fd_ >= 0; }
    // errno of the last failed operation.
    int error() const { return error_; }

private:
    bool fail();

    int fd_ = -1;
    int error_ = 0;
};

// The system's description of an error number, at most 255 characters.
std::string systemErrorText(int error);

} // namespace zentab
