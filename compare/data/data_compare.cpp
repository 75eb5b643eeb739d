// The data phases: the rows of every common table and view, read in order from both sides and
// walked in step as a merge; rows without an equal on the other side are reported. In a
// snapshot run the rows of Database 1 are stored instead. Worker thread of the run.

#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "compare/data/data_statement.h"
#include "compare/data/difference_output.h"
#include "compare/data/row_merge.h"
#include "compare/data/row_sorter.h"
#include "compare/phases.h"
#include "db/database_source.h"
#include "db/snapshot_file.h"
#include "engine/session.h"

namespace zentab {

namespace {

struct KindTexts {
    DifferenceKind kind;
    const char* panelCaption;
    const char* mainCaption;
    const char* storingPanelCaption;
    const char* storingMainCaption;
    std::string_view section;
    const char* panelPrefix;
    const char* noColumns;
    const char* error;
    const char* skipped;
    const char* noDifferences;
    const char* outOfOrder;
};

const KindTexts kTableTexts{
    DifferenceKind::Table,
    "Comparing Data ...",
    "Comparing Data - Zentab",
    "Storing Data ...",
    "Storing Data - Zentab",
    snapshot::kData,
    "",
    "\r\n\r\nWARNING:  There are no columns to select from table ",
    "\r\n\r\n\r\nThe following error was received while processing table ",
    "\r\nTable Skipped ...",
    "\r\n\r\n\r\nNo data differences were found in table ",
    "\r\n\r\nWARNING: The rows of table ",
};

const KindTexts kViewTexts{
    DifferenceKind::View,
    "Comparing View Data ...",
    "Comparing Views Data - Zentab",
    "Storing View Data ...",
    "Storing Views Data - Zentab",
    snapshot::kViewData,
    "VIEW.",
    "\r\n\r\nWARNING:  There are no columns to select from view ",
    "\r\n\r\n\r\nThe following error was received while processing view ",
    "\r\nView Skipped ...",
    "\r\n\r\n\r\nNo data differences were found in view ",
    "\r\n\r\nWARNING: The rows of view ",
};

constexpr int kProgressCycle = 998; // the position restarts at 0 after this one
constexpr int kProgressEnd = 1000;
// The bar follows the row walk without a call into the window for every row: such calls are
// synchronous and would cost more than reading the row.
constexpr int kRowsPerProgressUpdate = 32;

// The rows of one object from one side: an executed statement or the object's block in the
// side's snapshot. Finishing drains an unread snapshot block, so that the reader stands before
// the next object's name whatever ended this object. Worker thread.
class RowStream : public RowSource {
public:
    explicit RowStream(DatabaseSource* side) : side_(side) {}
    RowStream(const RowStream&) = delete;
    RowStream& operator=(const RowStream&) = delete;

    bool fromSnapshot() const { return side_->b_IsSnapshot; }

    bool execute(const std::string& text, std::string& error) {
        return side_->ExecuteStatement(text, statement_, error);
    }

    // Reads on to the block of `name`, passing over the blocks of other objects.
    void findBlock(const std::string& name, std::string& record) {
        SnapshotFile* reader = side_->snapshotReader.get();
        inBlock_ = false;
        while (reader != nullptr && reader->GetRecord(record)) {
            if (record == name) {
                inBlock_ = true;
                return;
            }
            while (reader->GetRecord(record) && record != snapshot::kEndMarker) {
            }
        }
    }

    // On Error the driver's message is the side's lastError.
    FetchResult next(std::string& row) override {
        if (!fromSnapshot()) {
            return side_->FetchRowText(statement_, row);
        }
        if (inBlock_ && side_->snapshotReader->GetRecord(row) && row != snapshot::kEndMarker) {
            return FetchResult::Row;
        }
        inBlock_ = false;
        row.clear();
        return FetchResult::End;
    }

    void finish(std::string& scratch) {
        statement_.reset();
        // A stopped run reads nothing more; only the statement needs releasing.
        if (std::uncaught_exceptions() > 0) {
            return;
        }
        while (inBlock_ && next(scratch) == FetchResult::Row) {
        }
    }

private:
    DatabaseSource* side_;
    OdbcStatement statement_;
    bool inBlock_ = false;
};

void seekSection(DatabaseSource& side, std::string_view section, std::string& record) {
    SnapshotFile* reader = side.snapshotReader.get();
    while (reader != nullptr && reader->GetRecord(record) && record != section) {
    }
}

// One pass of a data phase over its common list. Worker thread.
class DataPhase : private MergeEvents {
public:
    DataPhase(Session& session, const KindTexts& texts)
        : s_(session), texts_(texts), settings_(session.settings),
          snapshotRun_(session.settings.b_SnapshotOnly),
          sortRows_(session.settings.b_SortRows && !snapshotRun_), side1_(*session.side1),
          side2_(snapshotRun_ ? nullptr : session.side2.get()),
          rowOptions_(mergeOptions(session, texts)),
          merge_(session,
                 RowCompareOptions::from(settings_, side1_.maxOrderByColumns,
                                         side2_ != nullptr ? side2_->maxOrderByColumns
                                                           : kUnknownOrderByLimit),
                 sortRows_ ? sortedMergeOptions(rowOptions_) : rowOptions_) {}

    void run(std::vector<ObjectEntry*>& objects) {
        RunHost& host = s_.host();
        if (snapshotRun_) {
            s_.setPanelCaption(texts_.storingPanelCaption);
        } else {
            s_.setPanelCaption(texts_.panelCaption);
        }
        host.progressSetRange(0, kProgressEnd);
        host.progressSetStep(1);
        host.progressSetPos(0);
        s_.setMainCaption(snapshotRun_ ? texts_.storingMainCaption : texts_.mainCaption);
        s_.control.skipRequested = false;

        snapshotOut_ = snapshotRun_ ? s_.writer.snapshotWriter() : nullptr;
        if (snapshotOut_ != nullptr) {
            snapshotOut_->PutRecord(texts_.section);
        }
        // A snapshot copied into a new one is read from its own data section too.
        for (DatabaseSource* side : {&side1_, side2_}) {
            if (side != nullptr && side->b_IsSnapshot) {
                seekSection(*side, texts_.section, scratch_);
            }
        }

        for (ObjectEntry* object : objects) {
            s_.pauseStopCheck();
            startObject(*object);
            if (object->compareData) {
                if (object->partialColumns) {
                    // The columns differ, whatever the rows they share say.
                    s_.differencesFound = true;
                    compareShared(*object);
                } else {
                    compareObject(*object);
                }
            } else if (!snapshotRun_) {
                // A column only one side has keeps the rows apart: the object differs, also
                // when the structure comparison was not asked to say so.
                s_.differencesFound = true;
            }
        }
        host.progressSetPos(kProgressEnd);
    }

private:
    static MergeOptions mergeOptions(const Session& session, const KindTexts& texts) {
        const CompareSettings& settings = session.settings;
        const bool snapshotRun = settings.b_SnapshotOnly;
        MergeOptions options;
        options.asCsv = settings.b_DataAsCSV;
        // A snapshot stores long values cut, without their digests: an on-line side is then
        // compared in the same form.
        options.stripDigests =
            snapshotRun || session.side1->b_IsSnapshot || session.side2->b_IsSnapshot;
        options.checkOrder = !snapshotRun && !session.writer.summaryOnly;
        options.skippedLine = texts.skipped;
        return options;
    }

    // Sorted rows come to the merge already in the form it compares, and in its order.
    static MergeOptions sortedMergeOptions(MergeOptions options) {
        options.stripDigests = false;
        options.checkOrder = false;
        return options;
    }

    SortSetup sortSetup() {
        SortSetup setup;
        setup.order = merge_.compareOptions();
        setup.stripDigests = rowOptions_.stripDigests;
        setup.memoryBudget = s_.sortMemoryBudget;
        setup.keepGoing = [this] {
            advanceProgress(false);
            s_.pauseStopCheck();
            return !s_.control.skipRequested;
        };
        return setup;
    }

    // Reads and sorts both sides' rows; false when the object ended with an error block.
    bool sortSides(const ObjectEntry& object, SortedRows& one, SortedRows& two) {
        bool database1 = true;
        const SortEnd end = sortBothSides(one, two, database1);
        s_.sortRunsWritten += one.runsWritten() + two.runsWritten();
        if (end != SortEnd::SourceFailed && end != SortEnd::FileFailed) {
            return true;
        }
        const DatabaseSource& side = database1 ? side1_ : *side2_;
        reportExecutionError(object, side, database1,
                             end == SortEnd::SourceFailed ? side.lastError
                                                          : (database1 ? one : two).failure());
        return false;
    }

    void advanceProgress(bool publish) {
        progress_ = progress_ >= kProgressCycle ? 0 : progress_ + 1;
        if (publish || progress_ % kRowsPerProgressUpdate == 0) {
            s_.host().progressSetPos(progress_);
        }
    }

    void startObject(const ObjectEntry& object) {
        s_.selectPanelObject(texts_.panelPrefix + object.panelName(), panelIndex_);
        advanceProgress(true);
    }

    static const std::string& nameOnSide(const ObjectEntry& object, bool database1) {
        return database1 || object.nameInDb2.empty() ? object.nameInDb1 : object.nameInDb2;
    }

    void endSnapshotBlock() {
        if (snapshotOut_ != nullptr) {
            snapshotOut_->PutRecord(snapshot::kEndMarker);
        }
    }

    void reportExecutionError(const ObjectEntry& object, const DatabaseSource& side, bool database1,
                              const std::string& error) {
        s_.noteTrouble();
        ReportWriter& w = s_.writer;
        const ReportColour colour = database1 ? ReportColour::Database1 : ReportColour::Database2;
        w.append(texts_.error, ReportColour::Error, false, false);
        w.append(nameOnSide(object, database1), colour, false, false);
        w.append(" in database ", ReportColour::Error, false, false);
        w.append(side.displayName + " :\r\n", colour, false, false);
        w.append(error + "\r\n\r\n", ReportColour::Error, false, true);
    }

    // An object with columns on one side only, compared on the columns both sides have: a copy
    // that holds just those stands in for it, and the results are carried back.
    void compareShared(ObjectEntry& object) {
        ObjectEntry shared = object;
        shared.columns.clear();
        note_ = "Compared on the columns both databases have; left out:";
        const char* separator = " ";
        for (const ColumnEntry& column : object.columns) {
            if (column.onBothSides()) {
                shared.columns.push_back(column);
                continue;
            }
            note_ += separator + column.name +
                     (column.matched ? " (only in Database 2)" : " (only in Database 1)");
            separator = ", ";
        }
        compareObject(shared);
        object.dataDiffers = shared.dataDiffers;
        note_.clear();
    }

    void compareObject(ObjectEntry& object) {
        ReportWriter& w = s_.writer;
        if (snapshotOut_ != nullptr) {
            snapshotOut_->PutRecord(object.nameInDb1);
        }
        RowStream stream1(&side1_);
        RowStream stream2(side2_);
        if (side1_.b_IsSnapshot) {
            stream1.findBlock(nameOnSide(object, true), scratch_);
        }
        if (side2_ != nullptr && side2_->b_IsSnapshot) {
            stream2.findBlock(nameOnSide(object, false), scratch_);
        }
        // Whatever ends the object below, an unread snapshot block is passed over.
        struct Finish {
            RowStream& one;
            RowStream* two;
            std::string& scratch;
            ~Finish() {
                one.finish(scratch);
                if (two != nullptr) {
                    two->finish(scratch);
                }
            }
        } finish{stream1, side2_ != nullptr ? &stream2 : nullptr, scratch_};

        const BuiltStatement statement1 = buildObjectStatement(s_, object, true);
        BuiltStatement statement2;
        if (side2_ != nullptr) {
            statement2 = buildObjectStatement(s_, object, false);
        }
        const bool anyOnline = !side1_.b_IsSnapshot || (side2_ != nullptr && !side2_->b_IsSnapshot);
        if (statement1.selectList.empty() && (snapshotRun_ || anyOnline)) {
            s_.noteTrouble();
            w.append(texts_.noColumns, ReportColour::Error, false, false);
            w.append(object.nameInDb1 + "\r\n\r\n", ReportColour::Common, false, true);
            endSnapshotBlock();
            return;
        }

        std::string error;
        if (!side1_.b_IsSnapshot && !stream1.execute(statement1.text, error)) {
            reportExecutionError(object, side1_, true, error);
            endSnapshotBlock();
            return;
        }
        if (side2_ != nullptr && !side2_->b_IsSnapshot &&
            !stream2.execute(statement2.text, error)) {
            reportExecutionError(object, *side2_, false, error);
            return;
        }

        object_ = &object;
        merge_.setFields(fieldKinds(object.columns));
        RowSource* one = &stream1;
        RowSource* two = side2_ != nullptr ? &stream2 : nullptr;
        std::unique_ptr<SortedRows> sorted1;
        std::unique_ptr<SortedRows> sorted2;
        if (sortRows_) {
            sorted1 = std::make_unique<SortedRows>(stream1, sortSetup());
            sorted2 = std::make_unique<SortedRows>(stream2, sortSetup());
            if (!sortSides(object, *sorted1, *sorted2)) {
                return;
            }
            one = sorted1.get();
            two = sorted2.get();
        }
        const MergeEnd end = merge_.walk(*one, two, *this);
        if (snapshotRun_) {
            endSnapshotBlock();
            return;
        }
        if (end == MergeEnd::Failed) {
            const bool database1 = merge_.failedSide1();
            const DatabaseSource& failed = database1 ? side1_ : *side2_;
            const SortedRows* sorted = database1 ? sorted1.get() : sorted2.get();
            reportExecutionError(object, failed, database1,
                                 sorted != nullptr && !sorted->failure().empty()
                                     ? sorted->failure()
                                     : failed.lastError);
            return;
        }
        if (!merge_.differenceFound() && end == MergeEnd::Done && settings_.b_NoDiffData) {
            w.append(texts_.noDifferences, ReportColour::Error, false, true);
            w.append(object.nameInDb1, ReportColour::Common, false, true);
            if (!note_.empty()) {
                w.append("\r\n" + note_, ReportColour::Text, false, true);
            }
        }
    }

    // What the merge leaves to the phase, for the object being walked.
    void step() override { advanceProgress(false); }

    bool differs() override {
        s_.differencesFound = true;
        object_->dataDiffers = true;
        // The executive summary only needs to know that the object differs.
        return !settings_.b_SummaryReportOnly;
    }

    void writeHeader(DifferenceOutput& output) override {
        output.writeHeader(texts_.kind, object_->nameInDb1, headerColumns(object_->columns), {}, {},
                           note_);
    }

    void storeRow(const std::string& row) override {
        if (snapshotOut_ != nullptr) {
            snapshotOut_->PutRecord(row);
        }
    }

    void outOfOrder(bool database1) override {
        const DatabaseSource& side = database1 ? side1_ : *side2_;
        s_.writer.append(texts_.outOfOrder + nameOnSide(*object_, database1) + " in database " +
                             side.displayName +
                             " do not come in the order this comparison expects (the "
                             "database may sort text with another collation). Differences "
                             "reported for it may not be real. Turn on \"Sort rows in Zentab "
                             "(when the databases order text differently)\" (b_SortRows=1) for "
                             "an exact comparison.\r\n\r\n",
                         ReportColour::Error, false, true);
    }

    Session& s_;
    const KindTexts& texts_;
    const CompareSettings& settings_;
    const bool snapshotRun_;
    const bool sortRows_; // the program orders the rows itself
    DatabaseSource& side1_;
    DatabaseSource* side2_;         // none in a snapshot run
    const MergeOptions rowOptions_; // as the merge would take them without sorting
    RowMerge merge_;
    SnapshotFile* snapshotOut_ = nullptr;
    ObjectEntry* object_ = nullptr; // the object being walked
    std::string note_;              // the columns left out of the object being walked

    int progress_ = 0;
    int panelIndex_ = 0;
    std::string scratch_;
};

void compareData(Session& session, const KindTexts& texts, std::vector<ObjectEntry*>& objects) {
    if (!session.side1 || (!session.settings.b_SnapshotOnly && !session.side2)) {
        return;
    }
    const SkipAllowed skipAllowed(session.control);
    DataPhase(session, texts).run(objects);
}

} // namespace

void compareTableData(Session& session) {
    compareData(session, kTableTexts, session.commonTables);
}

void compareViewData(Session& session) {
    compareData(session, kViewTexts, session.commonViews);
}

} // namespace zentab
