// The column phases of tables and views. Database 1's pass builds each common object's column
// list, which the data comparison later selects and orders by, so the phase runs whenever
// structure or data is to be compared; only its report text depends on the structure option.
// Worker thread.

#include "compare/phases.h"
#include "compare/structure/structure_pass.h"
#include "db/snapshot_file.h"

namespace zentab {

namespace {

const StructureKind kTables{
    ObjectKind::Tables,
    "Analyzing Structures ...",
    "Analyzing Structures - Zentab",
    "Comparing Structures ...",
    "Comparing Structures - Zentab",
    "",
    "\r\n\tERROR: Could not get information for some/all columns for table ",
    " of table ",
    "\r\n\r\n\r\nThe following are the structural differences between COMMON tables\r\n\r\n",
    "TABLE",
    "No Structural Differences Found\r\n",
    snapshot::kColumns,
    &CompareSettings::b_DoTabStruct,
    &CompareSettings::b_NoDiffCol,
    &CompareSettings::b_IgnoreTabCase,
};

const StructureKind kViews{
    ObjectKind::Views,
    "Analyzing View Structures ...",
    "Analyzing View Structures - Zentab",
    "Comparing View Structures ...",
    "Comparing View Structures - Zentab",
    "VIEW.",
    "\r\n\tERROR: Could not get information for some/all columns for view ",
    " of view ",
    "\r\n\r\n\r\nThe following are the structural differences between COMMON views\r\n\r\n",
    "VIEW",
    "No Structural Differences Found\r\n",
    snapshot::kViewColumns,
    &CompareSettings::b_DoViewStruct,
    &CompareSettings::b_NoDiffCol,
    &CompareSettings::b_IgnoreViewCase,
};

} // namespace

void compareTableColumns(Session& session) {
    compareStructure(session, kTables);
}

void compareViewColumns(Session& session) {
    compareStructure(session, kViews);
}

} // namespace zentab
