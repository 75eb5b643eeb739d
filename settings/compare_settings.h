#pragma once
// Every option of a run, named by its configuration-file key, plus the ignore lists and the
// Where Statements map. One record per window: written by the user-interface thread while no
// run exists, read without locks by the worker during a run.

#include <map>
#include <string>
#include <vector>

namespace zentab {

struct CompareSettings {
    // Phases and report content.
    bool b_DoTabStruct = true;
    bool b_DoIndex = true;
    bool b_DoTabData = true;
    bool b_DoViewStruct = true;
    bool b_DoViewData = true;
    bool b_DoProcStruct = true;
    bool b_DoTabCommon = true;
    bool b_DoViewCommon = true;
    bool b_DoProcCommon = true;
    bool b_DoTabSkipped = true;
    bool b_DoViewSkipped = true;
    bool b_DoProcSkipped = true;
    bool b_SummaryReportOnly = false;

    // Name comparison and structure.
    bool b_IgnoreTabCase = true;
    bool b_IgnoreViewCase = true;
    bool b_IgnoreProcCase = true;
    bool b_IgnoreColCase = true;
    bool b_IgnoreColLen = false;
    bool b_NoDiffCol = true;
    bool b_NoDiffProc = true;
    int b_DataType = 1; // 1 = ODBC standard type names, 0 = the DBMS's own
    int i_AutoSpecialName = 0;

    // Data comparison.
    bool b_IgnoreDatCase = false;
    bool b_IgnoreDatLead = false;
    bool b_IgnoreDatTrail = false;
    bool b_CompDatValue = true;
    bool b_IgnoreDatSecs = false;
    bool b_IgnoreDatFrac = false;
    bool b_NoDiffData = true;
    bool b_DataAsCSV = false;
    // The rows of both sides sorted by the program, in the comparator's own order, instead of
    // trusting the databases' ORDER BY, whose collation and NULL placement may differ.
    bool b_SortRows = false;
    // An object whose columns differ is compared on the columns both sides have instead of
    // being passed over.
    bool b_CompareCommonColumns = false;

    // Output.
    bool b_OnlyToFile = false;
    bool b_AutoSave = false;
    int i_AutoSaveLines = 500;
    std::string s_AutoSaveFile;

    // Run kind, statement comparison and snapshot.
    bool b_SnapshotOnly = false;
    std::string s_SnapshotFile;
    std::string s_GlobalPassSql1;
    std::string s_GlobalPassSql2;
    bool side1IsSnapshot = false; // "DoOnline1"
    bool side2IsSnapshot = false; // "DoOnline2"

    // Lists, in insertion order.
    std::vector<std::string> ignoreColumns;
    std::vector<std::string> ignoreDataTypes;
    std::vector<std::string> ignoreTables;
    std::vector<std::string> ignoreViews;
    std::vector<std::string> ignoreProcs;
    std::map<std::string, std::string> whereStatements;

    // The condition stored for a table or view, when there is a non-empty one.
    bool whereCondition(const std::string& objectName, std::string& condition) const;

    // Field by field: what a dialog's Cancel must leave as it was.
    bool operator==(const CompareSettings&) const = default;
};

} // namespace zentab
