#pragma once
// Starts comparison runs and owns the worker thread that performs them; also the run-control
// commands. Commands are called on the window thread; the run body runs on the worker.

#include <atomic>
#include <ctime>
#include <functional>
#include <string>
#include <thread>

namespace zentab {

class Session;
struct CompareSettings;

// "%02i:%02i:%02i" of an elapsed time in seconds; hours may take more than two digits.
std::string formatElapsed(long long seconds);

enum class RunEnd { Finished, Stopped };

// The end of every run, on the worker, once its phases have returned (Finished, with the
// elapsed time) or a stop has unwound them (Stopped): the end line or the stop line, the
// captions, the last autosave, the closing of the output file and, for a finished run, the
// message or the automatic end of the program. Only the top of the worker calls it (and tests
// that stand in for it).
void finishRun(Session& session, RunEnd end, long long elapsedSeconds = 0);

class RunDriver {
public:
    // The parameters dialog: edits a copy of the settings, false when cancelled.
    using ParametersDialog = std::function<bool(CompareSettings&)>;
    using Clock = std::function<std::time_t()>;

    explicit RunDriver(Session& session);
    // Requests a stop and waits for the worker. A window must first let the worker end while
    // its event loop turns (the worker's calls into the window are synchronous).
    ~RunDriver();
    RunDriver(const RunDriver&) = delete;
    RunDriver& operator=(const RunDriver&) = delete;

    // "Start Zentab".
    void start(const ParametersDialog& dialog);
    // "Rerun Last".
    void rerunLast();
    bool canRerunLast() const;
    // Creates the control panel and the worker. False when a worker still exists.
    bool startRun();

    // The SQL Compare dialog: edits copies of the two statements, false when cancelled.
    using StatementsDialog = std::function<bool(std::string& statement1, std::string& statement2)>;
    // "Start SQL Compare".
    void startSqlCompare(const StatementsDialog& dialog);
    // "Rerun Last SQL Compare".
    void rerunLastSqlCompare();
    bool canRerunLastSqlCompare() const;
    // Starts the worker on a comparison of s_GlobalPassSql1 with s_GlobalPassSql2, closing the
    // control panel of an earlier run. False when a worker still exists.
    bool startSqlCompareRun();

    // Run control commands.
    void pause();
    void resume();
    void skip();
    // Asks the Stop question first unless `ask` is false (unattended front ends).
    void stop(bool ask = true);
    // Closing the control panel: refused with a message while a run is in progress.
    bool closeControlPanel();

    // True from startRun until the worker has returned from its body.
    bool workerActive() const { return workerActive_; }
    // Waits for an ended worker to be joined; only for front ends without an event loop, or
    // once workerActive() is false.
    void join();

    // Tests replace the clock to check the elapsed time.
    void setClock(Clock clock) { clock_ = std::move(clock); }

private:
    bool offerToSaveReport();
    bool haveTwoSources();
    bool startWorker(bool statements);
    void worker();
    std::time_t beginRun();
    void comparisonRun();
    void statementRun();
    void endOfRun(std::time_t startTime);
    void warnAboutSnapshots(bool (&warned)[2]);
    bool openSides();

    Session& session_;
    std::thread thread_;
    std::atomic<bool> workerActive_{false};
    bool statementRun_ = false; // the worker's body is a statement comparison
    bool sqlCompareHasRun_ = false;
    std::string savedCaption_;
    Clock clock_;
};

} // namespace zentab
