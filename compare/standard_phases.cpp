#include "compare/phases.h"

#include "compare/data/statement_compare.h"
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
    phases.statementCompare = [](Session& session) {
        compareStatements(session, session.settings.s_GlobalPassSql1,
                          session.settings.s_GlobalPassSql2);
    };
    return phases;
}

} // namespace zentab
