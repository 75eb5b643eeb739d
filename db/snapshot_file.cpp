#include "db/snapshot_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <system_error>

namespace zentab {

namespace {

constexpr unsigned char kLongLength = 0xFF;
constexpr std::uint16_t kHugeLength = 0xFFFF;
constexpr std::uint16_t kWideText = 0xFFFE; // 16-bit text: never written, refused when read

std::string errorText(int code) {
    return std::error_code(code, std::generic_category()).message();
}

} // namespace

SnapshotFile::SnapshotFile(Key, FilePtr file, bool writing, long long size)
    : file_(std::move(file)), writing_(writing), buffer_(std::make_unique<char[]>(kBufferSize)),
      remaining_(size) {
    // Our own buffer does the batching; a second one inside stdio would only copy twice.
    std::setvbuf(file_.get(), nullptr, _IONBF, 0);
}

SnapshotFile::~SnapshotFile() {
    if (writing_ && file_) {
        flushBuffer();
    }
}

std::unique_ptr<SnapshotFile> SnapshotFile::openForReading(const std::string& path,
                                                           std::string& error) {
    errno = 0;
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = errorText(errno != 0 ? errno : ENOENT);
        return nullptr;
    }
    // The size bounds every length field, so a damaged length cannot ask for a huge allocation.
    struct stat info {};
    if (fstat(fileno(file.get()), &info) != 0) {
        error = errorText(errno);
        return nullptr;
    }
    if (!S_ISREG(info.st_mode)) {
        error = errorText(S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
        return nullptr;
    }
    return std::make_unique<SnapshotFile>(Key{}, std::move(file), false,
                                          static_cast<long long>(info.st_size));
}

std::unique_ptr<SnapshotFile> SnapshotFile::createForWriting(const std::string& path,
                                                             std::string& error) {
    errno = 0;
    FilePtr file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        error = errorText(errno != 0 ? errno : EIO);
        return nullptr;
    }
    return std::make_unique<SnapshotFile>(Key{}, std::move(file), true, 0);
}

bool SnapshotFile::fail() {
    failed_ = true;
    return false;
}

// Writing

bool SnapshotFile::flushBuffer() {
    if (pos_ == 0) {
        return true;
    }
    std::size_t written = std::fwrite(buffer_.get(), 1, pos_, file_.get());
    bool ok = written == pos_;
    pos_ = 0;
    return ok;
}

bool SnapshotFile::writeBytes(const char* source, std::size_t count) {
    while (count > 0) {
        if (pos_ == 0 && count >= kBufferSize) {
            // Large texts go straight to the file rather than through the buffer.
            return std::fwrite(source, 1, count, file_.get()) == count;
        }
        std::size_t part = std::min(count, kBufferSize - pos_);
        std::memcpy(buffer_.get() + pos_, source, part);
        pos_ += part;
        source += part;
        count -= part;
        if (pos_ == kBufferSize && !flushBuffer()) {
            return false;
        }
    }
    return true;
}

bool SnapshotFile::PutRecord(std::string_view text) {
    if (!writing_ || !file_ || failed_) {
        return false;
    }
    unsigned char header[7];
    std::size_t headerSize = 0;
    const std::size_t n = text.size();
    if (n <= 254) {
        header[headerSize++] = static_cast<unsigned char>(n);
    } else if (n <= 65533) {
        header[headerSize++] = kLongLength;
        header[headerSize++] = static_cast<unsigned char>(n & 0xFF);
        header[headerSize++] = static_cast<unsigned char>((n >> 8) & 0xFF);
    } else if (n <= 0xFFFFFFFFu) {
        header[headerSize++] = kLongLength;
        header[headerSize++] = 0xFF;
        header[headerSize++] = 0xFF;
        for (int shift = 0; shift < 32; shift += 8) {
            header[headerSize++] = static_cast<unsigned char>((n >> shift) & 0xFF);
        }
    } else {
        return fail();
    }
    if (!writeBytes(reinterpret_cast<const char*>(header), headerSize) ||
        !writeBytes(text.data(), n)) {
        return fail();
    }
    return true;
}

bool SnapshotFile::flush() {
    if (!writing_ || !file_ || failed_) {
        return false;
    }
    if (!flushBuffer() || std::fflush(file_.get()) != 0) {
        return fail();
    }
    return true;
}

bool SnapshotFile::close() {
    if (!file_) {
        return !failed_;
    }
    bool ok = true;
    if (writing_) {
        ok = !failed_ && flushBuffer();
    }
    if (std::fclose(file_.release()) != 0) {
        ok = false;
    }
    if (!ok) {
        failed_ = true;
    }
    return ok;
}

// Reading

bool SnapshotFile::fill() {
    pos_ = 0;
    end_ = 0;
    if (remaining_ <= 0) {
        return false;
    }
    std::size_t want = static_cast<std::size_t>(
        std::min<long long>(remaining_, static_cast<long long>(kBufferSize)));
    std::size_t got = std::fread(buffer_.get(), 1, want, file_.get());
    // A short read means the file shrank under us or could not be read: nothing more comes.
    remaining_ = got == want ? remaining_ - static_cast<long long>(got) : 0;
    end_ = got;
    return got > 0;
}

bool SnapshotFile::readBytes(char* destination, std::size_t count) {
    while (count > 0) {
        if (pos_ == end_) {
            if (count >= kBufferSize && remaining_ >= static_cast<long long>(count)) {
                // Large texts bypass the buffer.
                std::size_t got = std::fread(destination, 1, count, file_.get());
                remaining_ = got == count ? remaining_ - static_cast<long long>(got) : 0;
                return got == count;
            }
            if (!fill()) {
                return false;
            }
        }
        std::size_t part = std::min(count, end_ - pos_);
        std::memcpy(destination, buffer_.get() + pos_, part);
        pos_ += part;
        destination += part;
        count -= part;
    }
    return true;
}

bool SnapshotFile::GetRecord(std::string& text) {
    if (writing_ || !file_ || failed_) {
        return false;
    }
    unsigned char bytes[4];
    if (!readBytes(reinterpret_cast<char*>(bytes), 1)) {
        return fail();
    }
    std::uint64_t length = bytes[0];
    if (bytes[0] == kLongLength) {
        if (!readBytes(reinterpret_cast<char*>(bytes), 2)) {
            return fail();
        }
        std::uint16_t shortLength = static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
        if (shortLength == kWideText) {
            return fail();
        }
        length = shortLength;
        if (shortLength == kHugeLength) {
            if (!readBytes(reinterpret_cast<char*>(bytes), 4)) {
                return fail();
            }
            length = static_cast<std::uint64_t>(bytes[0]) |
                     (static_cast<std::uint64_t>(bytes[1]) << 8) |
                     (static_cast<std::uint64_t>(bytes[2]) << 16) |
                     (static_cast<std::uint64_t>(bytes[3]) << 24);
        }
    }
    // Check before allocating: a damaged length must fail, not reserve gigabytes.
    const std::uint64_t available =
        static_cast<std::uint64_t>(end_ - pos_) + static_cast<std::uint64_t>(remaining_);
    if (length > available) {
        return fail();
    }
    text.resize(static_cast<std::size_t>(length));
    if (!readBytes(text.data(), text.size())) {
        text.clear();
        return fail();
    }
    return true;
}

} // namespace zentab
