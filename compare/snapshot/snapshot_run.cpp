// The snapshot run: the phases of a comparison on Database 1 alone, each writing its section of
// the snapshot file instead of report text. Worker thread.

#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "compare/phases.h"
#include "db/snapshot_file.h"
#include "engine/session.h"

namespace zentab {

namespace {

const char* const kFinished = "Zentab has finished creating the database snapshot";

// What sets the three list sections apart.
struct ListSection {
    std::string_view marker;
    const char* panelPrefix;
    ObjectList DatabaseSource::*list;
    std::vector<std::string> CompareSettings::*skipList;
    std::vector<ObjectEntry*> Session::*common;
};

const ListSection kTableSection{snapshot::kTables, "", &DatabaseSource::tables,
                                &CompareSettings::ignoreTables, &Session::commonTables};
const ListSection kViewSection{snapshot::kViews, "VIEW.", &DatabaseSource::views,
                               &CompareSettings::ignoreViews, &Session::commonViews};
const ListSection kProcSection{snapshot::kProcs, "PROC.", &DatabaseSource::procedures,
                               &CompareSettings::ignoreProcs, &Session::commonProcedures};

void putEmptySection(SnapshotFile& out, std::string_view marker) {
    out.PutRecord(marker);
    out.PutRecord(snapshot::kEndMarker);
}

// The list phase has read Database 1's list; the objects the user did not deselect become the
// common list that the later phases walk, and the list section names them.
void writeListSection(Session& s, SnapshotFile& out, const ListSection& section) {
    RunHost& host = s.host();
    ObjectList& list = (*s.side1).*section.list;
    std::vector<ObjectEntry*>& common = s.*section.common;
    const CaselessNames skipped(s.settings.*section.skipList);
    common.clear();
    out.PutRecord(section.marker);
    int read = 0;
    for (ObjectEntry& entry : list) {
        s.pauseStopCheck();
        if (entry.nameInDb1.empty()) {
            continue;
        }
        ++read;
        host.progressStepIt();
        if (skipped.contains(entry.nameInDb1)) {
            continue;
        }
        entry.matched = true;
        entry.compareData = true;
        common.push_back(&entry);
        out.PutRecord(entry.nameInDb1);
        host.panelAddObject(section.panelPrefix + entry.nameInDb1);
    }
    out.PutRecord(snapshot::kEndMarker);
    host.progressSetPos(read);
}

// Ends a run that wrote nothing: the side could not be read or the file not be created.
void endUnstarted(Session& s, RunOutcome outcome) {
    s.control.running = false;
    s.writer.closeOutputFile();
    s.setMainCaption("Ready - Zentab");
    s.lastOutcome = outcome;
}

} // namespace

void SnapshotRun(Session& s) {
    CompareSettings& settings = s.settings;
    ReportWriter& writer = s.writer;
    RunHost& host = s.host();

    s.control.skipRequested = false;
    writer.summaryOnly = false;
    s.differencesFound = false;
    s.troubleFound = false;
    s.lastOutcome = RunOutcome::None;
    writer.resetReport();

    // The one line of the run's report, on screen whatever the output options say.
    const bool onlyToFile = settings.b_OnlyToFile;
    settings.b_SnapshotOnly = false;
    settings.b_OnlyToFile = false;
    writer.append("Snapshot is being written to file: " + settings.s_SnapshotFile + "\r\n\r\n",
                  ReportColour::Error, false, false);
    settings.b_OnlyToFile = onlyToFile;
    settings.b_SnapshotOnly = true;

    if (!s.side1 || s.side1->notUsable) {
        endUnstarted(s, RunOutcome::SideNotUsable);
        return;
    }
    // A snapshot side is reopened before the new file is created: when it cannot be read, the
    // file at the snapshot path (perhaps an earlier snapshot) is left as it was.
    if (s.side1->b_IsSnapshot) {
        s.side1->OpenSnapshotForReading();
        if (s.side1->notUsable) {
            endUnstarted(s, RunOutcome::SideNotUsable);
            return;
        }
    }
    if (!writer.openOutputFile()) {
        endUnstarted(s, RunOutcome::None);
        return;
    }
    SnapshotFile& out = *writer.snapshotWriter();

    const bool tables = settings.b_DoTabStruct || settings.b_DoTabData || settings.b_DoIndex;
    const bool tableColumns = settings.b_DoTabStruct || settings.b_DoTabData;
    const bool views = settings.b_DoViewStruct || settings.b_DoViewData;

    if (tables) {
        compareTableList(s);
        writeListSection(s, out, kTableSection);
    } else {
        putEmptySection(out, snapshot::kTables);
    }
    if (tableColumns) {
        compareTableColumns(s);
    } else {
        putEmptySection(out, snapshot::kColumns);
    }
    if (settings.b_DoIndex) {
        compareIndexes(s);
    } else {
        putEmptySection(out, snapshot::kIndex);
    }
    if (settings.b_DoTabData) {
        compareTableData(s);
    } else {
        putEmptySection(out, snapshot::kData);
    }
    if (views) {
        compareViewList(s);
        writeListSection(s, out, kViewSection);
        compareViewColumns(s);
    } else {
        putEmptySection(out, snapshot::kViews);
        putEmptySection(out, snapshot::kViewColumns);
    }
    if (settings.b_DoViewData) {
        compareViewData(s);
    } else {
        putEmptySection(out, snapshot::kViewData);
    }
    if (settings.b_DoProcStruct) {
        compareProcedureList(s);
        writeListSection(s, out, kProcSection);
        compareProcedureParameters(s);
    } else {
        putEmptySection(out, snapshot::kProcs);
        putEmptySection(out, snapshot::kProcColumns);
    }

    // A snapshot copied from one that lacks what this run asks for (sections left empty when
    // it was taken, or a damaged file) gives an incomplete copy.
    if (s.side1->b_IsSnapshot && s.side1->snapshotReader && s.side1->snapshotReader->failed()) {
        s.noteTrouble();
    }

    s.control.running = false;
    host.progressSetRange(0, 100);
    host.progressSetPos(100);
    s.setMainCaption("Finished - Zentab");
    if (settings.b_AutoSave && !writer.autoSaveFailed) {
        writer.autosave();
        writer.autoSaveCreated = false;
    }
    writer.reportSaved = true;
    writer.closeOutputFile();
    s.lastOutcome = RunOutcome::Finished;

    if (writer.outputFailed) {
        // The file does not hold what the run wrote: never let that pass for a snapshot.
        s.autoStartPath.clear();
        host.showMessage("The snapshot file " + settings.s_SnapshotFile +
                         " could not be written completely; it cannot be used.");
        s.setMainCaption("Ready - Zentab");
        return;
    }
    if (!s.autoStartPath.empty()) {
        s.autoStartPath.clear();
        // The window thread releases the sides once the worker has ended.
        host.endProgram(1);
        return;
    }
    host.showMessage(kFinished);
    s.setMainCaption("Ready - Zentab");
}

} // namespace zentab
