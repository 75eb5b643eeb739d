#pragma once
// The walk of two ordered result sets in step, as a merge: a row that has no equal on the
// other side is written as a difference, marked for its side. The data phases and the statement
// comparison both compare rows through it. Worker thread of the run.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "compare/data/difference_output.h"
#include "compare/data/row_comparator.h"
#include "db/database_source.h"
#include "engine/run_control.h"

namespace zentab {

class Session;

// The rows of one side, one at a time.
class RowSource {
public:
    // End, with an empty row, once the rows are exhausted; Error when the side failed to
    // deliver one.
    virtual FetchResult next(std::string& row) = 0;

protected:
    ~RowSource() = default;
};

// What the walk leaves to its caller.
class MergeEvents {
public:
    // Once per step, before the pause and stop check.
    virtual void step() {}
    // The current rows differ. False ends the walk at once: the caller only had to know.
    virtual bool differs() = 0;
    // Before the first difference is written.
    virtual void writeHeader(DifferenceOutput& output) = 0;
    // Each row of side 1 of a walk without a second side.
    virtual void storeRow(const std::string& row) { (void)row; }
    // The rows of one side do not come in the comparator's order; at most once per side and
    // walk.
    virtual void outOfOrder(bool database1) { (void)database1; }

protected:
    ~MergeEvents() = default;
};

struct MergeOptions {
    bool asCsv = false;        // rows written in CSV form (they are compared field by field)
    bool stripDigests = false; // long values compared as cut, as a snapshot holds them
    bool checkOrder = false;   // tell when a side's rows are out of the comparator's order
    std::string_view skippedLine;
};

enum class MergeEnd { Done, Skipped, Failed };

// Skip means something while rows are compared: allowed for the life of this object, however
// the comparison ends.
class SkipAllowed {
public:
    explicit SkipAllowed(RunControl& control) : control_(control) { control_.skipAllowed = true; }
    ~SkipAllowed() { control_.skipAllowed = false; }
    SkipAllowed(const SkipAllowed&) = delete;
    SkipAllowed& operator=(const SkipAllowed&) = delete;

private:
    RunControl& control_;
};

class RowMerge {
public:
    RowMerge(Session& session, const RowCompareOptions& compare, const MergeOptions& options);

    // Walks the rows of `one` and `two` to their ends, or, without `two`, hands every row of
    // `one` to storeRow. A skip request writes the skipped line and ends the walk; a stop
    // unwinds it. Failed when a side could not deliver its next row (failedSide1() tells
    // which): the rows not read are unknown, so nothing more is compared.
    MergeEnd walk(RowSource& one, RowSource* two, MergeEvents& events);
    // How the fields of the rows of the next walks are ordered (RowCompareOptions::fields).
    void setFields(std::vector<ValueKind> fields) { comparator_.setFields(std::move(fields)); }

    // A difference was found in the last walk (written, unless differs() ended it).
    bool differenceFound() const { return differenceFound_; }
    bool failedSide1() const { return failedSide1_; }
    const RowCompareOptions& compareOptions() const { return comparator_.options(); }

private:
    // One side's current row and the row before it, each with its case-folded copy when the
    // comparison ignores case, so that every row is folded once however often it is compared.
    struct SideRows {
        std::string row;
        std::string folded;
        std::string previous;
        std::string previousFolded;
        bool hasPrevious = false;
        bool warned = false; // the ordering warning was given in this walk

        void restart() {
            row.clear();
            folded.clear();
            hasPrevious = warned = false;
        }
    };

    std::string_view key(const std::string& row, const std::string& folded) const {
        return foldCase_ ? std::string_view(folded) : std::string_view(row);
    }
    FetchResult fetch(RowSource& source, SideRows& rows, MergeEvents& events, bool database1);

    Session& s_;
    RowComparator comparator_;
    DifferenceOutput output_;
    const MergeOptions options_;
    const bool foldCase_;
    bool differenceFound_ = false;
    bool failedSide1_ = false;

    // Row texts, reused from row to row and walk to walk.
    SideRows rows1_;
    SideRows rows2_;
};

} // namespace zentab
