#include "engine/phases.h"

#include "engine/session.h"

namespace zentab {

PhaseTable standardPhases() {
    PhaseTable phases;
    phases.tableList = compareTableList;
    phases.tableStructure = compareTableColumns;
    phases.viewList = compareViewList;
    phases.viewStructure = compareViewColumns;
    phases.procList = compareProcedureList;
    return phases;
}

} // namespace zentab
