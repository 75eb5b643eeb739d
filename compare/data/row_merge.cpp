#include "compare/data/row_merge.h"

#include <utility>

#include "base/text.h"
#include "db/row_text.h"
#include "engine/session.h"

namespace zentab {

RowMerge::RowMerge(Session& session, const RowCompareOptions& compare, const MergeOptions& options)
    : s_(session), comparator_(compare, &session.writer), output_(session.writer, options.asCsv),
      options_(options), foldCase_(compare.ignoreCase) {}

// Fetches the next row of one side; tells once per walk when the side's order is not the
// comparator's.
FetchResult RowMerge::fetch(RowSource& source, SideRows& rows, MergeEvents& events,
                            bool database1) {
    std::swap(rows.previous, rows.row);
    std::swap(rows.previousFolded, rows.folded);
    const FetchResult result = source.next(rows.row);
    if (options_.stripDigests) {
        stripLongValueDigests(rows.row);
    }
    if (result != FetchResult::Row) {
        return result;
    }
    if (foldCase_) {
        upperCaseInto(rows.row, rows.folded);
    }
    if (options_.checkOrder && rows.hasPrevious && !rows.warned &&
        comparator_.compareFolded(key(rows.previous, rows.previousFolded),
                                  key(rows.row, rows.folded), false) > 0) {
        rows.warned = true;
        events.outOfOrder(database1);
    }
    rows.hasPrevious = true;
    return FetchResult::Row;
}

MergeEnd RowMerge::walk(RowSource& one, RowSource* two, MergeEvents& events) {
    differenceFound_ = false;
    bool need1 = true;
    bool more1 = true;
    bool need2 = two != nullptr;
    bool more2 = two != nullptr;
    rows1_.restart();
    rows2_.restart();

    while (true) {
        events.step();
        s_.pauseStopCheck();
        if (s_.control.skipRequested && s_.control.takeSkip()) {
            s_.writer.append(std::string(options_.skippedLine), ReportColour::Error, false, false);
            return MergeEnd::Skipped;
        }
        if (need1 && more1) {
            const FetchResult result = fetch(one, rows1_, events, true);
            if (result == FetchResult::Error) {
                failedSide1_ = true;
                return MergeEnd::Failed;
            }
            more1 = result == FetchResult::Row;
        }
        if (need2 && more2) {
            const FetchResult result = fetch(*two, rows2_, events, false);
            if (result == FetchResult::Error) {
                failedSide1_ = false;
                return MergeEnd::Failed;
            }
            more2 = result == FetchResult::Row;
        }

        if (two == nullptr) {
            if (!more1) {
                return MergeEnd::Done;
            }
            events.storeRow(rows1_.row);
            continue;
        }
        if (!more1 && !more2) {
            return MergeEnd::Done;
        }

        int order;
        if (!more1) {
            order = 1;
        } else if (!more2) {
            order = -1;
        } else {
            order = comparator_.compareFolded(key(rows1_.row, rows1_.folded),
                                              key(rows2_.row, rows2_.folded), true);
        }
        if (order == 0) {
            need1 = need2 = true;
            continue;
        }

        if (!events.differs()) {
            differenceFound_ = true;
            return MergeEnd::Done;
        }
        if (!differenceFound_) {
            events.writeHeader(output_);
            differenceFound_ = true;
        }
        need1 = order < 0;
        need2 = !need1;
        output_.writeRow(need1 ? rows1_.row : rows2_.row, need1);
    }
}

} // namespace zentab
