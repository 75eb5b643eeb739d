#include "compare/phases.h"

#include "engine/session.h"

namespace zentab {

PhaseTable standardPhases() {
    PhaseTable phases;
    phases.tableList = compareTableList;
    phases.tableStructure = compareTableColumns;
    phases.indexes = compareIndexes;
    phases.tableData = compareTableData;
    phases.tableSummary = tableSummary;
    phases.viewList = compareViewList;
    phases.viewStructure = compareViewColumns;
    phases.viewData = compareViewData;
    phases.viewSummary = viewSummary;
    phases.procList = compareProcedureList;
    phases.procParameters = compareProcedureParameters;
    phases.procSummary = procedureSummary;
    phases.snapshotRun = SnapshotRun;
    return phases;
}

} // namespace zentab
