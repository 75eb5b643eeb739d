#include "compare/data/row_sorter.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "base/text.h"
#include "db/row_text.h"

namespace zentab {

namespace {

// Often enough for Stop and Skip to answer at once, rarely enough to cost nothing.
constexpr std::size_t kRowsPerCheck = 256;
// Runs merged at once: each holds an open file and its read buffer.
constexpr std::size_t kMergeFanIn = 32;
constexpr std::size_t kReadBuffer = std::size_t{16} << 10;
constexpr std::size_t kWriteBuffer = std::size_t{64} << 10;

std::string systemError(int error) {
    return std::error_code(error, std::generic_category()).message();
}

std::string cannotWrite(const std::string& path, int error) {
    return "the temporary file " + path + " could not be written (" + systemError(error) + ").";
}

std::string cannotRead(const std::string& path, int error) {
    return "the temporary file " + path + " could not be read back (" +
           (error != 0 ? systemError(error) : std::string("it ends too soon")) + ").";
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// A run file being written: each row as its length (eight bytes, this machine's order) and its
// bytes, so that a row may hold any byte.
class RunWriter {
public:
    bool open(const std::string& path) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            return failed();
        }
        file_.reset(::fdopen(fd, "wb"));
        if (!file_) {
            failed();
            ::close(fd);
            return false;
        }
        std::setvbuf(file_.get(), nullptr, _IOFBF, kWriteBuffer);
        return true;
    }

    bool put(std::string_view row) {
        const std::uint64_t length = row.size();
        if (std::fwrite(&length, sizeof length, 1, file_.get()) != 1 ||
            (!row.empty() && std::fwrite(row.data(), row.size(), 1, file_.get()) != 1)) {
            return failed();
        }
        return true;
    }

    // Whatever the buffer still holds reaches the file here, so a full disk shows here too.
    bool close() {
        if (!file_) {
            return false;
        }
        const bool flushed = std::fflush(file_.get()) == 0 || failed();
        const bool closed = std::fclose(file_.release()) == 0 || failed();
        return flushed && closed && error_ == 0;
    }

    // The first failure's errno.
    int error() const { return error_; }

private:
    bool failed() {
        if (error_ == 0) {
            error_ = errno != 0 ? errno : EIO;
        }
        return false;
    }

    File file_;
    int error_ = 0;
};

} // namespace

// A private folder for the run files, made with mode 0700 and removed with all it holds however
// the sort ends.
class SortedRows::TempFolder {
public:
    explicit TempFolder(std::string path) : path_(std::move(path)) {}
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// One run file read back in order, its current row at hand.
class SortedRows::RunReader {
public:
    enum class Read { Row, End, Failed };

    bool open(const std::string& path) {
        path_ = path;
        file_.reset(std::fopen(path.c_str(), "rbe"));
        if (!file_) {
            return false;
        }
        std::setvbuf(file_.get(), nullptr, _IOFBF, kReadBuffer);
        return true;
    }

    Read read(Entry& entry, bool foldCase) {
        std::uint64_t length = 0;
        errno = 0;
        const std::size_t got = std::fread(&length, 1, sizeof length, file_.get());
        if (got == 0 && std::feof(file_.get()) != 0) {
            return Read::End;
        }
        if (got != sizeof length) {
            return failed();
        }
        entry.row.resize(length);
        if (length > 0 && std::fread(entry.row.data(), length, 1, file_.get()) != 1) {
            return failed();
        }
        if (foldCase) {
            upperCaseInto(entry.row, entry.folded);
        }
        return Read::Row;
    }

    const std::string& path() const { return path_; }
    // errno of the failed read, 0 when the file just ended too soon.
    int error() const { return error_; }
    Entry current;

private:
    Read failed() {
        error_ = std::ferror(file_.get()) != 0 ? errno : 0;
        return Read::Failed;
    }

    std::string path_;
    File file_;
    int error_ = 0;
};

SortedRows::SortedRows(RowSource& source, SortSetup setup)
    : source_(source), setup_(std::move(setup)), comparator_(setup_.order),
      foldCase_(setup_.order.ignoreCase) {}

SortedRows::~SortedRows() {
    // The files close before their folder goes.
    readers_.clear();
    folder_.reset();
}

bool SortedRows::less(const Entry& a, const Entry& b) {
    return comparator_.compareFolded(foldCase_ ? a.folded : a.row, foldCase_ ? b.folded : b.row,
                                     false) < 0;
}

bool SortedRows::check() {
    if (++rowsSinceCheck_ < kRowsPerCheck) {
        return true;
    }
    rowsSinceCheck_ = 0;
    return !setup_.keepGoing || setup_.keepGoing();
}

bool SortedRows::fail(std::string text) {
    failure_ = "The rows could not be sorted: " + std::move(text);
    return false;
}

std::string SortedRows::newRunPath() {
    return folder_->path() + "/run" + std::to_string(runsWritten_ + 1);
}

// A bottom-up merge sort of its own: it only ever looks inside the ranges it merges, so an
// order that is not transitive for some odd values (numbers by value beside text byte-wise)
// gives some order of the same rows, never a read out of bounds. Equal rows keep their order.
void SortedRows::sortMemory() {
    const std::size_t n = memory_.size();
    std::vector<Entry> other(n);
    for (std::size_t width = 1; width < n; width *= 2) {
        for (std::size_t low = 0; low < n; low += 2 * width) {
            const std::size_t middle = std::min(low + width, n);
            const std::size_t high = std::min(low + 2 * width, n);
            std::size_t i = low;
            std::size_t j = middle;
            std::size_t k = low;
            while (i < middle && j < high) {
                other[k++] = std::move(less(memory_[j], memory_[i]) ? memory_[j++] : memory_[i++]);
            }
            while (i < middle) {
                other[k++] = std::move(memory_[i++]);
            }
            while (j < high) {
                other[k++] = std::move(memory_[j++]);
            }
        }
        memory_.swap(other);
    }
}

void SortedRows::prepare(Entry& entry) {
    if (setup_.stripDigests) {
        stripLongValueDigests(entry.row);
    }
    if (foldCase_) {
        upperCaseInto(entry.row, entry.folded);
    }
}

bool SortedRows::spill() {
    if (!folder_) {
        const char* tmp = std::getenv("TMPDIR");
        const std::string parent = !setup_.tempParent.empty()       ? setup_.tempParent
                                   : tmp != nullptr && *tmp != '\0' ? std::string(tmp)
                                                                    : std::string("/tmp");
        std::string pattern = parent + "/zentab-sort-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            const int error = errno;
            return fail("no temporary folder could be made in " + parent + " (" +
                        systemError(error) + ").");
        }
        folder_ = std::make_unique<TempFolder>(pattern);
    }
    sortMemory();
    const std::string path = newRunPath();
    RunWriter writer;
    bool written = writer.open(path);
    for (std::size_t i = 0; written && i < memory_.size(); ++i) {
        written = writer.put(memory_[i].row);
    }
    if (!writer.close() || !written) {
        return fail(cannotWrite(path, writer.error()));
    }
    ++runsWritten_;
    runs_.push_back(path);
    memory_.clear();
    memoryBytes_ = 0;
    return true;
}

SortEnd SortedRows::sort() {
    std::string fetched;
    while (true) {
        if (!check()) {
            return SortEnd::GivenUp;
        }
        const FetchResult result = source_.next(fetched);
        if (result == FetchResult::Error) {
            return SortEnd::SourceFailed;
        }
        if (result == FetchResult::End) {
            break;
        }
        // Kept at its length: the buffer a source fills may be far larger.
        Entry entry{fetched, {}};
        prepare(entry);
        // The entry, its slot in the sort's second buffer and both texts.
        memoryBytes_ += 2 * sizeof(Entry) + entry.row.capacity() + entry.folded.capacity();
        memory_.push_back(std::move(entry));
        if (memoryBytes_ > setup_.memoryBudget && !spill()) {
            return SortEnd::FileFailed;
        }
    }
    if (runs_.empty()) {
        sortMemory();
        sorted_ = true;
        return SortEnd::Sorted;
    }
    if (!memory_.empty() && !spill()) {
        return SortEnd::FileFailed;
    }
    // Too many runs to hold open at once are merged, a group at a time, into longer ones.
    while (runs_.size() > kMergeFanIn) {
        std::vector<std::string> group(runs_.begin(), runs_.begin() + kMergeFanIn);
        runs_.erase(runs_.begin(), runs_.begin() + kMergeFanIn);
        const std::string output = newRunPath();
        if (!mergeRuns(group, output)) {
            return failure_.empty() ? SortEnd::GivenUp : SortEnd::FileFailed;
        }
        ++runsWritten_;
        runs_.push_back(output);
    }
    if (!openMerge(runs_)) {
        return SortEnd::FileFailed;
    }
    sorted_ = true;
    return SortEnd::Sorted;
}

namespace {

// The heap keeps the reader with the smallest current row on top.
template <typename Less> auto heapOrder(Less& less) {
    return [&less](std::size_t a, std::size_t b) { return less(b, a); };
}

} // namespace

bool SortedRows::openMerge(const std::vector<std::string>& paths) {
    readers_.clear();
    heap_.clear();
    for (const std::string& path : paths) {
        auto reader = std::make_unique<RunReader>();
        errno = 0;
        if (!reader->open(path)) {
            return fail(cannotRead(path, errno));
        }
        switch (reader->read(reader->current, foldCase_)) {
        case RunReader::Read::Row:
            heap_.push_back(readers_.size());
            break;
        case RunReader::Read::End:
            break;
        case RunReader::Read::Failed:
            return fail(cannotRead(path, reader->error()));
        }
        readers_.push_back(std::move(reader));
    }
    auto lessReader = [this](std::size_t a, std::size_t b) {
        return less(readers_[a]->current, readers_[b]->current);
    };
    std::make_heap(heap_.begin(), heap_.end(), heapOrder(lessReader));
    merging_ = true;
    return true;
}

FetchResult SortedRows::next(std::string& row) {
    if (!sorted_) {
        // Only a sort that ended Sorted has rows to give; anything else must not pass for an
        // empty side.
        if (failure_.empty()) {
            fail("the sort did not finish.");
        }
        row.clear();
        return FetchResult::Error;
    }
    if (!merging_) {
        if (served_ >= memory_.size()) {
            row.clear();
            return FetchResult::End;
        }
        Entry& entry = memory_[served_++];
        row.swap(entry.row);
        entry = Entry();
        return FetchResult::Row;
    }
    return nextMerged(row);
}

FetchResult SortedRows::nextMerged(std::string& row) {
    if (heap_.empty()) {
        row.clear();
        return FetchResult::End;
    }
    auto lessReader = [this](std::size_t a, std::size_t b) {
        return less(readers_[a]->current, readers_[b]->current);
    };
    std::pop_heap(heap_.begin(), heap_.end(), heapOrder(lessReader));
    RunReader& reader = *readers_[heap_.back()];
    row.swap(reader.current.row);
    switch (reader.read(reader.current, foldCase_)) {
    case RunReader::Read::Row:
        std::push_heap(heap_.begin(), heap_.end(), heapOrder(lessReader));
        break;
    case RunReader::Read::End:
        heap_.pop_back();
        break;
    case RunReader::Read::Failed:
        fail(cannotRead(reader.path(), reader.error()));
        row.clear();
        return FetchResult::Error;
    }
    return FetchResult::Row;
}

bool SortedRows::mergeRuns(const std::vector<std::string>& inputs, const std::string& output) {
    if (!openMerge(inputs)) {
        return false;
    }
    RunWriter writer;
    bool written = writer.open(output);
    std::string row;
    while (written) {
        if (!check()) {
            writer.close();
            return false;
        }
        const FetchResult result = nextMerged(row);
        if (result == FetchResult::Error) {
            writer.close();
            return false;
        }
        if (result == FetchResult::End) {
            break;
        }
        written = writer.put(row);
    }
    if (!writer.close() || !written) {
        return fail(cannotWrite(output, writer.error()));
    }
    merging_ = false;
    readers_.clear();
    for (const std::string& path : inputs) {
        ::unlink(path.c_str());
    }
    return true;
}

SortEnd sortBothSides(SortedRows& one, SortedRows& two, bool& database1) {
    database1 = true;
    const SortEnd end = one.sort();
    if (end != SortEnd::Sorted) {
        return end;
    }
    database1 = false;
    return two.sort();
}

} // namespace zentab
