#pragma once
// One side of a comparison: an on-line ODBC data source or a snapshot file. Created and replaced
// on the user-interface thread; used by the worker during a run, one statement at a time.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/identifier_case.h"
#include "db/object_list.h"
#include "db/odbc_handles.h"
#include "db/side_host.h"
#include "db/snapshot_file.h"

namespace zentab {

// Supplies the input connect string of an interactive connection (the front end's own
// data-source dialog); nullopt when the user cancelled.
using ConnectStringProvider = std::function<std::optional<std::string>()>;

// What one fetch gave: a row, the end of the rows, or a failure (a lost connection, a driver
// error): never to be taken for the end of the rows.
enum class FetchResult { Row, End, Error };

struct ResultColumn {
    std::string name;
    long long size = 0;
    int dataType = 0; // the ODBC SQL type code; 0 when the driver does not say
};

// The ORDER BY limit taken when a driver reports none (and for a side that orders nothing).
inline constexpr int kUnknownOrderByLimit = 10000;

class DatabaseSource {
public:
    // On-line side (b_IsSnapshot false): the connect string comes from `provider`.
    // Snapshot side: `snapshotPath`, or a file chosen through the host when it is empty.
    static std::unique_ptr<DatabaseSource>
    ConnectInteractive(SideHost& host, bool b_IsSnapshot, const std::string& snapshotPath,
                       const ConnectStringProvider& provider,
                       const std::string& specialCharactersPreference);
    // On-line side from a stored connect string, as a configuration file holds it.
    // A positive `timeoutSeconds` bounds the login and every statement of the side.
    static std::unique_ptr<DatabaseSource>
    ConnectStored(SideHost& host, const std::string& connectString, const std::string& storedOwner,
                  const std::string& storedCatalogFlag,
                  const std::string& specialCharactersPreference, int timeoutSeconds = 0);

    // A side that is neither connected nor opened (not usable, "Not Connected"): the state a
    // front end shows before a side is chosen, and what tests fill field by field.
    static std::unique_ptr<DatabaseSource> createUnconnected(SideHost& host);

    ~DatabaseSource();
    DatabaseSource(const DatabaseSource&) = delete;
    DatabaseSource& operator=(const DatabaseSource&) = delete;

    // Reopens a snapshot side's file and positions the reader after the version record.
    void OpenSnapshotForReading();
    // Empty or "-not required-" clears the qualifier. Drops the three object lists, which were
    // read under the old qualifier.
    void SelectOwner(const std::string& owner, bool isCatalog);
    // Computed afresh from the fields each time; a snapshot side is named by its file.
    const std::string& BuildDisplayName();
    void ListSchemas();
    void ListCatalogs();
    void ApplyCurrentCatalog();

    // The files an on-line side reads, as far as the driver tells: the database file it
    // reports (SQL_DATABASE_NAME) and every connect-string value that names an existing file.
    // A snapshot side reads its snapshot file.
    std::vector<std::string> filesRead() const;

    // The value of `key` ("DSN=", "DBQ=", "UID=") found anywhere in `connectString`, matched
    // case-sensitively; upper-cased and cut before the next ';'. Empty when the key is absent.
    static std::string ConnectStringValue(const std::string& connectString, std::string_view key);

    // True for SQL_SUCCESS and SQL_SUCCESS_WITH_INFO; the label only names the call.
    static bool CheckReturn(short returnCode, const char* label);
    // Fetches the driver's message for `statement` (may be empty) into lastError.
    bool GetErrorText(const OdbcStatement* statement, bool show);

    // Executes `text` on a new statement. Anything but SQL_SUCCESS is a failure (so are
    // SQL_SUCCESS_WITH_INFO and SQL_NO_DATA): the statement is then freed, the result is false
    // and `error` holds the driver's message, which may be empty.
    bool ExecuteStatement(const std::string& text, OdbcStatement& statement, std::string& error);
    // Fetches the next row as one text: values joined by " \t ", NULL as empty, cut to 9999
    // characters; a longer value is read whole and carries the digest of its text after the
    // cut (db/row_text.h). `row` is cleared first and keeps its capacity, and is empty unless a
    // row came. On Error lastError holds the driver's message (which may be empty).
    FetchResult FetchRowText(OdbcStatement& statement, std::string& row);
    void DescribeResultColumns(OdbcStatement& statement, std::vector<ResultColumn>& columns);
    void FreeStatement(OdbcStatement& statement);

    // Object lists: each replaces the side's list of its kind with the objects read on-line or
    // from the snapshot reader's current position, and returns how many were read. The names go
    // to nameInDb1 when isDatabase1, else to nameInDb2. fromUserInterface is true on the window
    // thread (no stop check); on the worker a stop request ends the run from inside the list.
    int ListTables(bool fromUserInterface, bool isDatabase1);
    int ListViews(bool fromUserInterface, bool isDatabase1);
    int ListProcedures(bool fromUserInterface, bool isDatabase1);
    // What the last retrieval could not do, for the caller to report: the list could not be
    // read whole (on-line: the catalog call was refused or a fetch failed, with the driver's
    // message in lastError), and the names that did not fit the name buffer (cut to
    // listNameLimit bytes).
    bool listFailed = false;
    // The owner-qualified call was refused (with this message) and the list holds the objects
    // of every owner.
    bool listUnqualified = false;
    std::string listUnqualifiedReason;
    std::vector<std::string> listNamesCut;
    std::size_t listNameLimit = 0;

    // Fields, named as elsewhere in the program.
    std::string specialCharacters;
    std::string s_SnapshotFile;
    bool b_IsSnapshot = false;
    std::unique_ptr<SnapshotFile> snapshotReader;
    bool b_IsCatalog = false;
    bool schemasListed = false;
    bool catalogsListed = false;
    std::string s_DatabaseUser;
    std::vector<std::string> schemaNames;
    std::vector<std::string> catalogNames;
    std::string defaultOwner;
    std::string s_ConnectString;
    // The string that reaches this side again, as a configuration file stores it: the driver's
    // completed string, unless that names neither a driver nor a data source (the SQLite3
    // driver completes "Driver=SQLite3;Database=f.db" to "DSN=;Database=f.db;..."), in which
    // case the string the side was opened with.
    std::string reconnectString;
    int maxOrderByColumns = kUnknownOrderByLimit;
    // What the side does to unquoted names: a mixed-case name on a side that folds to lower
    // case must be quoted to be found.
    IdentifierCase identifierCase = IdentifierCase::Unknown;
    // SQL_IDENTIFIER_QUOTE_CHAR, what the driver quotes names with: the backquote for MariaDB
    // and MySQL. Empty when it reports none, and for a snapshot side.
    std::string identifierQuote;
    std::string userName;
    std::string serverName;
    std::string databaseFile;
    std::string dataSourceName;
    // SQL_DATABASE_NAME: for a file-based driver such as SQLite, the database file's path.
    std::string databaseName;
    bool notUsable = true;
    std::string displayName;
    std::string lastError;
    ObjectList tables;
    ObjectList views;
    ObjectList procedures;
    // Whom the side asks from now on: the session wires the sides it runs to itself, so that a
    // list retrieval on the worker ends when the run is stopped.
    void attach(SideHost& host) { host_ = &host; }

    OdbcConnection& connection() { return connection_; }

private:
    struct Key {}; // construction goes through the factories

public:
    DatabaseSource(Key, SideHost& host);

private:
    bool allocateHandles();
    bool driverConnect(const std::string& input);
    void requestReadOnly();
    void readDriverFacts(const std::string& specialCharactersPreference);
    void readDatabaseName();
    void dropUnlistedOwner();
    void listNames(bool catalogs);
    void markNotConnected();
    int listObjects(ObjectKind kind, bool fromUserInterface, bool isDatabase1);
    bool appendLongValueDigest(OdbcStatement& statement, int column, std::size_t shown,
                               std::string& row);
    int listOnline(ObjectKind kind, ObjectList& list, bool fromUserInterface, bool isDatabase1);
    int listFromSnapshot(ObjectKind kind, ObjectList& list, bool fromUserInterface,
                         bool isDatabase1);
    ObjectEntry& addListed(ObjectList& list, std::string name, bool fromUserInterface,
                           bool isDatabase1);

    SideHost* host_; // never null
    OdbcEnvironment environment_;
    OdbcConnection connection_;
    std::string fetchBuffer_; // reused by FetchRowText: no allocation per row
};

} // namespace zentab
