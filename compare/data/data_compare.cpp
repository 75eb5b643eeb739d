// The data phases: the rows of every common table and view, read in order from both sides and
// walked in step as a merge; rows without an equal on the other side are reported. In a
// snapshot run the rows of Database 1 are stored instead. Worker thread of the run.

#include <exception>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/text.h"
#include "compare/data/data_statement.h"
#include "compare/data/difference_output.h"
#include "compare/data/row_comparator.h"
#include "compare/phases.h"
#include "db/database_source.h"
#include "db/row_text.h"
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
    bool convertToCsv; // table rows are compared in their CSV form, view rows are not
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
    true,
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
    false,
};

constexpr int kProgressCycle = 998; // the position restarts at 0 after this one
constexpr int kProgressEnd = 1000;
// The bar follows the row walk without a call into the window for every row: such calls are
// synchronous and would cost more than reading the row.
constexpr int kRowsPerProgressUpdate = 32;

// The rows of one object from one side: an executed statement or the object's block in the
// side's snapshot. Finishing drains an unread snapshot block, so that the reader stands before
// the next object's name whatever ended this object. Worker thread.
class RowStream {
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

    // End, with an empty row, once the rows are exhausted; Error when the side failed to
    // deliver one (the driver's message is then the side's lastError).
    FetchResult next(std::string& row) {
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
class DataPhase {
public:
    DataPhase(Session& session, const KindTexts& texts)
        : s_(session), texts_(texts), settings_(session.settings),
          snapshotRun_(session.settings.b_SnapshotOnly), side1_(*session.side1),
          side2_(snapshotRun_ ? nullptr : session.side2.get()),
          comparator_(RowCompareOptions::from(settings_, side1_.maxOrderByColumns,
                                              side2_ != nullptr ? side2_->maxOrderByColumns
                                                                : kUnknownOrderByLimit),
                      &session.writer),
          output_(session.writer, settings_.b_DataAsCSV),
          convertToCsv_(texts.convertToCsv && settings_.b_DataAsCSV && !snapshotRun_),
          // A snapshot stores long values cut, without their digests: an on-line side is then
          // compared in the same form.
          stripDigests_(snapshotRun_ || side1_.b_IsSnapshot ||
                        (side2_ != nullptr && side2_->b_IsSnapshot)),
          foldCase_(comparator_.options().ignoreCase) {}

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
                compareObject(*object);
            } else if (!snapshotRun_) {
                // A column only Database 2 has keeps the rows apart: the object differs, also
                // when the structure comparison was not asked to say so.
                s_.differencesFound = true;
            }
        }
        host.progressSetPos(kProgressEnd);
    }

private:
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

        const WalkEnd end = walkRows(object, stream1, side2_ != nullptr ? &stream2 : nullptr);
        if (snapshotRun_) {
            endSnapshotBlock();
            return;
        }
        if (end == WalkEnd::Failed) {
            reportExecutionError(object, failedSide1_ ? side1_ : *side2_, failedSide1_,
                                 (failedSide1_ ? side1_ : *side2_).lastError);
            return;
        }
        if (!differenceFound_ && end == WalkEnd::Done && settings_.b_NoDiffData) {
            w.append(texts_.noDifferences, ReportColour::Error, false, true);
            w.append(object.nameInDb1, ReportColour::Common, false, true);
        }
    }

    // One side's current row and the row before it, each with its case-folded copy when the
    // comparison ignores case, so that every row is folded once however often it is compared.
    struct SideRows {
        std::string row;
        std::string folded;
        std::string previous;
        std::string previousFolded;
        bool hasPrevious = false;
        bool warned = false; // the ordering warning was given for this object

        void restart() {
            row.clear();
            folded.clear();
            hasPrevious = warned = false;
        }
    };

    std::string_view key(const std::string& row, const std::string& folded) const {
        return foldCase_ ? std::string_view(folded) : std::string_view(row);
    }

    // Fetches the next row of one side; warns once per object when the side's order is not the
    // comparator's.
    FetchResult fetch(RowStream& stream, SideRows& rows, const ObjectEntry& object,
                      bool database1) {
        std::swap(rows.previous, rows.row);
        std::swap(rows.previousFolded, rows.folded);
        FetchResult result;
        if (convertToCsv_) {
            result = stream.next(fetched_);
            if (stripDigests_) {
                stripLongValueDigests(fetched_);
            }
            toCsv(fetched_, rows.row);
        } else {
            result = stream.next(rows.row);
            if (stripDigests_) {
                stripLongValueDigests(rows.row);
            }
        }
        if (result != FetchResult::Row) {
            return result;
        }
        if (foldCase_) {
            upperCaseInto(rows.row, rows.folded);
        }
        if (checkOrder_ && rows.hasPrevious && !rows.warned &&
            comparator_.compareFolded(key(rows.previous, rows.previousFolded),
                                      key(rows.row, rows.folded), false) > 0) {
            rows.warned = true;
            const DatabaseSource& side = database1 ? side1_ : *side2_;
            s_.writer.append(texts_.outOfOrder + nameOnSide(object, database1) + " in database " +
                                 side.displayName +
                                 " do not come in the order this comparison expects (the "
                                 "database may sort text with another collation). Differences "
                                 "reported for it may not be real.\r\n\r\n",
                             ReportColour::Error, false, true);
        }
        rows.hasPrevious = true;
        return FetchResult::Row;
    }

    enum class WalkEnd { Done, Skipped, Failed };

    // The merge. Failed when a side could not deliver its next row (failedSide1_ tells which):
    // the rows not read are unknown, so nothing more is compared.
    WalkEnd walkRows(ObjectEntry& object, RowStream& stream1, RowStream* stream2) {
        differenceFound_ = false;
        checkOrder_ = !snapshotRun_ && !s_.writer.summaryOnly;
        bool need1 = true;
        bool more1 = true;
        bool need2 = stream2 != nullptr;
        bool more2 = stream2 != nullptr;
        rows1_.restart();
        rows2_.restart();

        while (true) {
            advanceProgress(false);
            s_.pauseStopCheck();
            if (s_.control.skipRequested && s_.control.takeSkip()) {
                s_.writer.append(texts_.skipped, ReportColour::Error, false, false);
                return WalkEnd::Skipped;
            }
            if (need1 && more1) {
                const FetchResult result = fetch(stream1, rows1_, object, true);
                if (result == FetchResult::Error) {
                    failedSide1_ = true;
                    return WalkEnd::Failed;
                }
                more1 = result == FetchResult::Row;
            }
            if (need2 && more2) {
                const FetchResult result = fetch(*stream2, rows2_, object, false);
                if (result == FetchResult::Error) {
                    failedSide1_ = false;
                    return WalkEnd::Failed;
                }
                more2 = result == FetchResult::Row;
            }

            if (snapshotRun_) {
                if (!more1) {
                    return WalkEnd::Done;
                }
                if (snapshotOut_ != nullptr) {
                    snapshotOut_->PutRecord(rows1_.row);
                }
                continue;
            }
            if (!more1 && !more2) {
                return WalkEnd::Done;
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

            s_.differencesFound = true;
            object.dataDiffers = true;
            if (settings_.b_SummaryReportOnly) {
                // The summary only needs to know that the object differs.
                differenceFound_ = true;
                return WalkEnd::Done;
            }
            if (!differenceFound_) {
                output_.writeHeader(texts_.kind, object.nameInDb1, headerColumns(object.columns));
                differenceFound_ = true;
            }
            need1 = order < 0;
            need2 = !need1;
            output_.writeRow(need1 ? rows1_.row : rows2_.row, need1);
        }
    }

    Session& s_;
    const KindTexts& texts_;
    const CompareSettings& settings_;
    const bool snapshotRun_;
    DatabaseSource& side1_;
    DatabaseSource* side2_; // none in a snapshot run
    RowComparator comparator_;
    DifferenceOutput output_;
    const bool convertToCsv_;
    const bool stripDigests_;
    const bool foldCase_;
    SnapshotFile* snapshotOut_ = nullptr;

    int progress_ = 0;
    int panelIndex_ = 0;
    bool differenceFound_ = false;
    bool checkOrder_ = false;
    bool failedSide1_ = false;

    // Row texts, reused from row to row and object to object.
    SideRows rows1_;
    SideRows rows2_;
    std::string fetched_;
    std::string scratch_;
};

void compareData(Session& session, const KindTexts& texts, std::vector<ObjectEntry*>& objects) {
    if (!session.side1 || (!session.settings.b_SnapshotOnly && !session.side2)) {
        return;
    }
    // Skip means something while rows are compared; the flag goes down however the phase ends.
    struct SkipAllowed {
        RunControl& control;
        explicit SkipAllowed(RunControl& c) : control(c) { control.skipAllowed = true; }
        ~SkipAllowed() { control.skipAllowed = false; }
    } skipAllowed(session.control);
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
