#pragma once
// The ordered statement that reads the rows of one common table or view from one side of a
// session, as the data phases execute it. Worker thread of the run (reads the session only).

#include "compare/data/statement_builder.h"

namespace zentab {

class Session;
struct ObjectEntry;

// Side 1's statement when `database1`, else side 2's; a snapshot run orders by side 1 alone.
BuiltStatement buildObjectStatement(const Session& session, const ObjectEntry& object,
                                    bool database1);

} // namespace zentab
