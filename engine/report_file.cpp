#include "engine/report_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace zentab {

ReportFile::~ReportFile() {
    close();
}

ReportFile::ReportFile(ReportFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), error_(other.error_) {}

ReportFile& ReportFile::operator=(ReportFile&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        error_ = other.error_;
    }
    return *this;
}

bool ReportFile::fail() {
    error_ = errno;
    return false;
}

bool ReportFile::create(const std::string& path) {
    close();
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return fd_ >= 0 || fail();
}

bool ReportFile::openExisting(const std::string& path) {
    close();
    fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    return fd_ >= 0 || fail();
}

bool ReportFile::seekToEnd() {
    return ::lseek(fd_, 0, SEEK_END) != static_cast<off_t>(-1) || fail();
}

bool ReportFile::write(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail();
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool ReportFile::close() {
    if (fd_ < 0) {
        return true;
    }
    // Linux releases the descriptor even when close reports an error, so never retry.
    int result = ::close(std::exchange(fd_, -1));
    return result == 0 || fail();
}

std::string systemErrorText(int error) {
    std::string text = std::strerror(error);
    if (text.size() > 255) {
        text.resize(255);
    }
    return text;
}

} // namespace zentab
