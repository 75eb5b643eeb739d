#include "compare/structure/structure_pass.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "compare/structure/column_types.h"
#include "db/catalog.h"
#include "db/database_source.h"
#include "db/search_pattern.h"
#include "db/snapshot_file.h"
#include "engine/session.h"
#include "settings/name_patterns.h"

namespace zentab {

namespace {

constexpr std::string_view kNotFound = "Not Found";
constexpr std::size_t kNameWidth = 30;
constexpr std::size_t kDescriptionWidth = 32;
// The rule under the header is as long as the line that brought the header out: a description
// difference (or a "no differences" line) is longer than an entry present on one side only.
constexpr std::size_t kLongRule = 114;
constexpr std::size_t kShortRule = 109;
constexpr std::size_t kCatalogNameBuffer = 128;

// One column or parameter as a side describes it.
struct StructureRow {
    std::string name;
    std::string description;
    std::string typeName;
    int width = 0;
    bool orderable = false;
    ValueKind values = ValueKind::Unknown;
};

std::vector<ObjectEntry*>& commonList(Session& session, ObjectKind kind) {
    switch (kind) {
    case ObjectKind::Views:
        return session.commonViews;
    case ObjectKind::Procedures:
        return session.commonProcedures;
    case ObjectKind::Tables:
        break;
    }
    return session.commonTables;
}

// One side's pass over a common list: Database 1's builds the lists, Database 2's completes
// them and reports. Worker thread.
class StructurePass {
public:
    StructurePass(Session& session, const StructureKind& texts, bool database1,
                  DatabaseSource& source)
        : session_(session), settings_(session.settings), writer_(session.writer), texts_(texts),
          database1_(database1), parameters_(texts.kind == ObjectKind::Procedures), source_(source),
          reportOn_(settings_.*texts.reportOption),
          objectWidth_(session.longestName[static_cast<int>(texts.kind)] + 2),
          commonColumnsOnly_(settings_.b_CompareCommonColumns && !parameters_ &&
                             !settings_.b_SnapshotOnly && bothSidesOnline(session)) {
        if (database1_ && settings_.b_SnapshotOnly) {
            snapshotOut_ = writer_.snapshotWriter();
        }
        if (!source_.b_IsSnapshot) {
            patternEscape_ = searchPatternEscape(source_);
        }
    }

    void run(const std::vector<ObjectEntry*>& objects) {
        if (snapshotOut_ != nullptr) {
            snapshotOut_->PutRecord(texts_.section);
        }
        bool firstObject = true;
        for (ObjectEntry* object : objects) {
            session_.pauseStopCheck();
            showProgress(*object);
            if (database1_) {
                object->columns.clear();
                object->partialColumns = false;
            }
            firstLine_ = true;
            linesReported_ = false;
            if (source_.b_IsSnapshot) {
                readSnapshot(*object, firstObject);
            } else if (!readOnline(*object)) {
                // The data source refused to describe the object: the rest of this side stays
                // unread, and the objects already handled keep their results.
                return;
            }
            firstObject = false;
            if (!database1_) {
                endOfObject(*object);
            }
        }
    }

private:
    // A snapshot's rows hold every column it stored, so only statements can leave columns out.
    static bool bothSidesOnline(const Session& session) {
        return session.side1 && session.side2 && !session.side1->b_IsSnapshot &&
               !session.side2->b_IsSnapshot;
    }

    // A column on one side only: the rows are compared on the others when asked, otherwise they
    // cannot be compared at all.
    void columnOnOneSide(ObjectEntry& object) const {
        if (commonColumnsOnly_) {
            object.partialColumns = true;
        } else {
            object.compareData = false;
        }
    }

    const std::string& nameOnThisSide(const ObjectEntry& object) const {
        return database1_ ? object.nameInDb1 : object.nameInDb2;
    }

    void showProgress(const ObjectEntry& object) {
        session_.selectPanelObject(texts_.panelPrefix + object.panelName(), panelFrom_);
        session_.host().progressStepIt();
    }

    // False when the catalog query was refused, which ends the pass.
    bool readOnline(ObjectEntry& object) {
        const std::string& objectName = nameOnThisSide(object);
        // Tables and views are described by SQLColumns, procedures by SQLProcedureColumns.
        CatalogQuery query(
            source_, parameters_ ? CatalogFunction::ProcedureColumns : CatalogFunction::Columns,
            kCatalogNameBuffer);
        if (!query.open(objectName, patternEscape_)) {
            query.readError(true);
            reportReadError(objectName);
            return false;
        }
        // Without its buffers bound, the object's rows would read as blanks.
        const bool bound = query.bind();
        if (snapshotOut_ != nullptr) {
            snapshotOut_->PutRecord(objectName);
        }
        FetchResult fetched = bound ? FetchResult::Row : FetchResult::Error;
        while (bound) {
            fetched = query.fetch();
            if (fetched != FetchResult::Row) {
                break;
            }
            session_.pauseStopCheck();
            const ColumnRow& described = query.columnRow();
            StructureRow row;
            row.name = described.name.text;
            if (described.name.cut) {
                session_.warnNameCut(parameters_ ? "parameter" : "column", row.name,
                                     std::string(texts_.ofObject) + objectName,
                                     kCatalogNameBuffer - 1, source_, database1_);
            }
            row.typeName = described.typeName.text;
            if (parameters_) {
                row.description = parameterTypeDescription(
                    settings_, described.nullable, described.parameterKind, row.typeName,
                    described.dataType, described.columnSize);
                row.orderable = parameterOrderable(described.dataType);
            } else {
                row.description = columnTypeDescription(settings_, described.nullable, row.typeName,
                                                        described.dataType, described.columnSize);
                row.orderable = sqlTypeInfo(described.dataType).orderable;
            }
            row.width = columnDisplayWidth(described.dataType, described.bufferLength,
                                           described.columnSize);
            row.values = valueKindOfSqlType(described.dataType);
            handleRow(object, row);
        }
        // Only the end of the rows ends an object quietly; whatever else stopped the rows is
        // worth a line, with or without a message from the driver.
        if (fetched != FetchResult::End) {
            query.readError(false);
            reportReadError(objectName);
        }
        if (snapshotOut_ != nullptr) {
            snapshotOut_->PutRecord(snapshot::kEndMarker);
        }
        return true;
    }

    void reportReadError(const std::string& objectName) {
        session_.noteTrouble();
        writer_.append(texts_.readError + objectName + " in database " + source_.displayName,
                       ReportColour::Error, false, true);
    }

    bool sameObjectName(const std::string& a, const std::string& b) const {
        return settings_.*texts_.ignoreObjectCase ? upperCase(a) == upperCase(b) : a == b;
    }

    // Reads up to the object's block (objects come in file order), then its entries. A read
    // failure ends the search or the block silently.
    void readSnapshot(ObjectEntry& object, bool firstObject) {
        SnapshotFile* reader = source_.snapshotReader.get();
        if (reader == nullptr) {
            return;
        }
        std::string record;
        if (firstObject) {
            do {
                if (!reader->GetRecord(record)) {
                    return;
                }
            } while (record != texts_.section);
        }
        const std::string& wanted = nameOnThisSide(object);
        for (;;) {
            if (!reader->GetRecord(record)) {
                return;
            }
            if (sameObjectName(record, wanted)) {
                break;
            }
            do {
                if (!reader->GetRecord(record)) {
                    return;
                }
            } while (record != snapshot::kEndMarker);
        }

        // A snapshot of a snapshot copies each block found, closed as any other block.
        if (snapshotOut_ != nullptr) {
            snapshotOut_->PutRecord(record);
        }
        readSnapshotEntries(*reader, object);
        if (snapshotOut_ != nullptr) {
            snapshotOut_->PutRecord(snapshot::kEndMarker);
        }
    }

    void readSnapshotEntries(SnapshotFile& reader, ObjectEntry& object) {
        for (;;) {
            StructureRow row;
            if (!reader.GetRecord(row.name) || row.name == snapshot::kEndMarker) {
                return;
            }
            session_.pauseStopCheck();
            std::string orderable;
            std::string width;
            if (!reader.GetRecord(row.description) ||
                (!parameters_ && !reader.GetRecord(row.typeName)) || !reader.GetRecord(orderable) ||
                !reader.GetRecord(width)) {
                return;
            }
            row.orderable = orderable == "Y";
            row.width = storedDisplayWidth(width);
            // A snapshot keeps no type code, only names.
            row.values = storedValueKind(row.typeName, row.description);
            handleRow(object, row);
        }
    }

    void handleRow(ObjectEntry& object, const StructureRow& row) {
        if (database1_) {
            build(object, row);
        } else {
            compare(object, row);
        }
    }

    // Parameters are held to the name list only: their type names are not what the type list
    // is written for.
    bool ignored(const StructureRow& row) const {
        return IsIgnoredColumn(settings_, row.name,
                               parameters_ ? std::string_view() : std::string_view(row.typeName));
    }

    void build(ObjectEntry& object, const StructureRow& row) {
        if (ignored(row)) {
            return;
        }
        object.columns.push_back(ColumnEntry{row.name, row.description, std::string(kNotFound),
                                             row.width, false, row.orderable});
        object.columns.back().values1 = row.values;
        if (snapshotOut_ != nullptr) {
            snapshotOut_->PutRecord(row.name);
            snapshotOut_->PutRecord(row.description);
            if (!parameters_) {
                snapshotOut_->PutRecord(row.typeName);
            }
            snapshotOut_->PutRecord(row.orderable ? "Y" : "N");
            snapshotOut_->PutRecord(std::to_string(row.width));
        }
    }

    ColumnEntry* findEntry(ObjectEntry& object, const std::string& name) const {
        const bool ignoreCase = settings_.b_IgnoreColCase;
        const std::string wanted = ignoreCase ? upperCase(name) : name;
        for (ColumnEntry& entry : object.columns) {
            if ((ignoreCase ? upperCase(entry.name) : entry.name) == wanted) {
                return &entry;
            }
        }
        return nullptr;
    }

    void compare(ObjectEntry& object, const StructureRow& row) {
        if (ColumnEntry* entry = findEntry(object, row.name)) {
            entry->nameInDb2 = row.name;
            entry->description2 = row.description;
            entry->values2 = row.values;
            if (!row.orderable) {
                entry->orderable = false;
            }
            entry->matched = true;
            if (entry->description1 != entry->description2) {
                object.structureDiffers = true;
                reportLine(object, *entry, kLongRule);
            }
            entry->displayWidth = std::max(entry->displayWidth, row.width);
            return;
        }
        if (ignored(row)) {
            return;
        }
        // Database 1 has no such column to compare it with.
        columnOnOneSide(object);
        object.structureDiffers = true;
        object.columns.push_back(ColumnEntry{row.name, std::string(kNotFound), row.description,
                                             row.width, true, row.orderable});
        object.columns.back().values2 = row.values;
        reportLine(object, object.columns.back(), kShortRule);
    }

    void endOfObject(ObjectEntry& object) {
        bool shared = false;
        for (const ColumnEntry& entry : object.columns) {
            shared = shared || entry.onBothSides();
            if (!entry.matched) {
                // Database 2's statement must not name a column it lacks, as Database 1's must
                // not name one only Database 2 has. (Procedures have no rows.)
                if (!parameters_) {
                    columnOnOneSide(object);
                }
                object.structureDiffers = true;
                reportLine(object, entry, kShortRule);
            }
        }
        if (object.partialColumns && !shared) {
            object.compareData = false;
        }
        if (!reportOn_) {
            return;
        }
        if (linesReported_) {
            writer_.append("\r\n", ReportColour::Text, false, true);
        } else if (settings_.*texts_.noDifferencesOption) {
            appendHeaderIfPending(kLongRule);
            writer_.append("\r\n" + ReportWriter::pad(object.nameInDb1, objectWidth_, true),
                           ReportColour::Common, false, false);
            writer_.append(texts_.noDifferences, ReportColour::Error, false, true);
        }
    }

    void reportLine(const ObjectEntry& object, const ColumnEntry& entry, std::size_t rule) {
        const bool first = firstLine_;
        firstLine_ = false;
        linesReported_ = true;
        if (!reportOn_) {
            return;
        }
        session_.differencesFound = true;
        appendHeaderIfPending(rule);
        writer_.append("\r\n" + (first ? ReportWriter::pad(object.nameInDb1, objectWidth_, true)
                                       : std::string(objectWidth_, ' ')),
                       ReportColour::Common, false, false);
        const bool missing1 = entry.description1 == kNotFound;
        const bool missing2 = entry.description2 == kNotFound;
        writer_.append(ReportWriter::pad(entry.name, kNameWidth, true),
                       missing1   ? ReportColour::Database2
                       : missing2 ? ReportColour::Database1
                                  : ReportColour::Common,
                       false, false);
        writer_.append(ReportWriter::pad(entry.description1, kDescriptionWidth, true),
                       missing1 ? ReportColour::Text : ReportColour::Database1, false, false);
        writer_.append(entry.description2, missing2 ? ReportColour::Text : ReportColour::Database2,
                       false, false);
    }

    void appendHeaderIfPending(std::size_t rule) {
        if (!headerPending_) {
            return;
        }
        headerPending_ = false;
        const std::string& name1 = session_.side1 ? session_.side1->displayName : std::string();
        const std::string& name2 = session_.side2 ? session_.side2->displayName : std::string();
        writer_.append(texts_.heading, ReportColour::Text, false, false);
        writer_.append(std::string(objectWidth_ + kNameWidth, ' ') +
                           ReportWriter::pad(name1, kDescriptionWidth, true),
                       ReportColour::Database1, false, false);
        writer_.append(ReportWriter::pad(name2, kDescriptionWidth, true), ReportColour::Database2,
                       false, false);
        writer_.append("\r\n" + ReportWriter::pad(texts_.objectHeading, objectWidth_, true) +
                           ReportWriter::pad("COLUMN", kNameWidth, false) +
                           ReportWriter::pad("TYPE", kDescriptionWidth, false) +
                           ReportWriter::pad("TYPE", 27, false) + "\r\n",
                       ReportColour::Text, false, false);
        writer_.append(std::string(rule, '-'), ReportColour::Text, false, false);
    }

    Session& session_;
    const CompareSettings& settings_;
    ReportWriter& writer_;
    const StructureKind& texts_;
    const bool database1_;
    const bool parameters_;
    DatabaseSource& source_;
    const bool reportOn_;
    const std::size_t objectWidth_;
    const bool commonColumnsOnly_;
    SnapshotFile* snapshotOut_ = nullptr;
    std::string patternEscape_;
    int panelFrom_ = 0;
    bool headerPending_ = true;
    bool firstLine_ = true;
    bool linesReported_ = false;
};

} // namespace

void compareStructure(Session& session, const StructureKind& texts) {
    const std::vector<ObjectEntry*>& objects = commonList(session, texts.kind);
    const int count = static_cast<int>(objects.size());
    RunHost& host = session.host();
    const CompareSettings& settings = session.settings;

    session.setPanelCaption(texts.analyzingPanel);
    host.progressSetRange(0, count);
    session.setMainCaption(texts.analyzingCaption);
    if (session.side1) {
        StructurePass(session, texts, true, *session.side1).run(objects);
    }

    if (!settings.b_SnapshotOnly) {
        // The table phase names its comparing step only when it reports; the others always do.
        if (texts.kind != ObjectKind::Tables || settings.*texts.reportOption) {
            session.setPanelCaption(texts.comparingPanel);
        }
        host.progressSetRange(0, count);
        session.setMainCaption(texts.comparingCaption);
        if (session.side2) {
            StructurePass(session, texts, false, *session.side2).run(objects);
        }
    }
    host.progressSetPos(count);
}

} // namespace zentab
