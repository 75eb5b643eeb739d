#pragma once
// The phases of a comparison run. Each runs on the worker thread with the session of the run.

namespace zentab {

class Session;
struct PhaseTable;

// Every phase of a comparison run, as the front ends give it to their session.
PhaseTable standardPhases();

// Object list comparison: counts, one-sided objects, the common lists.
void compareTableList(Session& session);
void compareViewList(Session& session);
void compareProcedureList(Session& session);

// Columns of common tables and views.
void compareTableColumns(Session& session);
void compareViewColumns(Session& session);

// Rows of common tables and views.
void compareTableData(Session& session);
void compareViewData(Session& session);

// Indexes of common tables.
void compareIndexes(Session& session);

// Parameters of common procedures.
void compareProcedureParameters(Session& session);

// Executive summary: one table per kind of object, printed after that kind's phases.
void tableSummary(Session& session);
void viewSummary(Session& session);
void procedureSummary(Session& session);

// The body of a snapshot run: Database 1's sections written to the snapshot file, under the
// include options and the skip lists.
void SnapshotRun(Session& session);

} // namespace zentab
