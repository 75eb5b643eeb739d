#include "compare/data/difference_output.h"

#include <algorithm>

#include "base/text.h"
#include "compare/data/row_comparator.h"
#include "db/row_text.h"
#include "engine/report_writer.h"

namespace zentab {

std::vector<HeaderColumn> headerColumns(const std::vector<ColumnEntry>& columns) {
    std::vector<HeaderColumn> header;
    header.reserve(columns.size());
    for (const ColumnEntry& column : columns) {
        header.push_back({column.name, column.displayWidth});
    }
    return header;
}

void appendShown(std::string_view text, std::string& out) {
    for (std::size_t at = text.find(kLongValueMark); at != std::string_view::npos;
         at = text.find(kLongValueMark)) {
        out.append(text.substr(0, at));
        out.append(kLongValueEllipsis);
        text.remove_prefix(std::min(text.size(), at + 1 + kLongValueDigestLength));
    }
    out.append(text);
}

DifferenceOutput::DifferenceOutput(ReportWriter& writer, bool asCsv)
    : writer_(writer), asCsv_(asCsv) {}

void DifferenceOutput::writeHeader(DifferenceKind kind, std::string_view objectName,
                                   const std::vector<HeaderColumn>& columns,
                                   std::string_view statement1, std::string_view statement2,
                                   std::string_view note) {
    widths_.clear();
    for (const HeaderColumn& column : columns) {
        const std::size_t nameLength = textWidth(column.name);
        // A name at least as wide as its values gets a blank after it. No column is laid out
        // wider than the widest: a longer name or value is shown whole with nothing after it.
        const std::size_t width = column.width <= 0 || nameLength >= std::size_t(column.width)
                                      ? nameLength + 1
                                      : std::size_t(column.width);
        widths_.push_back(static_cast<int>(std::min<std::size_t>(width, kMaxDisplayWidth)));
    }

    switch (kind) {
    case DifferenceKind::Table:
        writer_.append("\r\n\r\n\r\nDifferences found in table ", ReportColour::Text, false, false);
        break;
    case DifferenceKind::View:
        writer_.append("\r\n\r\n\r\nDifferences found in view ", ReportColour::Text, false, false);
        break;
    case DifferenceKind::Statement:
        writer_.append("\r\n\r\n\r\nDifferences found in statements ", ReportColour::Text, false,
                       false);
        writer_.append("\r\n\r\n\r\n< " + std::string(statement1), ReportColour::Database1, false,
                       false);
        writer_.append("\r\n\r\n> " + std::string(statement2), ReportColour::Database2, false,
                       false);
        writer_.append("\r\n", ReportColour::Database2, false, false);
        break;
    }
    writer_.append(std::string(objectName) + "\r\n", ReportColour::Common, false, false);
    if (!note.empty()) {
        writer_.append(std::string(note) + "\r\n", ReportColour::Text, false, false);
    }
    writer_.append("\r\n", ReportColour::Common, false, false);

    if (asCsv_) {
        writer_.append("\"Direction\",", ReportColour::Text, false, false);
    } else {
        writer_.append("  ", ReportColour::Common, false, false);
    }
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (asCsv_) {
            writer_.append((i == 0 ? "\"" : ",\"") + columns[i].name + "\"", ReportColour::Common,
                           false, false);
        } else {
            writer_.append(
                ReportWriter::pad(columns[i].name, static_cast<std::size_t>(widths_[i]), false),
                ReportColour::Common, false, false);
            // Invisible on the report's background: keeps the columns apart for the eye only.
            writer_.append("_", ReportColour::White, false, false);
        }
    }
    if (!asCsv_) {
        writer_.append("\r\n", ReportColour::Text, false, true);
    }
}

void DifferenceOutput::writeRow(std::string_view row, bool database1) {
    writer_.append("\r\n", ReportColour::Text, false, true);
    const ReportColour colour = database1 ? ReportColour::Database1 : ReportColour::Database2;
    if (asCsv_) {
        writer_.append(database1 ? "\"<\"," : "\">\",", ReportColour::Text, false, false);
        // Every value quoted, a lone empty one too, and nothing padded: the line is CSV.
        shown_.clear();
        appendShown(row, shown_);
        toCsv(shown_, line_);
        if (line_.empty()) {
            line_ = "\"\"";
        }
        writer_.append(line_, colour, false, true);
        return;
    }
    writer_.append(database1 ? "< " : "> ", ReportColour::Text, false, false);

    // The fields go out as one piece: the same text and colour as field by field, with the
    // autosave point after the last one, at a fraction of the cost for wide rows.
    line_.clear();
    std::size_t column = 0;
    for (std::size_t from = 0;; ++column) {
        const std::size_t at = row.find(kRowSeparator, from);
        std::string_view field = row.substr(from, at == std::string_view::npos ? at : at - from);
        if (field.find(kLongValueMark) != std::string_view::npos) {
            // A value longer than the report shows: its cut text, then the ellipsis.
            shown_.clear();
            appendShown(field, shown_);
            field = shown_;
        }
        if (column == widths_.size()) {
            widths_.push_back(0); // more values than header columns
        }
        int& width = widths_[column];
        const std::size_t columns = textWidth(field);
        if (columns > std::size_t(width)) {
            width = static_cast<int>(std::min<std::size_t>(columns, kMaxDisplayWidth));
        }
        line_.append(field);
        if (columns < std::size_t(width)) {
            line_.append(std::size_t(width) - columns, ' ');
        }
        line_.push_back(' ');
        if (at == std::string_view::npos) {
            break;
        }
        from = at + kRowSeparator.size();
    }
    writer_.append(line_, colour, false, true);
}

} // namespace zentab
