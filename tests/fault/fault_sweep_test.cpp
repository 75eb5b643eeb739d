// The ODBC fault sweep: zentab-batch compares two small databases once for every ODBC call it
// makes, with that one call failing (the library of odbc_fault.cpp, preloaded), and must never
// pass a failure off as a finished comparison. Exit status 2 is always an acceptable answer to a
// failure; 0 or 1 only with the very report of the run without a failure.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/odbc_fixture.h"
#include "support/temp_dir.h"

extern char** environ;

namespace zentab::test {
namespace {

// A run that takes longer than this is hung: an undisturbed one takes well under a second.
constexpr std::chrono::seconds kRunLimit{30};
constexpr int kParallelRuns = 2;

struct BatchRun {
    bool timedOut = false;
    int signal = 0;  // the signal that ended the run, 0 when it exited
    int status = -1; // the exit status when it exited
    std::string report;
    std::string err;
    long calls = -1;    // as the fault library logged them at exit, -1 without a log
    std::string failed; // the call it made to fail, as logged
};

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Runs zentab-batch with `arguments` plus the report file, the fault library preloaded and
// call `failAt` failing (none when 0); `trace` names every call in that file. Standard output and
// error go to files in `folder` named after the run.
BatchRun runBatch(const TempDir& folder, const std::vector<std::string>& arguments, long failAt,
                  const std::string& trace = {}) {
    BatchRun run;
    const std::string tag = "run" + std::to_string(failAt);
    const std::string report = folder.file(tag + ".report");
    const std::string out = folder.file(tag + ".out");
    const std::string err = folder.file(tag + ".err");
    const std::string log = folder.file(tag + ".log");
    std::remove(log.c_str());

    std::vector<std::string> args = {ZENTAB_BATCH_EXE};
    args.insert(args.end(), arguments.begin(), arguments.end());
    args.insert(args.end(), {"--report", report});

    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (!startsWith(text, "ZENTAB_FAULT_") && !startsWith(text, "LD_PRELOAD=") &&
            !startsWith(text, "ASAN_OPTIONS=")) {
            env.push_back(text);
        }
    }
    const std::string preload = environment("LD_PRELOAD");
    env.push_back(std::string("LD_PRELOAD=") + ZENTAB_FAULT_LIBRARY +
                  (preload.empty() ? "" : ":" + preload));
    // A sanitized zentab-batch finds the fault library ahead of the sanitizer runtime, which is
    // as it must be here; the other options stay as the caller set them.
    const std::string asan = environment("ASAN_OPTIONS");
    env.push_back("ASAN_OPTIONS=" + asan + (asan.empty() ? "" : ":") + "verify_asan_link_order=0");
    env.push_back("ZENTAB_FAULT_LOG=" + log);
    if (failAt > 0) {
        env.push_back("ZENTAB_FAULT_AT=" + std::to_string(failAt));
    }
    if (!trace.empty()) {
        env.push_back("ZENTAB_FAULT_TRACE=" + trace);
    }

    auto pointers = [](std::vector<std::string>& texts) {
        std::vector<char*> list;
        for (auto& text : texts) {
            list.push_back(text.data());
        }
        list.push_back(nullptr);
        return list;
    };
    std::vector<char*> argv = pointers(args);
    std::vector<char*> envp = pointers(env);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        run.err = std::string("cannot start zentab-batch: ") + std::strerror(spawned);
        return run;
    }

    const auto deadline = std::chrono::steady_clock::now() + kRunLimit;
    int raw = 0;
    while (waitpid(pid, &raw, WNOHANG) != pid) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &raw, 0);
            run.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (!run.timedOut) {
        if (WIFSIGNALED(raw)) {
            run.signal = WTERMSIG(raw);
        } else {
            run.status = WEXITSTATUS(raw);
        }
    }
    run.report = readFile(report);
    run.err = readFile(err);

    std::istringstream lines(readFile(log));
    std::string word;
    while (lines >> word) {
        if (word == "calls") {
            lines >> run.calls;
        } else if (word == "failed") {
            long number = 0;
            lines >> number;
            std::getline(lines, run.failed);
            run.failed.erase(0, run.failed.find_first_not_of(' '));
        }
    }
    return run;
}

// The value of the header line that starts with `prefix`, up to its line end.
std::string headerValue(const std::string& report, const std::string& prefix) {
    std::size_t at = startsWith(report, prefix) ? 0 : report.find("\r\n" + prefix);
    if (at == std::string::npos) {
        return {};
    }
    at = report.find(prefix, at) + prefix.size();
    return report.substr(at, report.find("\r\n", at) - at);
}

// Replaces each of `names`, and the padding after it, with `to` and one blank wherever it stands
// whole or cut to a column's width (then at least ten characters of it, or all when shorter).
// Where two names share a start, the longer match wins.
void replaceNames(std::string& text, const std::vector<std::string>& names, const std::string& to) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        std::size_t longest = 0;
        for (const std::string& name : names) {
            std::size_t length = 0;
            while (length < name.size() && at + length < text.size() &&
                   text[at + length] == name[length]) {
                ++length;
            }
            if (length > 0 && length >= std::min<std::size_t>(name.size(), 10)) {
                longest = std::max(longest, length);
            }
        }
        if (longest == 0) {
            continue;
        }
        while (at + longest < text.size() && text[at + longest] == ' ') {
            ++longest;
        }
        text.replace(at, longest, to + " ");
        at += to.size();
    }
}

// The report's lines without what may differ between two runs of the same comparison: the
// elapsed time, the sides' display names (a failed driver question may change them, and so their
// padding and where a column cuts them) and runs of blanks. Both names become one placeholder: two
// sides on one server may share a name, which a failure can then give to one of them only.
std::vector<std::string> normalised(std::string report) {
    const std::string elapsed = "--- End of Zentab --- Elapsed Time: ";
    if (std::size_t at = report.find(elapsed); at != std::string::npos) {
        at += elapsed.size();
        report.replace(at, report.find(" ---", at) - at, "<time>");
    }
    const std::string name1 = headerValue(report, "< DATABASE 1:  ");
    const std::string name2 = headerValue(report, "> DATABASE 2:  ");
    replaceNames(report, {name1, name2}, "<database>");
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= report.size()) {
        std::size_t end = report.find("\r\n", start);
        std::string line = report.substr(start, end == std::string::npos ? end : end - start);
        std::string squeezed;
        for (char c : line) {
            const bool blank = c == ' ' || c == '\t';
            if (!blank || squeezed.empty() || squeezed.back() != ' ') {
                squeezed += blank ? ' ' : c;
            }
        }
        while (!squeezed.empty() && squeezed.back() == ' ') {
            squeezed.pop_back();
        }
        lines.push_back(std::move(squeezed));
        if (end == std::string::npos) {
            break;
        }
        start = end + 2;
    }
    return lines;
}

std::string sanitizerReport(const std::string& err) {
    for (const char* marker : {"ERROR: AddressSanitizer", "runtime error:", "LeakSanitizer"}) {
        if (std::size_t at = err.find(marker); at != std::string::npos) {
            std::size_t lineStart = err.rfind('\n', at);
            lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
            return err.substr(lineStart, err.find('\n', at) - lineStart);
        }
    }
    return {};
}

// What is wrong with `run`, or nothing when it is an acceptable answer to its failed call.
std::string verdict(const BatchRun& run, const BatchRun& baseline,
                    const std::vector<std::string>& expected, const std::string& expectedCall) {
    if (run.timedOut) {
        return "no end within " + std::to_string(kRunLimit.count()) + " s";
    }
    if (run.signal != 0) {
        return "killed by SIG" + std::string(sigabbrev_np(run.signal)) + "; " +
               sanitizerReport(run.err);
    }
    if (std::string found = sanitizerReport(run.err); !found.empty()) {
        return "exit " + std::to_string(run.status) + " with a sanitizer report: " + found;
    }
    if (run.failed.empty()) {
        return "exit " + std::to_string(run.status) + ", but the call was never made";
    }
    if (run.failed != expectedCall) {
        return "the calls differ from the first run's: the call failed was " + run.failed;
    }
    if (run.status == 2) {
        return {};
    }
    if (run.status != 0 && run.status != 1) {
        return "exit " + std::to_string(run.status);
    }
    // Where the library's diagnostic went tells a failure reported with the wrong status from
    // one that went unnoticed.
    const std::string mark = "[fault injection] call ";
    const std::string status =
        "exit " + std::to_string(run.status) +
        (run.report.find(mark) != std::string::npos ? ", diagnostic in the report"
         : run.err.find(mark) != std::string::npos  ? ", diagnostic on standard error only"
                                                    : ", diagnostic shown nowhere");
    if (run.status != baseline.status) {
        return status + " where the run without a failure gave " + std::to_string(baseline.status);
    }
    const std::vector<std::string> got = normalised(run.report);
    const std::size_t common = std::min(got.size(), expected.size());
    for (std::size_t line = 0; line < common; ++line) {
        if (got[line] != expected[line]) {
            return status + ", report line " + std::to_string(line + 1) + " reads \"" + got[line] +
                   "\" instead of \"" + expected[line] + "\"";
        }
    }
    if (got.size() != expected.size()) {
        const std::size_t line = common + 1;
        return status + ", report line " + std::to_string(line) +
               (got.size() < expected.size() ? " missing, \"" + expected[common] + "\" expected"
                                             : " extra: \"" + got[common] + "\"");
    }
    return {};
}

// Sweeps a comparison whose run without a failure exits with status 1.
class FaultSweep : public ::testing::Test {
protected:
    // The first run counts and names the calls; then every call is made to fail in turn.
    void sweep(const std::vector<std::string>& arguments) {
        const std::string trace = dir.file("trace");
        const BatchRun baseline = runBatch(dir, arguments, 0, trace);
        ASSERT_EQ(baseline.status, 1) << baseline.report << baseline.err;
        ASSERT_EQ(sanitizerReport(baseline.err), "") << baseline.err;
        const std::vector<std::string> calls = countedCalls(trace);
        ASSERT_GT(baseline.calls, 0);
        ASSERT_EQ(static_cast<std::size_t>(baseline.calls), calls.size());
        const std::vector<std::string> expected = normalised(baseline.report);

        // ZENTAB_FAULT_CALLS=N or N-M sweeps those calls alone and shows what each run wrote,
        // for looking into a failure by hand.
        std::size_t first = 1;
        std::size_t last = calls.size();
        const std::string chosen = environment("ZENTAB_FAULT_CALLS");
        const bool show = !chosen.empty();
        if (show) {
            first = std::stoul(chosen);
            const std::size_t dash = chosen.find('-');
            last = std::min(last, dash == std::string::npos ? first
                                                            : std::stoul(chosen.substr(dash + 1)));
        }

        std::vector<std::string> verdicts(calls.size());
        std::vector<BatchRun> shown(show ? calls.size() : 0);
        std::atomic<std::size_t> next{first};
        auto worker = [&] {
            for (std::size_t number = next++; number <= last; number = next++) {
                BatchRun run = runBatch(dir, arguments, static_cast<long>(number));
                verdicts[number - 1] = verdict(run, baseline, expected, calls[number - 1]);
                if (show) {
                    shown[number - 1] = std::move(run);
                }
            }
        };
        std::vector<std::thread> workers;
        for (int i = 0; i < kParallelRuns; ++i) {
            workers.emplace_back(worker);
        }
        for (auto& thread : workers) {
            thread.join();
        }
        for (std::size_t number = first; number <= last; ++number) {
            const std::string& wrong = verdicts[number - 1];
            if (show) {
                const BatchRun& run = shown[number - 1];
                std::printf("==== call %zu (%s): %s\n%s\n==== standard error\n%s\n", number,
                            calls[number - 1].c_str(), wrong.empty() ? "acceptable" : wrong.c_str(),
                            run.report.c_str(), run.err.c_str());
            }
            if (!wrong.empty()) {
                ADD_FAILURE() << "call " << number << " (" << calls[number - 1] << "): " << wrong;
            }
        }
    }

    // The calls of a trace, in order.
    static std::vector<std::string> countedCalls(const std::string& trace) {
        std::vector<std::string> calls;
        std::istringstream lines(readFile(trace));
        std::string line;
        while (std::getline(lines, line)) {
            if (!line.empty() && line[0] != '-') {
                calls.push_back(line.substr(line.find(' ') + 1));
            }
        }
        return calls;
    }

    TempDir dir;
};

// A few tables with a few rows, an index, a view; one row differs.
std::vector<std::string> comparisonSql(bool second, bool postgres) {
    std::vector<std::string> sql = {
        "CREATE TABLE customers (id INTEGER PRIMARY KEY, name VARCHAR(30) NOT NULL, "
        "city VARCHAR(30))",
        "CREATE INDEX customers_city ON customers (city)",
        "INSERT INTO customers VALUES (1, 'Ann', 'Oslo'), (2, 'Bob', 'Rome'), (3, 'Cid', NULL)",
        "CREATE TABLE orders (id INTEGER PRIMARY KEY, customer_id INTEGER, amount DECIMAL(8,2))",
        std::string("INSERT INTO orders VALUES (10, 1, 5.50), (11, 2, ") +
            (second ? "7.75" : "7.25") + ")",
        "CREATE VIEW located AS SELECT id, name FROM customers WHERE city IS NOT NULL",
    };
    if (postgres) {
        sql.push_back("CREATE FUNCTION order_total(customer INTEGER) RETURNS NUMERIC AS "
                      "'SELECT sum(amount) FROM orders WHERE customer_id = $1' LANGUAGE sql");
    }
    return sql;
}

class SqliteFaultSweep : public FaultSweep {
protected:
    void SetUp() override {
        for (int side : {1, 2}) {
            const std::string connect =
                sqliteStreamingConnectString(dir.file("side" + std::to_string(side) + ".db"));
            executeSql(connect, comparisonSql(side == 2, false));
            arguments.insert(arguments.end(), {"--db" + std::to_string(side), connect});
        }
    }

    std::vector<std::string> arguments;
};

TEST_F(SqliteFaultSweep, NoFailedCallPassesForAFinishedComparison) {
    sweep(arguments);
}

// The library's diagnostic must reach the user both from a refused connection (a message box)
// and from a refused statement (the report).
TEST_F(SqliteFaultSweep, TheFailedCallsDiagnosticReachesTheUser) {
    const std::string trace = dir.file("trace");
    ASSERT_EQ(runBatch(dir, arguments, 0, trace).status, 1);
    const std::vector<std::string> calls = countedCalls(trace);
    auto first = [&calls](const std::string& name) {
        auto found = std::find_if(calls.begin(), calls.end(), [&name](const std::string& call) {
            return startsWith(call, name);
        });
        return static_cast<long>(found - calls.begin()) + 1;
    };
    auto message = [](long number, const char* call) {
        return "[fault injection] call " + std::to_string(number) + " (" + call + ") failed";
    };

    const long connect = first("SQLDriverConnect");
    BatchRun refused = runBatch(dir, arguments, connect);
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("Could not connect to data source.\n\n" +
                               message(connect, "SQLDriverConnect")),
              std::string::npos)
        << refused.err;

    const long statement = first("SQLExecDirect");
    BatchRun failed = runBatch(dir, arguments, statement);
    EXPECT_NE(failed.report.find(message(statement, "SQLExecDirect")), std::string::npos)
        << failed.report;
}

// Every ODBC function zentab-batch imports must pass through the library, or its failures would
// never be tried.
TEST(FaultLibrary, InterposesEveryOdbcFunctionOfZentabBatch) {
    auto symbols = [](const std::string& options, const std::string& file) {
        std::set<std::string> names;
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(
            popen(("nm -D " + options + " '" + file + "'").c_str(), "r"), pclose);
        if (!pipe) {
            return names;
        }
        char line[512];
        while (std::fgets(line, sizeof line, pipe.get()) != nullptr) {
            std::istringstream words(line);
            std::string word, last;
            while (words >> word) {
                last = word;
            }
            last = last.substr(0, last.find('@'));
            if (last.size() > 3 && startsWith(last, "SQL") && std::isupper(last[3])) {
                names.insert(last);
            }
        }
        return names;
    };
    const std::set<std::string> imported = symbols("--undefined-only", ZENTAB_BATCH_EXE);
    const std::set<std::string> interposed = symbols("--defined-only", ZENTAB_FAULT_LIBRARY);
    ASSERT_FALSE(imported.empty()) << "nm found no ODBC function in " << ZENTAB_BATCH_EXE;
    for (const std::string& name : imported) {
        EXPECT_TRUE(interposed.count(name) == 1) << name << " is not interposed";
    }
}

// The same comparison on PostgreSQL, with a function, in two databases of the test's own: other
// tests create schemas in the shared database at the same time.
class PostgresFaultSweep : public FaultSweep {
protected:
    void SetUp() override {
        ZENTAB_REQUIRE_POSTGRES(server);
        server_ = server;
        for (int side : {1, 2}) {
            const std::string name =
                "zt_fault_" + std::to_string(getpid()) + "_" + std::to_string(side);
            executeSql(server_, {"DROP DATABASE IF EXISTS " + name + " WITH (FORCE)",
                                 "CREATE DATABASE " + name});
            databases_.push_back(name);
            const std::string connect = postgresStreamingConnectString(withDatabase(name));
            executeSql(connect, comparisonSql(side == 2, true));
            arguments.insert(arguments.end(), {"--db" + std::to_string(side), connect,
                                               "--owner" + std::to_string(side), "public"});
        }
    }

    void TearDown() override {
        for (const std::string& name : databases_) {
            try {
                executeSql(server_, {"DROP DATABASE IF EXISTS " + name + " WITH (FORCE)"});
            } catch (const std::exception& e) {
                ADD_FAILURE() << e.what();
            }
        }
    }

    // The server's connect string with its database replaced.
    std::string withDatabase(const std::string& name) const {
        std::string kept;
        std::istringstream attributes(server_);
        std::string attribute;
        while (std::getline(attributes, attribute, ';')) {
            std::string key = attribute.substr(0, attribute.find('='));
            std::transform(key.begin(), key.end(), key.begin(),
                           [](unsigned char c) { return std::tolower(c); });
            if (!attribute.empty() && key != "database") {
                kept += attribute + ";";
            }
        }
        return kept + "Database=" + name + ";";
    }

    std::vector<std::string> arguments;

private:
    std::string server_;
    std::vector<std::string> databases_;
};

TEST_F(PostgresFaultSweep, NoFailedCallPassesForAFinishedComparison) {
    sweep(arguments);
}

} // namespace
} // namespace zentab::test
