#pragma once
// The rows of one side sorted by the program in the comparator's own order, for databases whose
// ORDER BY does not give that order (another collation, NULLs placed elsewhere). The rows are
// read whole before the first one is served; what does not fit the memory budget is spilled in
// sorted runs to files of a private temporary folder and merged back. Worker thread of the run.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "compare/data/row_comparator.h"
#include "compare/data/row_merge.h"

namespace zentab {

struct SortSetup {
    RowCompareOptions order;   // the merge's own options, so that both agree on the order
    bool stripDigests = false; // rows are served as the merge would have prepared them
    std::size_t memoryBudget = std::size_t{32} << 20;
    std::string tempParent; // where the temporary folder is made; empty: $TMPDIR, else /tmp
    // Called every few hundred rows while reading and merging; throws to stop the run, returns
    // false to give the sort up (a skip request, which the caller then takes).
    std::function<bool()> keepGoing;
};

enum class SortEnd { Sorted, GivenUp, SourceFailed, FileFailed };

class SortedRows final : public RowSource {
public:
    SortedRows(RowSource& source, SortSetup setup);
    ~SortedRows();
    SortedRows(const SortedRows&) = delete;
    SortedRows& operator=(const SortedRows&) = delete;

    // Reads every row of the source and orders them. SourceFailed: the source gave Error (its
    // own message tells why); FileFailed: a temporary file could not be made, written or read,
    // as failure() says.
    SortEnd sort();

    // After Sorted, the rows in order, then End; Error (with failure()) when a temporary file
    // cannot be read back, or when the sort did not end Sorted.
    FetchResult next(std::string& row) override;

    const std::string& failure() const { return failure_; }
    // Sorted runs written to temporary files so far, intermediate merges included.
    std::size_t runsWritten() const { return runsWritten_; }

private:
    struct Entry {
        std::string row;
        std::string folded; // the row upper-cased, when the order ignores case
    };
    class RunReader;
    class TempFolder;

    bool less(const Entry& a, const Entry& b);
    void prepare(Entry& entry);
    void sortMemory();
    bool spill();
    bool openMerge(const std::vector<std::string>& paths);
    bool mergeRuns(const std::vector<std::string>& inputs, const std::string& output);
    FetchResult nextMerged(std::string& row);
    bool check();
    bool fail(std::string text);
    std::string newRunPath();

    RowSource& source_;
    SortSetup setup_;
    RowComparator comparator_;
    const bool foldCase_;

    std::vector<Entry> memory_; // the run being gathered, or all rows when none was spilled
    std::size_t memoryBytes_ = 0;
    std::size_t served_ = 0;
    std::size_t rowsSinceCheck_ = 0;

    std::unique_ptr<TempFolder> folder_;
    std::vector<std::string> runs_; // spilled runs not yet merged
    std::size_t runsWritten_ = 0;

    // The final merge: one reader per remaining run and a heap of their indexes, smallest
    // current row on top.
    std::vector<std::unique_ptr<RunReader>> readers_;
    std::vector<std::size_t> heap_;
    bool merging_ = false;
    bool sorted_ = false;
    std::string failure_;
};

// Sorts `one`, then `two`, up to the first sort that does not end Sorted; `database1` tells
// whether that was `one`'s. A sort given up for a skip request leaves the request to the walk,
// which takes it before it reads a row.
SortEnd sortBothSides(SortedRows& one, SortedRows& two, bool& database1);

} // namespace zentab
