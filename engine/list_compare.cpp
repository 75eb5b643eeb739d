#include "engine/phases.h"
#include "engine/session.h"

namespace zentab {

void compareTableList(Session&) {}
void compareViewList(Session&) {}
void compareProcedureList(Session&) {}

} // namespace zentab
