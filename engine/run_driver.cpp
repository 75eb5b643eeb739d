#include "engine/run_driver.h"

#include <cstdio>
#include <exception>

#include "db/snapshot_file.h"
#include "engine/file_guard.h"
#include "engine/session.h"

namespace zentab {

namespace {

const char* const kAlreadyRunning =
    "You cannot start another Zentab before the previous one ends.\n"
    "Press the <stop> icon to terminate the current Zentab";
const char* const kSaveQuestion = "The report has not been saved. Do you wish to save it?";
const char* const kNeedTwoSources = "You must have 2 database sources before you can begin.";
const char* const kStopQuestion =
    "You won't be able to resume this Zentab if you stop it.\nAre you sure you want to stop?";
const char* const kFinished = "Zentab has finished comparing the databases";

bool usable(const std::unique_ptr<DatabaseSource>& side) {
    return side && !side->notUsable;
}

} // namespace

std::string formatElapsed(long long seconds) {
    long long hours = seconds / 3600;
    long long minutes = seconds / 60 - hours * 60;
    long long secs = seconds % 60;
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", hours, minutes, secs);
    return text;
}

RunDriver::RunDriver(Session& session)
    : session_(session), clock_([] { return std::time(nullptr); }) {}

RunDriver::~RunDriver() {
    if (thread_.joinable()) {
        session_.control.running = false;
        thread_.join();
    }
}

void RunDriver::join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void RunDriver::start(const ParametersDialog& dialog) {
    Session& s = session_;
    RunHost& host = s.host();
    if (s.control.running || workerActive_) {
        host.showMessage(kAlreadyRunning);
        return;
    }
    if (!offerToSaveReport()) {
        return;
    }
    s.settings.b_SnapshotOnly = false;
    s.clearCommonLists();
    s.control.skipAllowed = false;
    CompareSettings edited = s.settings;
    if (!dialog(edited)) {
        return;
    }
    s.settings = std::move(edited);
    s.writer.reportSaved = false;
    startRun();
}

// False when the user cancelled the question or the file dialog of Save Report.
bool RunDriver::offerToSaveReport() {
    ReportWriter& writer = session_.writer;
    if (writer.reportSaved) {
        return true;
    }
    writer.saveCancelled = false;
    const Answer answer = session_.host().askYesNoCancel(kSaveQuestion);
    if (answer == Answer::Cancel) {
        return false;
    }
    if (answer == Answer::Yes) {
        writer.saveReport();
    }
    return !writer.saveCancelled;
}

void RunDriver::startSqlCompare(const StatementsDialog& dialog) {
    Session& s = session_;
    if (s.control.running || workerActive_) {
        s.host().showMessage(kAlreadyRunning);
        return;
    }
    if (!offerToSaveReport()) {
        return;
    }
    s.settings.b_SnapshotOnly = false;
    std::string statement1 = s.settings.s_GlobalPassSql1;
    std::string statement2 = s.settings.s_GlobalPassSql2;
    if (!dialog(statement1, statement2)) {
        return;
    }
    s.settings.s_GlobalPassSql1 = std::move(statement1);
    s.settings.s_GlobalPassSql2 = std::move(statement2);
    s.writer.reportSaved = false;
    startSqlCompareRun();
}

bool RunDriver::canRerunLastSqlCompare() const {
    return !session_.control.running && !workerActive_ && sqlCompareHasRun_;
}

void RunDriver::rerunLastSqlCompare() {
    if (canRerunLastSqlCompare() && haveTwoSources()) {
        startSqlCompareRun();
    }
}

// Shows the message when a side is not chosen or cannot be used.
bool RunDriver::haveTwoSources() {
    Session& s = session_;
    if (!s.sideDefined1 || !s.sideDefined2 || !s.side1 || !s.side2 || s.side1->notUsable ||
        s.side2->notUsable) {
        s.host().showMessage(kNeedTwoSources);
        return false;
    }
    return true;
}

bool RunDriver::canRerunLast() const {
    return !session_.control.running && !workerActive_ && session_.hasRun;
}

void RunDriver::rerunLast() {
    Session& s = session_;
    if (!canRerunLast()) {
        return;
    }
    if (!haveTwoSources()) {
        return;
    }
    s.clearCommonLists();
    s.control.skipAllowed = false;
    startRun();
}

bool RunDriver::startRun() {
    return startWorker(false);
}

bool RunDriver::startSqlCompareRun() {
    return startWorker(true);
}

bool RunDriver::startWorker(bool statements) {
    Session& s = session_;
    if (workerActive_) {
        s.host().showMessage(kAlreadyRunning);
        return false;
    }
    if (statements) {
        // Never a snapshot run, also when it reruns after one: the report writer would drop
        // all it writes.
        s.settings.b_SnapshotOnly = false;
    }
    // Checked before any file is opened for writing: the run would destroy what it reads.
    if (const std::string refusal = outputOverInputMessage(s); !refusal.empty()) {
        s.host().showMessage(refusal);
        return false;
    }
    join(); // the previous worker has returned from its body; this only reaps the thread
    s.hasRun = true;
    s.control.running = true;
    s.control.paused = false;
    if (statements) {
        sqlCompareHasRun_ = true;
        s.host().closeControlPanel();
    } else {
        s.host().openControlPanel();
        s.setMainCaption("Retrieving Database Information - Zentab");
    }
    s.wireSides();
    statementRun_ = statements;
    workerActive_ = true;
    thread_ = std::thread(&RunDriver::worker, this);
    return true;
}

void RunDriver::worker() {
    Session& s = session_;
    try {
        if (statementRun_) {
            statementRun();
        } else if (s.settings.b_SnapshotOnly && s.phases.snapshotRun) {
            s.phases.snapshotRun(s);
        } else {
            comparisonRun();
        }
    } catch (const RunStopped&) {
        // The phase that saw the stop has unwound and released what it held.
        finishRun(s, RunEnd::Stopped);
    } catch (const std::exception& e) {
        // Nothing in a run is expected to throw; should it happen, end the run cleanly rather
        // than take the program down with the report.
        s.control.running = false;
        s.writer.closeOutputFile();
        s.host().showMessage(std::string("The comparison ended because of an internal error: ") +
                             e.what());
        s.setMainCaption("Ready - Zentab");
    }
    s.host().runEnded();
    workerActive_ = false;
}

bool RunDriver::openSides() {
    Session& s = session_;
    for (auto* side : {&s.side1, &s.side2}) {
        if (*side) {
            (*side)->OpenSnapshotForReading();
        }
    }
    return usable(s.side1) && usable(s.side2);
}

// The start of every run that compares: the run state reset, the report emptied, the line
// naming the output file and the header naming both sides. Returns the start time.
std::time_t RunDriver::beginRun() {
    Session& s = session_;
    CompareSettings& settings = s.settings;
    ReportWriter& writer = s.writer;

    s.control.skipRequested = false;
    writer.summaryOnly = false;
    s.differencesFound = false;
    s.troubleFound = false;
    s.lastOutcome = RunOutcome::None;
    std::time_t startTime = clock_();
    writer.resetReport();

    if (settings.b_OnlyToFile && !settings.b_SnapshotOnly) {
        // This one line belongs on the screen, so that the user sees where the report goes.
        settings.b_OnlyToFile = false;
        writer.append("Output of this report is being written to file: " + settings.s_AutoSaveFile +
                          "\r\n\r\n",
                      ReportColour::Error, false, false);
        settings.b_OnlyToFile = true;
        writer.reportSaved = true;
        writer.openOutputFile();
    }

    auto name = [](const std::unique_ptr<DatabaseSource>& side) {
        return side ? side->displayName : std::string();
    };
    writer.append("< DATABASE 1:  ", ReportColour::Text, false, true);
    writer.append(name(s.side1), ReportColour::Database1, false, true);
    writer.append("\r\n> DATABASE 2:  ", ReportColour::Text, false, true);
    writer.append(name(s.side2), ReportColour::Database2, false, true);
    return startTime;
}

void RunDriver::statementRun() {
    Session& s = session_;
    const std::time_t startTime = beginRun();
    // A statement needs two databases to run on; a missing side must not pass for equal rows.
    if (!openSides()) {
        s.control.running = false;
        s.writer.closeOutputFile();
        s.setMainCaption("Ready - Zentab");
        s.lastOutcome = RunOutcome::SideNotUsable;
        return;
    }
    if (session_.phases.statementCompare) {
        session_.phases.statementCompare(session_);
    }
    endOfRun(startTime);
}

void RunDriver::comparisonRun() {
    Session& s = session_;
    CompareSettings& settings = s.settings;
    ReportWriter& writer = s.writer;
    const std::time_t startTime = beginRun();

    if (!openSides()) {
        s.control.running = false;
        writer.closeOutputFile();
        s.setMainCaption("Ready - Zentab");
        s.lastOutcome = RunOutcome::SideNotUsable;
        return;
    }

    if (settings.b_SummaryReportOnly) {
        writer.summaryOnly = true;
    }

    PhaseTable& p = s.phases;
    bool snapshotWarned[2] = {false, false};
    auto run = [&](const Phase& phase, bool when) {
        if (when && phase) {
            phase(s);
            warnAboutSnapshots(snapshotWarned);
        }
    };
    const bool tabStruct = settings.b_DoTabStruct;
    const bool tabData = settings.b_DoTabData;
    const bool index = settings.b_DoIndex;
    const bool summary = settings.b_SummaryReportOnly;
    run(p.tableList, tabStruct || tabData || index);
    run(p.tableStructure, tabStruct || tabData);
    run(p.indexes, index);
    run(p.tableData, tabData);
    run(p.tableSummary, summary);
    run(p.viewList, settings.b_DoViewStruct || settings.b_DoViewData);
    run(p.viewStructure, settings.b_DoViewStruct || settings.b_DoViewData);
    if (settings.b_DoViewData) {
        s.control.skipAllowed = true;
        run(p.viewData, true);
        s.control.skipAllowed = false;
    }
    run(p.viewSummary, summary);
    run(p.procList, settings.b_DoProcStruct);
    run(p.procParameters, settings.b_DoProcStruct);
    run(p.procSummary, settings.b_DoProcStruct && summary);

    endOfRun(startTime);
}

// A snapshot side whose reader ran off the end of its file did not give everything the phases
// looked for (a damaged file, objects missing from it, or sections left empty when it was
// taken): what the report says of that side is incomplete, and the run must not pass for clean.
void RunDriver::warnAboutSnapshots(bool (&warned)[2]) {
    Session& s = session_;
    int n = 0;
    for (const auto* side : {&s.side1, &s.side2}) {
        const bool database1 = n == 0;
        bool& done = warned[n++];
        if (done || !*side || !(*side)->b_IsSnapshot || !(*side)->snapshotReader ||
            !(*side)->snapshotReader->failed()) {
            continue;
        }
        done = true;
        s.noteTrouble();
        const ReportColour colour = database1 ? ReportColour::Database1 : ReportColour::Database2;
        s.writer.append("\r\n\r\nWARNING:  The snapshot file ", ReportColour::Error, false, false);
        s.writer.append((*side)->displayName, colour, false, false);
        s.writer.append(" ended before everything this comparison reads from it was found: it "
                        "may be damaged, or lack what was left out when it was taken. What is "
                        "reported for that database may be incomplete.\r\n\r\n",
                        ReportColour::Error, false, true);
    }
}

void RunDriver::endOfRun(std::time_t startTime) {
    finishRun(session_, RunEnd::Finished, static_cast<long long>(clock_() - startTime));
}

void finishRun(Session& s, RunEnd end, long long elapsedSeconds) {
    CompareSettings& settings = s.settings;
    ReportWriter& writer = s.writer;
    RunHost& host = s.host();
    const bool stopped = end == RunEnd::Stopped;

    // A stop was requested by clearing the flag; a finished run clears it here.
    s.control.running = false;
    if (!stopped) {
        host.progressSetRange(0, 100);
        host.progressSetPos(100);
    }
    // The last line is written in every mode.
    writer.summaryOnly = false;
    if (stopped) {
        writer.append("\r\n\r\nZentab Stopped ...", ReportColour::Error, false, true);
        s.setMainCaption("Stopped - Zentab");
    } else {
        writer.append(
            "\r\n\r\n--- End of Zentab --- Elapsed Time: " + formatElapsed(elapsedSeconds) + " ---",
            ReportColour::Error, false, false);
        s.setMainCaption("Finished - Zentab");
        writer.reportSaved = false;
    }
    // A failed autosave was reported once; the report stays on screen.
    if (settings.b_AutoSave && !writer.autoSaveFailed) {
        writer.autosave();
        writer.autoSaveCreated = false;
    }
    if (settings.b_OnlyToFile || settings.b_SnapshotOnly) {
        writer.reportSaved = true;
        writer.closeOutputFile();
    }
    if (stopped) {
        // Nothing else of the run happens: no message, and an automatic run stays open.
        s.setMainCaption("Ready - Zentab");
        s.lastOutcome = RunOutcome::Stopped;
        return;
    }
    s.lastOutcome = RunOutcome::Finished;
    if (!s.autoStartPath.empty()) {
        s.autoStartPath.clear();
        if (settings.b_OnlyToFile || settings.b_SnapshotOnly) {
            // The window thread releases the sides once the worker has ended.
            host.endProgram(0);
            return;
        }
        host.maximiseMainWindow();
    }
    host.showMessage(kFinished);
    s.setMainCaption("Ready - Zentab");
}

void RunDriver::pause() {
    Session& s = session_;
    if (!s.control.canPause()) {
        return;
    }
    if (!s.control.paused) {
        savedCaption_ = s.currentMainCaption();
    }
    s.setMainCaption("Paused - Zentab");
    s.control.paused = true;
}

void RunDriver::resume() {
    Session& s = session_;
    if (s.control.paused) {
        s.host().setMainCaption(savedCaption_);
        s.control.paused = false;
    }
}

void RunDriver::skip() {
    if (session_.control.canSkip()) {
        session_.control.skipRequested = true;
    }
}

void RunDriver::stop(bool ask) {
    Session& s = session_;
    if (!s.control.canStop()) {
        return;
    }
    if (ask && !s.host().askYesNo(kStopQuestion)) {
        return;
    }
    s.control.running = false;
    s.writer.reportSaved = false;
}

bool RunDriver::closeControlPanel() {
    if (session_.control.running) {
        session_.host().showMessage(
            "Please wait until Zentab is finished to close the control panel.");
        return false;
    }
    return true;
}

} // namespace zentab
