#include "compare/data/statement_compare.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "compare/data/row_merge.h"
#include "compare/data/row_sorter.h"
#include "compare/structure/column_types.h"
#include "db/database_source.h"
#include "engine/session.h"

namespace zentab {

namespace {

const char* const kSkipped = "\r\nStatement Skipped ...";
// A snapshot holds what was read from a database, not the database: its side has no driver
// that could give a message of its own.
const char* const kSnapshotCannotExecute =
    "A snapshot file cannot execute statements: choose an on-line database for this side.";

// The rows of one executed statement. Closing it releases the driver's cursor.
class StatementRows final : public RowSource {
public:
    explicit StatementRows(DatabaseSource& side) : side_(side) {}

    bool execute(const std::string& text, std::string& error) {
        if (side_.b_IsSnapshot) {
            error = kSnapshotCannotExecute;
            return false;
        }
        return side_.ExecuteStatement(text, statement_, error);
    }
    void describe(std::vector<ResultColumn>& columns) {
        side_.DescribeResultColumns(statement_, columns);
    }
    FetchResult next(std::string& row) override { return side_.FetchRowText(statement_, row); }
    void close() { side_.FreeStatement(statement_); }

private:
    DatabaseSource& side_;
    OdbcStatement statement_;
};

// A field is ordered by value only where both results have a numeric column at its place.
std::vector<ValueKind> resultFieldKinds(const std::vector<ResultColumn>& columns1,
                                        const std::vector<ResultColumn>& columns2) {
    std::vector<ValueKind> kinds;
    for (std::size_t i = 0; i < columns1.size() && i < columns2.size(); ++i) {
        kinds.push_back(bothSides(valueKindOfSqlType(columns1[i].dataType),
                                  valueKindOfSqlType(columns2[i].dataType)));
    }
    return kinds;
}

class StatementComparison : private MergeEvents {
public:
    StatementComparison(Session& session, const std::string& statement1,
                        const std::string& statement2)
        : s_(session), statement1_(statement1), statement2_(statement2), side1_(*session.side1),
          side2_(*session.side2) {}

    void run() {
        ReportWriter& w = s_.writer;
        StatementRows rows1(side1_);
        StatementRows rows2(side2_);
        std::string error;
        if (!rows1.execute(statement1_, error)) {
            reportError(side1_, true, error, true);
            return;
        }
        // The result has no name; its columns are those Database 1 returns.
        std::vector<ResultColumn> described;
        rows1.describe(described);
        columns_.reserve(described.size());
        for (const ResultColumn& column : described) {
            columns_.push_back({column.name, static_cast<int>(std::clamp<long long>(
                                                 column.size, 0, kMaxDisplayWidth))});
        }
        if (!rows2.execute(statement2_, error)) {
            reportError(side2_, false, error, false);
            return;
        }
        std::vector<ResultColumn> described2;
        rows2.describe(described2);

        MergeOptions options;
        options.asCsv = s_.settings.b_DataAsCSV;
        options.skippedLine = kSkipped;
        RowMerge merge(s_,
                       RowCompareOptions::from(s_.settings, side1_.maxOrderByColumns,
                                               side2_.maxOrderByColumns),
                       options);
        merge.setFields(resultFieldKinds(described, described2));
        // Sorted, the two results compare as sets of rows, whatever order each statement
        // gives them in.
        RowSource* one = &rows1;
        RowSource* two = &rows2;
        std::unique_ptr<SortedRows> sorted1;
        std::unique_ptr<SortedRows> sorted2;
        if (s_.settings.b_SortRows) {
            sorted1 = std::make_unique<SortedRows>(rows1, sortSetup(merge));
            sorted2 = std::make_unique<SortedRows>(rows2, sortSetup(merge));
            if (!sortSides(*sorted1, *sorted2)) {
                return;
            }
            one = sorted1.get();
            two = sorted2.get();
        }
        const MergeEnd end = merge.walk(*one, two, *this);
        rows1.close();
        rows2.close();
        if (end == MergeEnd::Failed) {
            DatabaseSource& failed = merge.failedSide1() ? side1_ : side2_;
            const SortedRows* sorted = merge.failedSide1() ? sorted1.get() : sorted2.get();
            reportError(failed, merge.failedSide1(),
                        sorted != nullptr && !sorted->failure().empty() ? sorted->failure()
                                                                        : failed.lastError,
                        true);
            return;
        }
        if (!merge.differenceFound() && end == MergeEnd::Done && s_.settings.b_NoDiffData) {
            w.append("\r\n\r\n\r\nNo data differences were found. ", ReportColour::Error, false,
                     true);
        }
    }

private:
    SortSetup sortSetup(const RowMerge& merge) {
        SortSetup setup;
        setup.order = merge.compareOptions();
        setup.memoryBudget = s_.sortMemoryBudget;
        setup.keepGoing = [this] {
            s_.pauseStopCheck();
            return !s_.control.skipRequested;
        };
        return setup;
    }

    // False when the comparison ended with an error block.
    bool sortSides(SortedRows& one, SortedRows& two) {
        bool database1 = true;
        const SortEnd end = sortBothSides(one, two, database1);
        s_.sortRunsWritten += one.runsWritten() + two.runsWritten();
        if (end != SortEnd::SourceFailed && end != SortEnd::FileFailed) {
            return true;
        }
        const DatabaseSource& side = database1 ? side1_ : side2_;
        reportError(side, database1,
                    end == SortEnd::SourceFailed ? side.lastError
                                                 : (database1 ? one : two).failure(),
                    true);
        return false;
    }

    void reportError(const DatabaseSource& side, bool database1, const std::string& error,
                     bool checkpoint) {
        s_.noteTrouble();
        ReportWriter& w = s_.writer;
        w.append("\r\n\r\n\r\nThe following error was received while processing statement ",
                 ReportColour::Error, false, false);
        w.append("in database ", ReportColour::Error, false, false);
        w.append(side.displayName + " :\r\n",
                 database1 ? ReportColour::Database1 : ReportColour::Database2, false, false);
        w.append(error + "\r\n\r\n", ReportColour::Error, false, checkpoint);
    }

    // Every difference is written: the executive summary has no line for a statement.
    bool differs() override {
        s_.differencesFound = true;
        return true;
    }

    void writeHeader(DifferenceOutput& output) override {
        output.writeHeader(DifferenceKind::Statement, "", columns_, statement1_, statement2_);
    }

    Session& s_;
    const std::string& statement1_;
    const std::string& statement2_;
    DatabaseSource& side1_;
    DatabaseSource& side2_;
    std::vector<HeaderColumn> columns_;
};

bool blank(const std::string& text) {
    return text.find_first_not_of(" \t\r\n\f\v") == std::string::npos;
}

} // namespace

void compareStatements(Session& session, const std::string& statement1,
                       const std::string& statement2) {
    session.control.skipRequested = false;
    session.setMainCaption("Comparing Statements - Zentab");
    if (!session.side1 || !session.side2) {
        return;
    }
    const SkipAllowed skipAllowed(session.control);
    StatementComparison(session, statement1, statement2).run();
}

StatementRefusal checkStatements(const std::string& statement1, const std::string& statement2) {
    if (blank(statement1)) {
        return {"Please enter a statement to be executed on the first database.", 1};
    }
    if (blank(statement2)) {
        return {"Please enter a statement to be executed on the second database.", 2};
    }
    return {};
}

} // namespace zentab
