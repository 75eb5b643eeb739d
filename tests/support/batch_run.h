#pragma once
// Runs zentab-batch as a user's shell would, for the tests of the headless front end: only the
// test programs that define ZENTAB_BATCH_EXE include this. Test thread only.

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/temp_dir.h"

namespace zentab::test {

struct BatchResult {
    int status = -1; // the exit status; -1 when the program died by a signal
    std::string out;
    std::string err;
};

// zentab-batch with `arguments` (shell words, quoted by the caller), standard input empty, and
// standard output and error caught in files of `folder`.
inline BatchResult runZentabBatch(const TempDir& folder, const std::string& arguments) {
    const std::string command = std::string(ZENTAB_BATCH_EXE) + " " + arguments + " >" +
                                folder.file("out") + " 2>" + folder.file("err") + " </dev/null";
    const int raw = std::system(command.c_str());
    BatchResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = readFile(folder.file("out"));
    result.err = readFile(folder.file("err"));
    return result;
}

// `text` as one shell word.
inline std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

} // namespace zentab::test
