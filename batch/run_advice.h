#pragma once
// What zentab-batch tells a user whose options cannot do what they seem meant to: warnings and
// hints for standard error, from the settings and from the object lists a run has read. Each
// function is called by the thread that owns the session at the time (the worker, inside a run).

#include <array>
#include <string>
#include <vector>

#include "db/object_list.h"
#include "engine/session.h"

namespace zentab {

// One line for each Ignore Columns entry that can match no column.
std::vector<std::string> ignoreColumnsWarnings(const CompareSettings& settings);

// One line for each of `names` (the objects of --where) that no table or view of Database 1
// carries, among the kinds the run read.
std::vector<std::string> unmatchedWhereWarnings(const std::vector<std::string>& names,
                                                const DatabaseSource& side1, bool tablesRead,
                                                bool viewsRead);

// The hint for side `number` when its list of `kind` holds the objects of several schemas (or,
// failing that, catalogs); empty otherwise.
std::string ownerHint(const ObjectList& list, ObjectKind kind, int number);

// What the advice after the lists needs to know of the command line.
struct ListAdvice {
    std::vector<std::string> whereNames;
    std::array<bool, 2> ownerGiven{false, false}; // --owner1, --owner2
};

// Wraps the list phases (and the body of a snapshot run) so that the warnings about --where and
// the owner hints reach the host as soon as the lists they are about have been read.
void adviseAfterLists(PhaseTable& phases, ListAdvice advice);

} // namespace zentab
