#pragma once
// The two-pass structure comparison shared by the columns of tables and views and the parameters
// of procedures: Database 1's pass builds each common object's list, Database 2's pass completes
// it and reports the differences. Worker thread.

#include <string_view>

#include "db/object_list.h"
#include "settings/compare_settings.h"

namespace zentab {

class Session;

// What tells one kind of object's phase from another's: its texts, the options it reads and
// the snapshot section it keeps.
struct StructureKind {
    // Tables and views are described by SQLColumns, procedures by SQLProcedureColumns.
    ObjectKind kind;
    const char* analyzingPanel;
    const char* analyzingCaption;
    const char* comparingPanel;
    const char* comparingCaption;
    const char* panelPrefix;
    const char* readError;
    const char* ofObject; // " of table ": names the object of a cut column name
    const char* heading;
    const char* objectHeading;
    const char* noDifferences;
    std::string_view section;
    bool CompareSettings::*reportOption;
    bool CompareSettings::*noDifferencesOption;
    bool CompareSettings::*ignoreObjectCase;
};

// The phase over the common list of `kind`.
void compareStructure(Session& session, const StructureKind& kind);

} // namespace zentab
