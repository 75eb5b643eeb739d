// zentab-batch: runs a comparison without a window and exits with a status a script can use.

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <CLI/CLI.hpp>

#include "batch/batch_host.h"
#include "batch/run_advice.h"
#include "compare/data/statement_compare.h"
#include "compare/phases.h"
#include "engine/configuration.h"
#include "engine/file_guard.h"
#include "engine/run_driver.h"
#include "engine/session.h"
#include "engine/stored_side.h"
#include "settings/preferences.h"
#include "settings/settings_keys.h"

namespace {

enum ExitStatus {
    kNoDifferences = 0,
    kDifferences = 1,
    kTrouble = 2,
    kStopped = 3,
    kReportLost = 4
};

// Signals arrive on any thread; the handler only counts them, except before the run starts,
// when there is nothing to stop or save and the program ends at once.
std::atomic<int> signalCount{0};
std::atomic<bool> terminateSeen{false};
std::atomic<bool> runStarted{false};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

void onSignal(int number) {
    if (number == SIGTERM) {
        terminateSeen = true;
    }
    signalCount.fetch_add(1);
    if (!runStarted) {
        _exit(kStopped);
    }
}

void installSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// How long a stop may take before a second Ctrl+C, or a SIGTERM, ends the program without it.
constexpr auto kStopGrace = std::chrono::seconds(3);

struct Options {
    std::string config;
    int timeout = 0;
    std::string db1, db2, snapshot1, snapshot2, owner1, owner2;
    std::vector<std::string> sets, adds, wheres, prefs;
    std::string reportPath;
    std::string snapshotOut;
    std::string saveConfig;
    std::string sql1, sql2;
    bool sql = false;
    bool colour = false;
    bool verbose = false;
};

bool splitPair(const std::string& text, std::string& key, std::string& value) {
    auto equals = text.find('=');
    if (equals == std::string::npos || equals == 0) {
        return false;
    }
    key = text.substr(0, equals);
    value = text.substr(equals + 1);
    return true;
}

std::string trim(const std::string& text) {
    const char* blanks = " \t\r\n";
    auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Applies --set, --add and --where; false (with a message) on the first bad one.
bool applySettings(const Options& options, zentab::CompareSettings& settings) {
    std::string key, value, error;
    for (const auto& item : options.sets) {
        if (!splitPair(item, key, value)) {
            std::fprintf(stderr, "zentab-batch: --set expects KEY=VALUE, got \"%s\"\n",
                         item.c_str());
            return false;
        }
        if (!zentab::setByKey(settings, key, value, error)) {
            std::fprintf(stderr, "zentab-batch: --set %s: %s\n", item.c_str(), error.c_str());
            return false;
        }
    }
    for (const auto& item : options.adds) {
        if (!splitPair(item, key, value) || !zentab::appendToList(settings, key, value)) {
            std::fprintf(stderr,
                         "zentab-batch: --add expects LIST=VALUE with LIST one of \"Ignore "
                         "Columns\", \"Ignore Data Types\", \"Ignore Tables\", \"Ignore Views\", "
                         "\"Ignore Procs\"; got \"%s\"\n",
                         item.c_str());
            return false;
        }
    }
    for (const auto& item : options.wheres) {
        if (!splitPair(item, key, value)) {
            std::fprintf(stderr, "zentab-batch: --where expects NAME=CONDITION, got \"%s\"\n",
                         item.c_str());
            return false;
        }
        value = trim(value);
        if (value.empty()) {
            settings.whereStatements.erase(key);
        } else {
            settings.whereStatements[key] = value;
        }
    }
    return true;
}

bool sameKey(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

std::string runPreferenceKeyList() {
    std::string keys;
    for (std::string_view key : zentab::runPreferenceKeys()) {
        keys += (keys.empty() ? "" : ", ") + std::string(key);
    }
    return keys;
}

// Applies --pref to the preferences of this run, which are never stored; false (with a message)
// on the first bad one.
bool applyPreferences(const Options& options, zentab::Preferences& preferences) {
    std::string key, value, error;
    for (const auto& item : options.prefs) {
        if (!splitPair(item, key, value)) {
            std::fprintf(stderr, "zentab-batch: --pref expects KEY=VALUE, got \"%s\"\n",
                         item.c_str());
            return false;
        }
        // The per-user defaults of the settings are the settings' business.
        for (const auto& field : zentab::settingFields()) {
            if (!field.userKey.empty() && !field.fileKey.empty() && sameKey(key, field.userKey)) {
                std::fprintf(stderr,
                             "zentab-batch: --pref %s: \"%s\" is the stored default of %s; give "
                             "--set %s=%s\n",
                             item.c_str(), key.c_str(), std::string(field.fileKey).c_str(),
                             std::string(field.fileKey).c_str(), value.c_str());
                return false;
            }
        }
        if (!zentab::setRunPreference(preferences, key, value, error)) {
            const auto& keys = zentab::runPreferenceKeys();
            const bool known = std::any_of(keys.begin(), keys.end(),
                                           [&key](std::string_view k) { return sameKey(key, k); });
            std::fprintf(stderr, "zentab-batch: --pref %s: %s%s\n", item.c_str(), error.c_str(),
                         known ? "" : ("; --pref takes " + runPreferenceKeyList()).c_str());
            return false;
        }
    }
    return true;
}

// The --where names that set a condition, as the run looks them up.
std::vector<std::string> whereNames(const Options& options) {
    std::vector<std::string> names;
    std::string key, value;
    for (const auto& item : options.wheres) {
        if (splitPair(item, key, value) && !trim(value).empty()) {
            names.push_back(key);
        }
    }
    return names;
}

void warnAboutIgnoreColumns(const zentab::CompareSettings& settings) {
    for (const std::string& line : zentab::ignoreColumnsWarnings(settings)) {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
}

// A statement comparison takes its statements from --sql1 and --sql2, or, with --sql, from the
// settings; false (with the message the dialog would show) when one of them is empty.
bool applyStatements(const Options& options, bool given1, bool given2,
                     zentab::CompareSettings& settings) {
    if (given1) {
        settings.s_GlobalPassSql1 = options.sql1;
        settings.s_GlobalPassSql2 = given2 ? options.sql2 : options.sql1;
    }
    if (!given1 && !options.sql) {
        return true;
    }
    const zentab::StatementRefusal refusal =
        zentab::checkStatements(settings.s_GlobalPassSql1, settings.s_GlobalPassSql2);
    if (refusal.box != 0) {
        std::fprintf(stderr, "zentab-batch: %s\n", refusal.message.c_str());
        return false;
    }
    return true;
}

// Opens one side named on the command line and selects its owner; false when it cannot be used
// (the reason is already on standard error). A side the command line does not name stays as the
// configuration file left it, owner aside.
bool openSide(zentab::Session& session, int number, const std::string& connect,
              const std::string& snapshot, const std::string& owner, int timeout) {
    auto& side = number == 1 ? session.side1 : session.side2;
    if (!connect.empty() || !snapshot.empty()) {
        zentab::StoredSide stored;
        stored.b_IsSnapshot = !snapshot.empty();
        stored.s_ConnectString = stored.b_IsSnapshot ? snapshot : connect;
        zentab::openStoredSide(session, number, stored, timeout);
        (number == 1 ? session.settings.side1IsSnapshot : session.settings.side2IsSnapshot) =
            stored.b_IsSnapshot;
    } else if (!side || owner.empty()) {
        return true;
    }
    if (!side || side->notUsable) {
        std::fprintf(stderr, "zentab-batch: Database %d could not be opened.\n", number);
        return false;
    }
    if (!owner.empty()) {
        auto listed = [&owner](const std::vector<std::string>& names) {
            for (const auto& name : names) {
                if (name == owner) {
                    return true;
                }
            }
            return false;
        };
        if (listed(side->schemaNames)) {
            side->SelectOwner(owner, false);
        } else if (listed(side->catalogNames)) {
            side->SelectOwner(owner, true);
        } else {
            std::fprintf(stderr,
                         "zentab-batch: Database %d lists no schema or catalog named \"%s\".\n",
                         number, owner.c_str());
            return false;
        }
    }
    return true;
}

// True when both names lead to one file, whether or not it exists yet.
bool namesOneFile(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code errorA, errorB;
    if (fs::equivalent(a, b, errorA)) {
        return true;
    }
    const fs::path pathA = fs::weakly_canonical(a, errorA);
    const fs::path pathB = fs::weakly_canonical(b, errorB);
    return !errorA && !errorB && pathA == pathB;
}

// Loads the positional configuration file; false when it cannot be used (the reason is already
// on standard error).
bool loadConfigurationFile(zentab::Session& session, const Options& options) {
    zentab::SidesToOpen sides;
    sides.database1 = options.db1.empty() && options.snapshot1.empty();
    sides.database2 = options.db2.empty() && options.snapshot2.empty();
    sides.timeoutSeconds = options.timeout;
    switch (zentab::loadConfiguration(session, options.config, false, sides)) {
    case zentab::ConfigurationLoad::Loaded:
        return true;
    case zentab::ConfigurationLoad::Refused:
        return false;
    case zentab::ConfigurationLoad::Incomplete:
        // Settings missing from the end of the file would change what the run reports.
        std::fprintf(stderr, "zentab-batch: %s ends before its last setting; it may be damaged.\n",
                     options.config.c_str());
        return false;
    }
    return false;
}

// --save-config: writes the file and says whether it did. A side the file or the command line
// names must have opened, or its connection would be left out of the file.
bool saveConfigurationFile(zentab::Session& session, const std::string& path) {
    for (int number = 1; number <= 2; ++number) {
        const auto& side = number == 1 ? session.side1 : session.side2;
        if (side && side->notUsable) {
            std::fprintf(stderr, "zentab-batch: Database %d could not be opened.\n", number);
            return false;
        }
    }
    // The file read at the start is an input like the sides: a new file is written instead.
    if (const std::string refusal =
            zentab::fileOverInputMessage(session, {"The configuration file", path}, true);
        !refusal.empty()) {
        session.host().showMessage(refusal);
        return false;
    }
    return zentab::saveConfiguration(session, path);
}

} // namespace

int main(int argc, char** argv) {
    // First of all, so that an interrupt at any moment is honoured.
    installSignalHandlers();
    // Names are upper-cased in the code page of the user's locale.
    std::setlocale(LC_CTYPE, "");
    Options options;
    CLI::App app{"Compares two databases, each an ODBC data source or a snapshot file, and writes "
                 "the report, or writes a snapshot of one database.\n\nExit status: 0 finished, "
                 "every common object compared equal or the snapshot written; 1 "
                 "finished with differences; 2 trouble: not started, or finished with an error, a "
                 "\"no columns to select\" warning, a name cut or a statement that could not be "
                 "executed in the report (the report is still written); 3 stopped; 4 the report "
                 "(or the snapshot) could not be written.",
                 "zentab-batch"};
    app.set_version_flag("--version", std::string("zentab-batch ") + ZENTAB_VERSION);
    app.add_option("CONFIG.zcf", options.config,
                   "A configuration file to load first, in the text or the older binary form. "
                   "Options given on the command line then replace what the file says (--db1 "
                   "replaces its Database 1, --set a setting, --add appends to a list). The file "
                   "decides the run: a snapshot of Database 1 when its b_SnapshotOnly is 1, "
                   "otherwise a comparison");
    auto* db1 = app.add_option("--db1", options.db1, "Database 1: an ODBC connect string");
    auto* snap1 = app.add_option("--snapshot1", options.snapshot1, "Database 1: a snapshot file");
    auto* db2 = app.add_option("--db2", options.db2, "Database 2: an ODBC connect string");
    auto* snap2 = app.add_option("--snapshot2", options.snapshot2, "Database 2: a snapshot file");
    db1->excludes(snap1);
    db2->excludes(snap2);
    app.add_option("--owner1", options.owner1, "Owner qualifier (schema or catalog) of Database 1");
    app.add_option("--owner2", options.owner2, "Owner qualifier (schema or catalog) of Database 2");
    app.add_option("--set", options.sets,
                   "KEY=VALUE: a setting by its configuration-file key, e.g. b_DoTabData=0")
        ->allow_extra_args(false);
    app.add_option("--add", options.adds,
                   "LIST=VALUE: append to \"Ignore Columns\", \"Ignore Data Types\", \"Ignore "
                   "Tables\", \"Ignore Views\" or \"Ignore Procs\"")
        ->allow_extra_args(false);
    app.add_option("--where", options.wheres,
                   "NAME=CONDITION: a data condition for a table or view")
        ->allow_extra_args(false);
    app.add_option("--pref", options.prefs,
                   "KEY=VALUE: a per-user preference for this run only (the preference file is "
                   "neither read nor written), by its key in that file: " +
                       runPreferenceKeyList() +
                       "; e.g. --pref specObjStringOpen=[ --pref specObjStringClose=] to quote "
                       "names in brackets")
        ->allow_extra_args(false);
    auto* snapshotOut =
        app.add_option("--snapshot-out", options.snapshotOut,
                       "Write a snapshot of Database 1 to FILE instead of comparing (Database 2 is "
                       "not needed); the include options are b_DoTabStruct, b_DoIndex, "
                       "b_DoTabData, b_DoViewStruct, b_DoViewData and b_DoProcStruct");
    snapshotOut->excludes(db2)->excludes(snap2);
    auto* sql1 = app.add_option("--sql1", options.sql1,
                                "STATEMENT: compare its result on Database 1 with that of --sql2 "
                                "on Database 2, row by row, instead of comparing the databases "
                                "(the statements run as given: order both alike)");
    auto* sql2 = app.add_option("--sql2", options.sql2,
                                "STATEMENT: executed on Database 2 (default: the same statement "
                                "as --sql1)");
    sql2->needs(sql1);
    app.add_flag("--sql", options.sql,
                 "Compare the statements stored as s_GlobalPassSql1 and s_GlobalPassSql2 (from "
                 "--set or a configuration file) instead of comparing the databases")
        ->excludes(sql1);
    snapshotOut->excludes(sql1)->excludes("--sql");
    app.add_option("--report", options.reportPath,
                   "Write the report to FILE (default: standard output)");
    app.add_option("--timeout", options.timeout,
                   "SECONDS the drivers wait for a login or a statement before giving up "
                   "(default: no limit)")
        ->check(CLI::Range(1, 86400));
    app.add_option("--save-config", options.saveConfig,
                   "Open the sides, write them and the settings to the configuration FILE "
                   "(readable by its owner only: connect strings hold passwords) and exit without "
                   "a run");
    app.add_flag("--color", options.colour, "Colour the report on a terminal");
    app.add_flag("--verbose", options.verbose, "Show the progress of each phase on standard error");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int status = app.exit(e);
        return status == 0 ? 0 : kTrouble;
    }

    const bool fromConfiguration = !options.config.empty();
    const bool saving = !options.saveConfig.empty();
    // Without a configuration file the command line names both sides of a comparison.
    if (!fromConfiguration && !saving && options.db1.empty() && options.snapshot1.empty()) {
        std::fprintf(stderr, "zentab-batch: Database 1 is missing: give --db1 or --snapshot1.\n");
        return kTrouble;
    }
    bool snapshotRun = !options.snapshotOut.empty();
    if (!fromConfiguration && !saving && !snapshotRun && options.db2.empty() &&
        options.snapshot2.empty()) {
        std::fprintf(stderr, "zentab-batch: Database 2 is missing: give --db2 or --snapshot2.\n");
        return kTrouble;
    }

    // The report stream is set once the run is sure to start; until then nothing is written.
    zentab::BatchHost host(options.verbose);
    zentab::PhaseTable phases = zentab::standardPhases();
    zentab::ListAdvice advice;
    advice.whereNames = whereNames(options);
    advice.ownerGiven = {!options.owner1.empty(), !options.owner2.empty()};
    zentab::adviseAfterLists(phases, std::move(advice));
    zentab::Session session(host, std::move(phases));
    const bool statements = options.sql || sql1->count() > 0;
    // Before the sides are opened: the special characters are taken when a side connects.
    if (!applyPreferences(options, session.preferences)) {
        return kTrouble;
    }
    session.writer.setColours(session.preferences.colours);
    if ((fromConfiguration && !loadConfigurationFile(session, options)) ||
        !applySettings(options, session.settings) ||
        !applyStatements(options, sql1->count() > 0, sql2->count() > 0, session.settings) ||
        !openSide(session, 1, options.db1, options.snapshot1, options.owner1, options.timeout) ||
        (!snapshotRun &&
         !openSide(session, 2, options.db2, options.snapshot2, options.owner2, options.timeout))) {
        return kTrouble;
    }
    if (!statements) {
        warnAboutIgnoreColumns(session.settings);
    }
    if (saving) {
        return saveConfigurationFile(session, options.saveConfig) ? kNoDifferences : kTrouble;
    }
    if (statements) {
        // A configuration file of a snapshot run names no Database 2.
        for (int number = 1; number <= 2; ++number) {
            const auto& side = number == 1 ? session.side1 : session.side2;
            if (!side || side->notUsable) {
                std::fprintf(stderr,
                             "zentab-batch: Database %d is missing: give --db%d or --snapshot%d.\n",
                             number, number, number);
                return kTrouble;
            }
        }
    }
    if (snapshotRun) {
        session.settings.b_SnapshotOnly = true;
        session.settings.s_SnapshotFile = options.snapshotOut;
    } else if (fromConfiguration && !statements) {
        // The file decides the run, as when the desktop program starts from it.
        if (const std::string refusal = zentab::automaticStartRefusal(session); !refusal.empty()) {
            host.showMessage(refusal);
            return kTrouble;
        }
        snapshotRun = session.settings.b_SnapshotOnly;
    } else {
        session.settings.b_SnapshotOnly = false;
    }

    std::vector<zentab::RunOutput> reportOutput;
    if (!options.reportPath.empty()) {
        reportOutput.push_back({"The report file", options.reportPath});
    }
    if (const std::string refusal = zentab::outputOverInputMessage(session, reportOutput);
        !refusal.empty()) {
        host.showMessage(refusal);
        return kTrouble;
    }
    // Both would write the one file, each spoiling the other.
    if (snapshotRun && !options.reportPath.empty() &&
        namesOneFile(options.reportPath, session.settings.s_SnapshotFile)) {
        std::fprintf(stderr, "zentab-batch: the report and the snapshot name the same file.\n");
        return kTrouble;
    }
    std::FILE* report = stdout;
    if (!options.reportPath.empty()) {
        report = std::fopen(options.reportPath.c_str(), "wb");
        if (report == nullptr) {
            std::fprintf(stderr, "zentab-batch: cannot create %s: %s\n", options.reportPath.c_str(),
                         std::strerror(errno));
            return kTrouble;
        }
    }
    host.setReport(report, options.colour && isatty(fileno(report)) != 0);

    zentab::RunDriver driver(session);
    runStarted = true;
    if (signalCount > 0 || !(statements ? driver.startSqlCompareRun() : driver.startRun())) {
        host.finishReport();
        if (report != stdout) {
            std::fclose(report);
        }
        return signalCount > 0 ? kStopped : kTrouble;
    }
    using Clock = std::chrono::steady_clock;
    std::optional<Clock::time_point> stopRequested;
    while (driver.workerActive()) {
        if (signalCount > 0 && !stopRequested) {
            stopRequested = Clock::now();
            if (session.control.running) {
                driver.stop(false);
            }
        }
        // A stop waits for the database call in progress; one that hangs is not waited for
        // when the user insists or the system asks the program to end.
        if (stopRequested && (signalCount > 1 || terminateSeen) &&
            Clock::now() - *stopRequested >= kStopGrace) {
            host.abandon("zentab-batch: the run did not stop in time; ending without waiting "
                         "for the database.");
            if (report != stdout) {
                std::fclose(report);
            }
            _exit(kStopped);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    driver.join();

    bool written = host.finishReport();
    if (report != stdout && std::fclose(report) != 0) {
        written = false;
    }
    if (!written) {
        std::fprintf(stderr, "zentab-batch: the report could not be written: %s\n",
                     std::strerror(host.writeError() != 0 ? host.writeError() : EIO));
        return kReportLost;
    }
    if (session.writer.outputFailed || session.writer.autoSaveFailed) {
        std::fprintf(
            stderr, "zentab-batch: the %s could not be written to %s.\n",
            snapshotRun ? "snapshot" : "report",
            (snapshotRun ? session.settings.s_SnapshotFile : session.settings.s_AutoSaveFile)
                .c_str());
        return kReportLost;
    }
    switch (session.lastOutcome) {
    case zentab::RunOutcome::Finished:
        if (snapshotRun && session.troubleFound) {
            // A snapshot run reports nothing, so the reason would go unseen.
            std::fprintf(stderr,
                         "zentab-batch: the snapshot %s is incomplete: not everything it "
                         "was to hold could be read from Database 1.\n",
                         session.settings.s_SnapshotFile.c_str());
        }
        if (session.troubleFound) {
            return kTrouble;
        }
        return session.differencesFound ? kDifferences : kNoDifferences;
    case zentab::RunOutcome::Stopped:
        return kStopped;
    default:
        return kTrouble;
    }
}
