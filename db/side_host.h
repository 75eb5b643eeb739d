#pragma once
// What a side of a comparison asks of whoever uses it: a message or a file from the person at
// the program, and, while a run reads its lists, whether the run goes on. The front ends'
// RunHost answers the first two; the session answers the stop check for the sides it runs.
// Called on the thread that uses the side.

#include <optional>
#include <string>

namespace zentab {

// A file dialog's request: the filter text as the program writes it, e.g.
// "RTF Format (*.rtf) | *.rtf|Text Format (*.txt) | *.txt||", and the default extension.
struct FileRequest {
    std::string filter;
    std::string defaultExtension;
    bool save = true; // save dialog (asks before overwriting) or open dialog (path must exist)
};

class SideHost {
public:
    virtual ~SideHost() = default;

    virtual void showMessage(const std::string& text) = 0;
    // nullopt when cancelled.
    virtual std::optional<std::string> chooseFile(const FileRequest& request) = 0;
    // Called before each object a list retrieval on the worker takes; ends the run (by an
    // exception of the run's own) when a stop was requested, else returns.
    virtual void checkStop() {}
};

} // namespace zentab
