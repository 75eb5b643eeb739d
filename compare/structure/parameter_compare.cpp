// The procedure-parameter phase: the column comparison applied to the parameters, result columns
// and return values that SQLProcedureColumns reports for each common procedure. Worker thread.

#include "compare/phases.h"
#include "compare/structure/structure_pass.h"
#include "db/snapshot_file.h"

namespace zentab {

namespace {

const StructureKind kProcedures{
    ObjectKind::Procedures,
    "Analyzing Procedure Parameters ...",
    "Analyzing Procedure Parameters - Zentab",
    "Comparing Procedure Parameters ...",
    "Comparing Procedure Parameters - Zentab",
    "PROC.",
    "\r\n\tERROR: Could not get information for some/all columns for procedure ",
    " of procedure ",
    "\r\n\r\n\r\nThe following are the parameter differences between COMMON procedures\r\n\r\n",
    "PROCEDURE",
    "No Parameter Differences Found\r\n",
    snapshot::kProcColumns,
    &CompareSettings::b_DoProcStruct,
    &CompareSettings::b_NoDiffProc,
    &CompareSettings::b_IgnoreProcCase,
};

} // namespace

void compareProcedureParameters(Session& session) {
    compareStructure(session, kProcedures);
}

} // namespace zentab
