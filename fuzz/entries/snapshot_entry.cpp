// The snapshot target: a whole comparison run of two snapshot sides over the fuzzed files, so
// that whatever the reading phases make of a record (a width, a name, a row) shows in the time,
// the memory and the report size of a real run.

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "compare/phases.h"
#include "db/database_source.h"
#include "db/object_list.h"
#include "engine/quiet_host.h"
#include "engine/run_driver.h"
#include "engine/session.h"
#include "fuzz_entries.h"
#include "scratch_folder.h"

namespace zentab::fuzz {

namespace {

const char* const kFinished = "Zentab has finished comparing the databases";

// A host that shows nothing, answers so that the run goes on and keeps only the messages, which
// tell an internal error from a finished run. The worker and the fuzzing thread call it.
class DiscardingHost : public QuietHost {
public:
    void showMessage(const std::string& text) override {
        std::lock_guard lock(mutex_);
        messages_.push_back(text);
    }

    std::vector<std::string> messages() const {
        std::lock_guard lock(mutex_);
        return messages_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> messages_;
};

// Bit n of the option byte flips the n-th of these away from its default.
void applyOptions(CompareSettings& s, unsigned bits) {
    auto bit = [bits](int n) { return (bits >> n & 1u) != 0; };
    s.b_IgnoreTabCase = s.b_IgnoreViewCase = s.b_IgnoreProcCase = !bit(0);
    s.b_IgnoreColCase = !bit(1);
    s.b_DataAsCSV = bit(2);
    s.b_SummaryReportOnly = bit(3);
    s.b_IgnoreDatCase = bit(4);
    s.b_IgnoreDatLead = s.b_IgnoreDatTrail = bit(5);
    s.b_IgnoreDatSecs = s.b_IgnoreDatFrac = bit(6);
    s.b_CompDatValue = !bit(7);
}

std::unique_ptr<DatabaseSource> openSide(Session& session, const std::string& path) {
    auto side = DatabaseSource::ConnectInteractive(session.host(), true, path, nullptr,
                                                   session.preferences.specialCharacters);
    return side;
}

} // namespace

std::size_t reportLimit(std::size_t size) {
    // Fixed texts (headings, the end line) plus, per input byte on each side, one padded value
    // and the blanks of the name column in front of it.
    constexpr std::size_t kFixed = 1 << 20;
    constexpr std::size_t kPerByte = 2 * (kMaxDisplayWidth + 256);
    return kFixed + (size + 1) * kPerByte;
}

std::string snapshotInput(Input input) {
    static const ScratchFolder folder;
    static const std::string path1 = folder.file("one.zsn");
    static const std::string path2 = folder.file("two.zsn");
    if (input.empty()) {
        return {};
    }
    const std::string_view files(reinterpret_cast<const char*>(input.data()) + 1, input.size() - 1);
    const std::size_t at = files.find(kSideSeparator);
    const std::string_view side1 = files.substr(0, at);
    const std::string_view side2 =
        at == std::string_view::npos ? files : files.substr(at + kSideSeparator.size());
    if (!writeWholeFile(path1, side1) || !writeWholeFile(path2, side2)) {
        return "the snapshot files could not be written to " + path1;
    }

    DiscardingHost host;
    Session session(host, standardPhases());
    applyOptions(session.settings, input[0]);
    session.side1 = openSide(session, path1);
    session.side2 = openSide(session, path2);
    session.sideDefined1 = session.sideDefined2 = true;
    {
        RunDriver driver(session);
        if (!driver.startRun()) {
            return "the run did not start";
        }
        driver.join();
    }

    std::string problem;
    if (session.lastOutcome != RunOutcome::Finished) {
        problem += "the run did not finish\n";
    }
    for (const std::string& message : host.messages()) {
        if (message != kFinished) {
            problem += "message: " + message + "\n";
        }
    }
    const std::size_t reportSize = session.report.text().size();
    if (reportSize > reportLimit(input.size())) {
        problem += "a report of " + std::to_string(reportSize) + " bytes from " +
                   std::to_string(input.size()) + " bytes of snapshot\n";
    }
    return problem;
}

} // namespace zentab::fuzz
