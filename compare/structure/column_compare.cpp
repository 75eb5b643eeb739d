#include "engine/phases.h"
#include "engine/session.h"

namespace zentab {

void compareTableColumns(Session&) {}
void compareViewColumns(Session&) {}

} // namespace zentab
