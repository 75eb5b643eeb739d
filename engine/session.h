#pragma once
// Everything one window owns for the comparisons it runs: settings, preferences, the two sides,
// the report and the run state. Created and destroyed on the window thread; during a run the
// worker uses it without locks while the window only touches the run-control flags.

#include <atomic>
#include <cstddef>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "db/database_source.h"
#include "db/object_list.h"
#include "engine/report_document.h"
#include "engine/report_writer.h"
#include "engine/run_control.h"
#include "engine/run_host.h"
#include "settings/compare_settings.h"
#include "settings/preferences.h"

namespace zentab {

class Session;
using Phase = std::function<void(Session&)>;

// The phases of a comparison run, called in this order when their options say so. An empty
// phase is passed over.
struct PhaseTable {
    Phase tableList;
    Phase tableStructure;
    Phase indexes;
    Phase tableData;
    Phase tableSummary;
    Phase viewList;
    Phase viewStructure;
    Phase viewData;
    Phase viewSummary;
    Phase procList;
    Phase procParameters;
    Phase procSummary;
    // The body of a snapshot run, used instead of the phases when b_SnapshotOnly is set.
    Phase snapshotRun;
    // The body of a statement comparison (SQL Compare): s_GlobalPassSql1 on Database 1 against
    // s_GlobalPassSql2 on Database 2.
    Phase statementCompare;
};

enum class RunOutcome { None, Finished, Stopped, SideNotUsable };

class Session {
public:
    // The phases come from above the engine (the comparison library's standardPhases()); a
    // session without them runs a header and an end line.
    explicit Session(RunHost& host, PhaseTable phases = {});

    RunHost& host() { return host_; }

    CompareSettings settings;
    Preferences preferences;
    ReportDocument report;
    ReportWriter writer;
    RunControl control;

    std::unique_ptr<DatabaseSource> side1;
    std::unique_ptr<DatabaseSource> side2;
    bool sideDefined1 = false;
    bool sideDefined2 = false;

    // Objects found in both databases and selected, in Database 2's order (its entries).
    std::vector<ObjectEntry*> commonTables;
    std::vector<ObjectEntry*> commonViews;
    std::vector<ObjectEntry*> commonProcedures;
    int objectCount1[3] = {0, 0, 0}; // per ObjectKind
    int objectCount2[3] = {0, 0, 0};
    bool listsLoaded[3] = {false, false, false};
    std::size_t longestName[3] = {0, 0, 0};

    bool hasRun = false;
    std::string autoStartPath;
    // The configuration file the settings and sides were last loaded from or saved to.
    std::string configurationPath;
    // " - " and the configuration's name once one is loaded or saved; ends every caption.
    std::string titleSuffix;
    // Set by the phases when they report any difference.
    bool differencesFound = false;
    // Set when something went wrong inside the run (an error block, an object that could not be
    // compared, a name cut by a buffer): the run finished, but not every object was compared.
    std::atomic<bool> troubleFound{false};
    void noteTrouble() { troubleFound = true; }
    // Worker: the warning for a name that did not fit the buffer it was read into: `what` is
    // "table", "column", ...; `of` names the object it belongs to (" of table T") or is empty.
    // Notes the trouble.
    void warnNameCut(const std::string& what, const std::string& cutName, const std::string& of,
                     std::size_t limit, const DatabaseSource& side, bool database1);
    RunOutcome lastOutcome = RunOutcome::None;
    // Rows sorted by the program (b_SortRows): the memory one side's sort may fill before it
    // spills sorted runs to temporary files, and the runs spilled so far in this session.
    std::size_t sortMemoryBudget = std::size_t{32} << 20;
    std::atomic<std::size_t> sortRunsWritten{0};

    PhaseTable phases;

    // Main window caption: `caption` plus the title suffix. Any thread.
    void setMainCaption(const std::string& caption);
    std::string currentMainCaption() const;
    // Control panel caption line.
    void setPanelCaption(const std::string& caption) { host_.setPanelCaption(caption); }

    // Worker: selects `text` in the control panel's object list, searched on from `from` (the
    // entry found last, which it updates) and then once from the top, as the phases meet the
    // entries mostly in the order they were added. Clears the selection when it is not there.
    void selectPanelObject(const std::string& text, int& from);

    // Worker: waits while paused and ends the run when a stop was requested.
    void pauseStopCheck();
    // Worker: ends the run at once; the run driver then writes the stop line. Does not return.
    [[noreturn]] void stopRoutine();

    void clearCommonLists();

    // Attaches both sides to the session, whoever opened them: their messages reach the host,
    // and a list retrieval on the worker ends when the run is stopped. The run driver does it
    // at the start of every run. Two sides that would be named alike (two databases of one
    // server) are then named with the database each driver reports, "name (database)".
    void wireSides();

private:
    // What the sides ask of the session: messages and files go to the host; the stop check is
    // the run's.
    class SideWiring : public SideHost {
    public:
        explicit SideWiring(Session& session) : session_(session) {}
        void showMessage(const std::string& text) override { session_.host_.showMessage(text); }
        std::optional<std::string> chooseFile(const FileRequest& request) override {
            return session_.host_.chooseFile(request);
        }
        void checkStop() override;

    private:
        Session& session_;
    };

    RunHost& host_;
    SideWiring sideWiring_{*this};
    mutable std::mutex captionMutex_;
    std::string currentCaption_;
};

} // namespace zentab
