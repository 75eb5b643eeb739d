#pragma once
// The SQL Compare: one free-form statement executed on each side, exactly as entered, and the
// two result sets compared row by row by the data phases' merge. compareStatements runs on the
// worker thread; checkStatements is the dialog's, on the window thread.

#include <string>

namespace zentab {

class Session;

// Executes `statement1` on Database 1 and `statement2` on Database 2 and reports the rows of
// either result that have no equal in the other: the body of a statement comparison, between
// the header and the end line of its run.
void compareStatements(Session& session, const std::string& statement1,
                       const std::string& statement2);

// Why "Start" cannot run the statements: the message for the first one that is empty or only
// white space, and the box (1 or 2) that it is in. Box 0 when both can be run.
struct StatementRefusal {
    std::string message;
    int box = 0;
};
StatementRefusal checkStatements(const std::string& statement1, const std::string& statement2);

} // namespace zentab
