#pragma once
// What the object-selection pages of the options sheet and the list of the data conditions
// show: the tables, views or procedures of both sides. The lists are read from the window
// thread when no run has read them since the sides were chosen, and left on the sides so that
// the next run reuses them. Window thread, while no run exists.

#include <string>
#include <vector>

#include "db/object_list.h"

namespace zentab {

class Session;
struct CompareSettings;

// Reads the lists of `kind` of Database 1 and, unless `database1Only`, of Database 2 when it is
// defined, unless the session holds them already. A snapshot side is reopened first, since the
// list is found by reading forward to its section. Marks the lists loaded, with the longest
// name measured as the run's list phase measures it, only when every list came whole: a list
// with a problem is read again by the run, which then reports the problem. Problems are told
// through the session's host. False when any list could not be read cleanly.
bool loadObjectLists(Session& session, ObjectKind kind, bool database1Only);

// The names the lists hold now: every name of Database 1's list, then every name of Database
// 2's list not already there (exact comparison), once each, sorted without regard to case.
std::vector<std::string> selectableNames(const Session& session, ObjectKind kind,
                                         bool database1Only);

// Both of the above: what a page shows the first time it is looked at.
std::vector<std::string> readSelectableNames(Session& session, ObjectKind kind, bool database1Only);

// The kind's exclusion list (Ignore Tables, Ignore Views or Ignore Procs).
std::vector<std::string>& exclusionList(CompareSettings& settings, ObjectKind kind);

// Per name, whether it starts selected: unless found exactly in `exclusions`.
std::vector<bool> initialSelection(const std::vector<std::string>& names,
                                   const std::vector<std::string>& exclusions);
// The names left unselected, in the order of `names`: the new exclusion list.
std::vector<std::string> unselectedNames(const std::vector<std::string>& names,
                                         const std::vector<bool>& selected);

} // namespace zentab
