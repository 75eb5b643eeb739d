#pragma once
// Keeps a run from writing over a file it reads: the report, autosave and snapshot files of a
// run are checked, by device and inode, against the databases, snapshots and configuration
// file the run reads, before any of them is opened for writing. Any thread that owns the
// session while no run is in progress.

#include <string>
#include <vector>

namespace zentab {

class Session;

// A file the run will write, named for the message.
struct RunOutput {
    std::string what; // "The report file", ...
    std::string path;
};

// The files a run of the session writes under its settings, with `extra` (a front end's own
// report file) added.
std::vector<RunOutput> runOutputs(const Session& session, const std::vector<RunOutput>& extra = {});

// Empty when no output is a file the run reads; otherwise the message that refuses the run.
std::string outputOverInputMessage(const Session& session,
                                   const std::vector<RunOutput>& extra = {});

// The same for one file written outside a run (a configuration file being saved): checked
// against what the sides read and, when `withConfiguration`, the configuration file in use.
std::string fileOverInputMessage(const Session& session, const RunOutput& output,
                                 bool withConfiguration);

} // namespace zentab
