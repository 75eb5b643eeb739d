// The executive summary: after the phases of each kind of object, one table with a row per
// object saying which databases hold it and which kinds of difference the phases found. The
// phases record those on Database 2's entries; this only prints them. Worker thread.

#include <string>
#include <vector>

#include "base/text.h"
#include "compare/phases.h"
#include "engine/session.h"

namespace zentab {

namespace {

constexpr const char* kMark = "X             ";
constexpr std::size_t kColumnWidth = 14;
const std::string kRule = "\r\n------------------------------------------------------------";
const std::string kColumnRule(kColumnWidth, '-');

// One difference column of a summary: the flag it shows and its two heading pieces.
struct SummaryColumn {
    bool ObjectEntry::*flag;
    const char* heading;
    const char* subHeading;
};

// The summary table of one kind of object. Worker thread.
class Summary {
public:
    Summary(Session& session, ObjectKind kind, std::vector<SummaryColumn> columns,
            const std::vector<std::string>& exclusions, bool listNotProcessed)
        : session_(session), writer_(session.writer), kind_(kind), columns_(std::move(columns)),
          longest_(session.longestName[static_cast<int>(kind)]),
          listNotProcessed_(listNotProcessed), exclusions_(exclusions) {
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            dashes_ += kColumnRule;
        }
    }

    void print(const ObjectList& list1, const ObjectList& list2) {
        writer_.summaryOnly = false;
        std::size_t next1 = 0;
        std::size_t next2 = 0;
        while (next1 < list1.size() || next2 < list2.size()) {
            session_.pauseStopCheck();
            if (next2 < list2.size()) {
                if (next2 == 0) {
                    heading();
                }
                row(list2[next2++], false);
            }
            session_.pauseStopCheck();
            if (next1 < list1.size()) {
                const ObjectEntry& entry = list1[next1++];
                if (!entry.matched) {
                    row(entry, true);
                }
            }
        }
        writer_.summaryOnly = true;
    }

private:
    void append(const std::string& text, ReportColour colour, bool count) {
        writer_.append(text, colour, false, count);
    }

    void heading() {
        const char* what = kind_ == ObjectKind::Tables  ? "tables"
                           : kind_ == ObjectKind::Views ? "views"
                                                        : "procedures";
        append(std::string("\r\n\r\n\r\n\r\nThe following is a summary report of the differences "
                           "found in the ") +
                   what + "\r\n\r\n",
               ReportColour::Text, true);
        std::string headings(longest_ + 30, ' ');
        for (const SummaryColumn& column : columns_) {
            headings += column.heading;
        }
        append(headings, ReportColour::Common, false);
        append("\r\n" + std::string(longest_ + 3, ' ') + "DATABASE 1    ", ReportColour::Database1,
               false);
        append("DATABASE 2   ", ReportColour::Database2, false);
        for (const SummaryColumn& column : columns_) {
            append(column.subHeading, ReportColour::Common, false);
        }
        append(kRule + dashes_, ReportColour::Text, false);
    }

    bool excluded(const std::string& name) const { return exclusions_.contains(name); }

    void row(const ObjectEntry& entry, bool fromDatabase1) {
        const std::string& name = fromDatabase1 ? entry.nameInDb1 : entry.nameInDb2;
        const std::string padded = ReportWriter::pad(name, longest_ + 7, true);
        if (excluded(name)) {
            if (!listNotProcessed_) {
                return;
            }
            append("\r\n" + padded, ReportColour::Common, true);
            append("Not processed", ReportColour::Error, true);
            append(kRule, ReportColour::Text, false);
            append(dashes_, ReportColour::Text, false);
            return;
        }
        const std::string blank(kColumnWidth, ' ');
        append("\r\n" + padded,
               entry.matched   ? ReportColour::Common
               : fromDatabase1 ? ReportColour::Database1
                               : ReportColour::Database2,
               true);
        append(entry.matched || fromDatabase1 ? kMark : blank, ReportColour::Database1, true);
        append(entry.matched || !fromDatabase1 ? kMark : blank, ReportColour::Database2, true);
        for (const SummaryColumn& column : columns_) {
            append(entry.*column.flag ? kMark : blank, ReportColour::Error, true);
        }
        append(kRule + dashes_, ReportColour::Text, false);
    }

    Session& session_;
    ReportWriter& writer_;
    const ObjectKind kind_;
    const std::vector<SummaryColumn> columns_;
    const std::size_t longest_;
    const bool listNotProcessed_;
    CaselessNames exclusions_;
    std::string dashes_; // one rule piece per difference column
};

const ObjectList& listOf(const std::unique_ptr<DatabaseSource>& side, ObjectKind kind) {
    static const ObjectList none;
    if (!side) {
        return none;
    }
    return kind == ObjectKind::Tables  ? side->tables
           : kind == ObjectKind::Views ? side->views
                                       : side->procedures;
}

void printSummary(Session& session, ObjectKind kind, std::vector<SummaryColumn> columns,
                  const std::vector<std::string>& exclusions, bool listNotProcessed) {
    Summary(session, kind, std::move(columns), exclusions, listNotProcessed)
        .print(listOf(session.side1, kind), listOf(session.side2, kind));
}

} // namespace

void tableSummary(Session& session) {
    const CompareSettings& s = session.settings;
    if (!s.b_DoTabStruct && !s.b_DoIndex && !s.b_DoTabData) {
        return;
    }
    std::vector<SummaryColumn> columns;
    if (s.b_DoTabStruct) {
        columns.push_back({&ObjectEntry::structureDiffers, "Structural    ", "differences   "});
    }
    if (s.b_DoIndex) {
        columns.push_back({&ObjectEntry::indexDiffers, "   Index      ", "differences   "});
    }
    if (s.b_DoTabData) {
        columns.push_back({&ObjectEntry::dataDiffers, "   Data       ", "differences"});
    }
    printSummary(session, ObjectKind::Tables, std::move(columns), s.ignoreTables, s.b_DoTabSkipped);
}

void viewSummary(Session& session) {
    const CompareSettings& s = session.settings;
    if (!s.b_DoViewStruct && !s.b_DoViewData) {
        return;
    }
    std::vector<SummaryColumn> columns;
    if (s.b_DoViewStruct) {
        columns.push_back({&ObjectEntry::structureDiffers, "Structural    ", "differences   "});
    }
    if (s.b_DoViewData) {
        columns.push_back({&ObjectEntry::dataDiffers, "   Data       ", "differences"});
    }
    printSummary(session, ObjectKind::Views, std::move(columns), s.ignoreViews, s.b_DoViewSkipped);
}

void procedureSummary(Session& session) {
    const CompareSettings& s = session.settings;
    printSummary(session, ObjectKind::Procedures,
                 {{&ObjectEntry::structureDiffers, "Parameter           ", "differences "}},
                 s.ignoreProcs, s.b_DoProcSkipped);
}

} // namespace zentab
