// The index phase: Database 1's pass builds each common table's index list, Database 2's pass
// completes it and reports the indexes found on one side only or built differently. In a
// snapshot run Database 1's pass writes the index section instead. Worker thread.

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "compare/phases.h"
#include "db/catalog.h"
#include "db/database_source.h"
#include "db/snapshot_file.h"
#include "engine/session.h"

namespace zentab {

namespace {

constexpr std::string_view kNotFound = "Not Found";
constexpr std::size_t kIndexWidth = 25;
constexpr std::size_t kUniquenessWidth = 16;
constexpr std::size_t kColumnWidth = 21;
constexpr std::size_t kRuleWidth = 114;
constexpr std::size_t kNameBuffer = 128;

constexpr const char* kErrorBlock =
    "\r\n\r\n\r\nThe following error ocurred when trying to process indexes in database ";
constexpr const char* kIndexesReadError =
    "\r\n\tERROR: Could not get information for some/all indexes for table ";
constexpr const char* kColumnsReadError =
    "\r\n\tERROR: Could not get information for some/all columns for index in table ";

// NON_UNIQUE of a statistics row as the report and the snapshot write it.
std::string uniquenessText(std::optional<int> nonUnique) {
    if (nonUnique == 0) {
        return "    UNIQUE ";
    }
    if (nonUnique == 1) {
        return "NOT UNIQUE ";
    }
    return {};
}

bool oneSided(const IndexEntry& entry) {
    return entry.uniqueness1 == kNotFound || entry.uniqueness2 == kNotFound;
}

bool differs(const IndexEntry& entry) {
    // Column names compare exactly even when index names are matched without case: a renamed
    // column is a different index.
    return entry.uniqueness1 != entry.uniqueness2 || entry.columns1 != entry.columns2;
}

// One side's pass over the common tables. Worker thread.
class IndexPass {
public:
    IndexPass(Session& session, bool database1, DatabaseSource& source)
        : session_(session), settings_(session.settings), writer_(session.writer),
          database1_(database1), source_(source),
          tableWidth_(session.longestName[static_cast<int>(ObjectKind::Tables)] + 2) {
        if (database1_ && settings_.b_SnapshotOnly) {
            snapshotOut_ = writer_.snapshotWriter();
        }
    }

    void run(const std::vector<ObjectEntry*>& tables) {
        if (snapshotOut_ != nullptr) {
            snapshotOut_->PutRecord(snapshot::kIndex);
        }
        if (database1_) {
            // A pass that ends early leaves the later tables without indexes on Database 1, so
            // Database 2's indexes of them are one-sided rather than compared with old lists.
            for (ObjectEntry* table : tables) {
                table->indexes.clear();
            }
        }
        for (ObjectEntry* table : tables) {
            session_.pauseStopCheck();
            showProgress(*table);
            previousName_.clear();
            cutWarned_.clear();
            current_.reset();
            firstLine_ = true;
            linesReported_ = false;
            if (source_.b_IsSnapshot) {
                readSnapshot(*table);
            } else if (!readOnline(*table)) {
                return;
            }
            if (!database1_) {
                endOfTable(*table);
            }
        }
    }

private:
    const std::string& nameOnThisSide(const ObjectEntry& table) const {
        return database1_ ? table.nameInDb1 : table.nameInDb2;
    }

    ReportColour sideColour() const {
        return database1_ ? ReportColour::Database1 : ReportColour::Database2;
    }

    void showProgress(const ObjectEntry& table) {
        session_.selectPanelObject(table.panelName(), panelFrom_);
        session_.host().progressStepIt();
    }

    void appendErrorBlock() {
        session_.noteTrouble();
        writer_.append(kErrorBlock, ReportColour::Error, false, false);
        writer_.append(source_.displayName, sideColour(), false, false);
        writer_.append("\r\n" + source_.lastError, ReportColour::Error, false, true);
    }

    // False when the data source refused the statistics query, which ends the pass.
    bool readOnline(ObjectEntry& table) {
        const std::string& name = nameOnThisSide(table);
        CatalogQuery query(source_, CatalogFunction::Statistics, kNameBuffer);
        if (!query.open(name) || !query.bind()) {
            query.readError(false);
            appendErrorBlock();
            return false;
        }
        FetchResult fetched = query.fetch();
        // No row at all is a table without indexes (drivers send no statistics row for one).
        if (fetched == FetchResult::Error) {
            query.readError(false);
            appendErrorBlock();
        }
        if (snapshotOut_ != nullptr) {
            snapshotOut_->PutRecord(name);
        }
        while (fetched == FetchResult::Row) {
            session_.pauseStopCheck();
            const StatisticsRow& row = query.statisticsRow();
            const char* readError = nullptr;
            if (row.type == kTableStatistics) {
                readError = kIndexesReadError;
            } else {
                warnIfCut(row.indexName, "index", name);
                warnIfCut(row.columnName, "column", name);
                handleRow(table, row.indexName.text, uniquenessText(row.nonUnique),
                          row.columnName.text);
                readError = kColumnsReadError;
            }
            fetched = query.fetch();
            // The rows end quietly only at their end; a driver that gives no message for a
            // failed fetch still gets the line.
            if (fetched == FetchResult::Error) {
                query.readError(false);
                session_.noteTrouble();
                writer_.append(readError + name + " in database " + source_.displayName,
                               ReportColour::Error, false, true);
            }
        }
        closeSnapshotTable();
        return true;
    }

    void warnIfCut(const CatalogName& cutName, const char* what, const std::string& table) {
        // An index arrives a row per column: one warning per name is enough.
        const std::string key = std::string(what) + '\0' + cutName.text;
        if (cutName.cut &&
            std::find(cutWarned_.begin(), cutWarned_.end(), key) == cutWarned_.end()) {
            cutWarned_.push_back(key);
            session_.warnNameCut(what, cutName.text, " of table " + table, kNameBuffer - 1, source_,
                                 database1_);
        }
    }

    bool sameTableName(const std::string& stored, const std::string& wanted) const {
        return settings_.b_IgnoreTabCase ? upperCase(stored) == upperCase(wanted)
                                         : stored == wanted;
    }

    bool sameIndexName(const std::string& a, const std::string& b) const {
        return settings_.b_IgnoreColCase ? upperCase(a) == upperCase(b) : a == b;
    }

    // Tables come in file order: the section is looked for once per pass, then each table's
    // block from the current position. An end marker where a table name would stand is the end
    // of the section (a snapshot taken without indexes); a read failure ends the search.
    void readSnapshot(ObjectEntry& table) {
        SnapshotFile* reader = source_.snapshotReader.get();
        if (reader == nullptr || sectionEnded_) {
            return;
        }
        std::string record;
        if (!sectionFound_) {
            do {
                if (!reader->GetRecord(record)) {
                    sectionEnded_ = true;
                    return;
                }
            } while (record != snapshot::kIndex);
            sectionFound_ = true;
        }
        const std::string& wanted = nameOnThisSide(table);
        for (;;) {
            if (!reader->GetRecord(record) || record == snapshot::kEndMarker) {
                sectionEnded_ = true;
                return;
            }
            if (sameTableName(record, wanted)) {
                break;
            }
            if (!skipBlock(*reader)) {
                sectionEnded_ = true;
                return;
            }
        }
        // A snapshot of a snapshot copies each block found.
        if (snapshotOut_ != nullptr) {
            snapshotOut_->PutRecord(record);
        }
        readSnapshotIndexes(*reader, table);
        closeSnapshotTable();
    }

    // Passes over one table's indexes, each through its own end marker, up to the table's
    // closing marker. False on a read failure.
    static bool skipBlock(SnapshotFile& reader) {
        std::string record;
        for (;;) {
            if (!reader.GetRecord(record)) {
                return false;
            }
            if (record == snapshot::kEndMarker) {
                return true;
            }
            do {
                if (!reader.GetRecord(record)) {
                    return false;
                }
            } while (record != snapshot::kEndMarker);
        }
    }

    void readSnapshotIndexes(SnapshotFile& reader, ObjectEntry& table) {
        for (;;) {
            std::string name;
            if (!reader.GetRecord(name) || name == snapshot::kEndMarker) {
                return;
            }
            session_.pauseStopCheck();
            std::string uniqueness;
            if (!reader.GetRecord(uniqueness)) {
                return;
            }
            std::vector<std::string> columns;
            for (;;) {
                std::string column;
                if (!reader.GetRecord(column)) {
                    return; // an index cut short is not taken
                }
                if (column == snapshot::kEndMarker) {
                    break;
                }
                columns.push_back(std::move(column));
            }
            handleIndex(table, name, uniqueness, std::move(columns));
        }
    }

    void handleRow(ObjectEntry& table, const std::string& indexName, const std::string& uniqueness,
                   const std::string& column) {
        if (database1_) {
            buildRow(table, indexName, uniqueness, column);
        } else {
            compareRow(table, indexName, uniqueness, column);
        }
    }

    // Rows of one index arrive together, so a change of name starts the next index.
    void buildRow(ObjectEntry& table, const std::string& indexName, const std::string& uniqueness,
                  const std::string& column) {
        if (indexName != previousName_) {
            startIndex(table, IndexEntry{indexName, uniqueness, std::string(kNotFound), {}, {}});
            writeIndexStart(indexName, uniqueness);
        }
        if (!current_) {
            return; // an unnamed first row has no index to join
        }
        table.indexes[*current_].columns1.push_back(column);
        if (snapshotOut_ != nullptr) {
            snapshotOut_->PutRecord(column);
        }
    }

    void compareRow(ObjectEntry& table, const std::string& indexName, const std::string& uniqueness,
                    const std::string& column) {
        if (IndexEntry* entry = findIndex(table, indexName)) {
            entry->uniqueness2 = uniqueness;
            entry->columns2.push_back(column);
            return;
        }
        if (indexName != previousName_) {
            startIndex(table, IndexEntry{indexName, std::string(kNotFound), uniqueness, {}, {}});
        }
        if (current_) {
            table.indexes[*current_].columns2.push_back(column);
        }
    }

    void startIndex(ObjectEntry& table, IndexEntry entry) {
        previousName_ = entry.name;
        table.indexes.push_back(std::move(entry));
        current_ = table.indexes.size() - 1;
    }

    // A stored index arrives whole.
    void handleIndex(ObjectEntry& table, const std::string& name, const std::string& uniqueness,
                     std::vector<std::string> columns) {
        if (database1_) {
            writeIndexStart(name, uniqueness);
            if (snapshotOut_ != nullptr) {
                for (const std::string& column : columns) {
                    snapshotOut_->PutRecord(column);
                }
            }
            table.indexes.push_back(
                IndexEntry{name, uniqueness, std::string(kNotFound), std::move(columns), {}});
            return;
        }
        if (IndexEntry* entry = findIndex(table, name)) {
            entry->uniqueness2 = uniqueness;
            entry->columns2.insert(entry->columns2.end(), columns.begin(), columns.end());
            return;
        }
        table.indexes.push_back(
            IndexEntry{name, std::string(kNotFound), uniqueness, {}, std::move(columns)});
    }

    IndexEntry* findIndex(ObjectEntry& table, const std::string& name) const {
        for (IndexEntry& entry : table.indexes) {
            if (sameIndexName(entry.name, name)) {
                return &entry;
            }
        }
        return nullptr;
    }

    void writeIndexStart(const std::string& name, const std::string& uniqueness) {
        if (snapshotOut_ == nullptr) {
            return;
        }
        if (indexesWritten_ > 0) {
            snapshotOut_->PutRecord(snapshot::kEndMarker);
        }
        snapshotOut_->PutRecord(name);
        snapshotOut_->PutRecord(uniqueness);
        ++indexesWritten_;
    }

    // The last index's marker, then the table's.
    void closeSnapshotTable() {
        if (snapshotOut_ == nullptr) {
            return;
        }
        if (indexesWritten_ > 0) {
            snapshotOut_->PutRecord(snapshot::kEndMarker);
        }
        snapshotOut_->PutRecord(snapshot::kEndMarker);
        indexesWritten_ = 0;
    }

    void endOfTable(ObjectEntry& table) {
        for (const IndexEntry& entry : table.indexes) {
            const bool isOneSided = oneSided(entry);
            if (!isOneSided && !differs(entry)) {
                continue;
            }
            session_.differencesFound = true;
            if (settings_.b_SummaryReportOnly) {
                table.indexDiffers = true;
                return;
            }
            reportEntry(table, entry, isOneSided);
        }
        if (linesReported_) {
            writer_.append("\r\n", ReportColour::Text, false, true);
        }
    }

    void reportEntry(const ObjectEntry& table, const IndexEntry& entry, bool isOneSided) {
        appendHeaderIfPending();
        writer_.append(firstLine_ ? "\r\n" + ReportWriter::pad(table.nameInDb2, tableWidth_, true)
                                  : "\r\n\r\n" + std::string(tableWidth_, ' '),
                       ReportColour::Common, false, false);
        firstLine_ = false;
        linesReported_ = true;

        const bool missing1 = entry.uniqueness1 == kNotFound;
        const bool missing2 = entry.uniqueness2 == kNotFound;
        const bool sameUniqueness = entry.uniqueness1 == entry.uniqueness2;
        writer_.append(ReportWriter::pad(entry.name, kIndexWidth, true),
                       missing1   ? ReportColour::Database2
                       : missing2 ? ReportColour::Database1
                                  : ReportColour::Common,
                       false, false);
        writer_.append(ReportWriter::pad(entry.uniqueness1, kUniquenessWidth, true),
                       missing1         ? ReportColour::Text
                       : sameUniqueness ? ReportColour::Common
                                        : ReportColour::Database1,
                       false, false);
        writer_.append(ReportWriter::pad(entry.uniqueness2, kUniquenessWidth, true),
                       missing2         ? ReportColour::Text
                       : sameUniqueness ? ReportColour::Common
                                        : ReportColour::Database2,
                       false, false);
        if (isOneSided) {
            return;
        }
        const std::size_t pairs = std::max(entry.columns1.size(), entry.columns2.size());
        const std::string continuation =
            "\r\n" + std::string(tableWidth_ + kIndexWidth + 2 * kUniquenessWidth, ' ');
        for (std::size_t i = 0; i < pairs; ++i) {
            const std::string& column1 =
                i < entry.columns1.size() ? entry.columns1[i] : std::string();
            const std::string& column2 =
                i < entry.columns2.size() ? entry.columns2[i] : std::string();
            const bool same = column1 == column2;
            if (i > 0) {
                writer_.append(continuation, ReportColour::Common, false, false);
            }
            writer_.append(ReportWriter::pad(column1, kColumnWidth, true),
                           same ? ReportColour::Common : ReportColour::Database1, false, false);
            writer_.append(column2, same ? ReportColour::Common : ReportColour::Database2, false,
                           false);
        }
    }

    void appendHeaderIfPending() {
        if (!headerPending_) {
            return;
        }
        headerPending_ = false;
        const std::string& name1 = session_.side1 ? session_.side1->displayName : std::string();
        const std::string& name2 = session_.side2 ? session_.side2->displayName : std::string();
        writer_.append(
            "\r\n\r\n\r\nThe following are the index differences between COMMON tables\r\n\r\n",
            ReportColour::Text, false, true);
        writer_.append(std::string(tableWidth_ + kIndexWidth, ' ') +
                           ReportWriter::pad(name1, kUniquenessWidth, true),
                       ReportColour::Database1, false, false);
        writer_.append(ReportWriter::pad(name2, kUniquenessWidth, true), ReportColour::Database2,
                       false, false);
        writer_.append(ReportWriter::pad(name1, kColumnWidth, true), ReportColour::Database1, false,
                       false);
        writer_.append(ReportWriter::pad(name2, 27, true), ReportColour::Database2, false, false);
        writer_.append("\r\n" + ReportWriter::pad("TABLE", tableWidth_, true) +
                           ReportWriter::pad("INDEX", kIndexWidth, false) +
                           ReportWriter::pad("UNIQUENESS", kUniquenessWidth, false) +
                           ReportWriter::pad("UNIQUENESS", kUniquenessWidth, false) +
                           ReportWriter::pad("COLUMN", kColumnWidth, false) +
                           ReportWriter::pad("COLUMN", 11, false) + "\r\n",
                       ReportColour::Text, false, false);
        writer_.append(std::string(kRuleWidth, '-'), ReportColour::Text, false, false);
    }

    Session& session_;
    const CompareSettings& settings_;
    ReportWriter& writer_;
    const bool database1_;
    DatabaseSource& source_;
    const std::size_t tableWidth_;
    SnapshotFile* snapshotOut_ = nullptr;
    int panelFrom_ = 0;
    bool headerPending_ = true;
    bool sectionFound_ = false;
    bool sectionEnded_ = false;
    // Per table.
    std::string previousName_;
    std::vector<std::string> cutWarned_;
    std::optional<std::size_t> current_; // the index rows are being added to
    bool firstLine_ = true;
    bool linesReported_ = false;
    int indexesWritten_ = 0;
};

} // namespace

void compareIndexes(Session& session) {
    const std::vector<ObjectEntry*>& tables = session.commonTables;
    const int count = static_cast<int>(tables.size());
    RunHost& host = session.host();

    session.setPanelCaption("Analyzing Indexes ...");
    host.progressSetRange(0, count);
    session.setMainCaption("Analyzing Indexes - Zentab");
    if (session.side1) {
        IndexPass(session, true, *session.side1).run(tables);
    }
    if (session.settings.b_SnapshotOnly) {
        return;
    }

    session.setPanelCaption("Comparing Indexes ...");
    host.progressSetRange(0, count);
    session.setMainCaption("Comparing Indexes - Zentab");
    if (session.side2) {
        IndexPass(session, false, *session.side2).run(tables);
    }
    host.progressSetPos(count);
}

} // namespace zentab
