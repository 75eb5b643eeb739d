#include "engine/file_guard.h"

#include <sys/stat.h>

#include "engine/session.h"

namespace zentab {

namespace {

struct RunInput {
    std::string what;
    std::string path;
};

bool sameFile(const std::string& a, const struct stat& b) {
    struct stat info {};
    return !a.empty() && ::stat(a.c_str(), &info) == 0 && info.st_dev == b.st_dev &&
           info.st_ino == b.st_ino;
}

void addSideInputs(const std::unique_ptr<DatabaseSource>& side, int number,
                   std::vector<RunInput>& inputs) {
    if (!side) {
        return;
    }
    const std::string database = "Database " + std::to_string(number);
    if (side->b_IsSnapshot) {
        inputs.push_back({"the snapshot file of " + database, side->s_SnapshotFile});
        return;
    }
    for (const std::string& file : side->filesRead()) {
        inputs.push_back({"a file that " + database + " reads", file});
    }
}

std::vector<RunInput> runInputs(const Session& session, bool withConfiguration) {
    std::vector<RunInput> inputs;
    addSideInputs(session.side1, 1, inputs);
    addSideInputs(session.side2, 2, inputs);
    if (withConfiguration && !session.autoStartPath.empty()) {
        inputs.push_back({"the configuration file", session.autoStartPath});
    }
    if (withConfiguration && !session.configurationPath.empty()) {
        inputs.push_back({"the configuration file", session.configurationPath});
    }
    return inputs;
}

std::string overInputMessage(const RunOutput& output, const std::vector<RunInput>& inputs) {
    struct stat info {};
    // A file that does not exist yet cannot be one the run reads.
    if (output.path.empty() || ::stat(output.path.c_str(), &info) != 0) {
        return {};
    }
    for (const RunInput& input : inputs) {
        if (sameFile(input.path, info)) {
            return output.what + " " + output.path + " is " + input.what + " (" + input.path +
                   ").\n\nZentab never writes over a file that it reads; choose another file.";
        }
    }
    return {};
}

} // namespace

std::vector<RunOutput> runOutputs(const Session& session, const std::vector<RunOutput>& extra) {
    const CompareSettings& settings = session.settings;
    std::vector<RunOutput> outputs = extra;
    if (settings.b_SnapshotOnly) {
        outputs.push_back({"The snapshot file", settings.s_SnapshotFile});
    } else if (settings.b_OnlyToFile) {
        outputs.push_back({"The report file", settings.s_AutoSaveFile});
    } else if (settings.b_AutoSave) {
        outputs.push_back({"The autosave file", settings.s_AutoSaveFile});
    }
    return outputs;
}

std::string outputOverInputMessage(const Session& session, const std::vector<RunOutput>& extra) {
    const std::vector<RunInput> inputs = runInputs(session, true);
    for (const RunOutput& output : runOutputs(session, extra)) {
        if (std::string refusal = overInputMessage(output, inputs); !refusal.empty()) {
            return refusal;
        }
    }
    return {};
}

std::string fileOverInputMessage(const Session& session, const RunOutput& output,
                                 bool withConfiguration) {
    return overInputMessage(output, runInputs(session, withConfiguration));
}

} // namespace zentab
