#pragma once
// Writes the rows that have no equal on the other side: the difference header of an object and
// one line per row, in fixed-width columns that widen as longer values arrive, or CSV-ready.
// Used by the thread that runs the comparison.

#include <string>
#include <string_view>
#include <vector>

#include "db/object_list.h"

namespace zentab {

class ReportWriter;

enum class DifferenceKind { Table, View, Statement };

struct HeaderColumn {
    std::string name;
    int width = 0;
};

std::vector<HeaderColumn> headerColumns(const std::vector<ColumnEntry>& columns);

// `text` as the report shows it, appended to `out`: each long value's digest replaced by "...".
void appendShown(std::string_view text, std::string& out);

class DifferenceOutput {
public:
    DifferenceOutput(ReportWriter& writer, bool asCsv);

    // The title, the object's name and the column line; sets the column widths of the object.
    // The statements are written for DifferenceKind::Statement only; a note, when given, on a
    // line of its own after the name.
    void writeHeader(DifferenceKind kind, std::string_view objectName,
                     const std::vector<HeaderColumn>& columns, std::string_view statement1 = {},
                     std::string_view statement2 = {}, std::string_view note = {});
    // One row text, marked and coloured for its side.
    void writeRow(std::string_view row, bool database1);

    const std::vector<int>& widths() const { return widths_; }

private:
    ReportWriter& writer_;
    bool asCsv_;
    std::vector<int> widths_;
    std::string line_;  // reused for every row
    std::string shown_; // a long value as the report shows it
};

} // namespace zentab
