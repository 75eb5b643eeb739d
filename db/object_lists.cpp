// Retrieval of a side's tables, views and procedures, on-line through the catalog functions or
// from the side's snapshot file. Worker thread during a run, window thread for the selection
// pages; never both at once on one side.

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "db/database_source.h"
#include "db/search_pattern.h"
#include "db/side_host.h"

namespace zentab {

namespace {

struct ListKind {
    const char* tableType; // null: procedures, listed by SQLProcedures
    SQLLEN nameBuffer;     // bytes bound for the name, terminator included
    std::string_view section;
};

const ListKind& listKind(ObjectKind kind) {
    static const ListKind tables{"'TABLE'", 128, snapshot::kTables};
    static const ListKind views{"'VIEW'", 128, snapshot::kViews};
    static const ListKind procedures{nullptr, 256, snapshot::kProcs};
    switch (kind) {
    case ObjectKind::Views:
        return views;
    case ObjectKind::Procedures:
        return procedures;
    case ObjectKind::Tables:
        break;
    }
    return tables;
}

constexpr std::size_t kLargestNameBuffer = 256;

// The driver manager does not write through these; its prototypes just lack the const.
SQLCHAR* text(const std::string& value) {
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(value.c_str()));
}
SQLCHAR* text(const char* value) {
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(value));
}

} // namespace

int DatabaseSource::ListTables(bool fromUserInterface, bool isDatabase1) {
    return listObjects(ObjectKind::Tables, fromUserInterface, isDatabase1);
}

int DatabaseSource::ListViews(bool fromUserInterface, bool isDatabase1) {
    return listObjects(ObjectKind::Views, fromUserInterface, isDatabase1);
}

int DatabaseSource::ListProcedures(bool fromUserInterface, bool isDatabase1) {
    return listObjects(ObjectKind::Procedures, fromUserInterface, isDatabase1);
}

int DatabaseSource::listObjects(ObjectKind kind, bool fromUserInterface, bool isDatabase1) {
    ObjectList& list = kind == ObjectKind::Tables  ? tables
                       : kind == ObjectKind::Views ? views
                                                   : procedures;
    list.clear();
    listFailed = false;
    listUnqualified = false;
    listUnqualifiedReason.clear();
    listNamesCut.clear();
    listNameLimit = static_cast<std::size_t>(listKind(kind).nameBuffer) - 1;
    return b_IsSnapshot ? listFromSnapshot(kind, list, fromUserInterface, isDatabase1)
                        : listOnline(kind, list, fromUserInterface, isDatabase1);
}

void DatabaseSource::addListed(ObjectList& list, std::string name, bool fromUserInterface,
                               bool isDatabase1) {
    if (!fromUserInterface) {
        host_->checkStop();
    }
    ObjectEntry& entry = list.emplace_back();
    (isDatabase1 ? entry.nameInDb1 : entry.nameInDb2) = std::move(name);
}

int DatabaseSource::listOnline(ObjectKind kind, ObjectList& list, bool fromUserInterface,
                               bool isDatabase1) {
    const ListKind& what = listKind(kind);
    OdbcStatement statement;
    if (!statement.allocate(connection_)) {
        GetErrorText(nullptr, false);
        listFailed = true;
        return 0;
    }
    SQLHSTMT handle = static_cast<SQLHSTMT>(statement.get());
    auto catalogCall = [&](SQLCHAR* catalog, SQLCHAR* schema) -> SQLRETURN {
        if (what.tableType == nullptr) {
            return SQLProcedures(handle, catalog, SQL_NTS, schema, SQL_NTS, nullptr, SQL_NTS);
        }
        return SQLTables(handle, catalog, SQL_NTS, schema, SQL_NTS, nullptr, SQL_NTS,
                         text(what.tableType), SQL_NTS);
    };

    SQLRETURN rc = SQL_ERROR;
    bool qualified = !s_DatabaseUser.empty() && (schemasListed || catalogsListed);
    if (qualified) {
        // The catalog is an ordinary argument, the schema a pattern.
        const std::string schemaPattern =
            escapeSearchPattern(s_DatabaseUser, searchPatternEscape(*this));
        rc = b_IsCatalog ? catalogCall(text(s_DatabaseUser), nullptr)
                         : catalogCall(nullptr, text(schemaPattern));
    }
    // A driver that refuses the qualifier still lists everything unqualified; the caller says
    // that the list is not the owner's alone.
    if (!CheckReturn(rc, "catalog list")) {
        if (qualified) {
            GetErrorText(&statement, false);
            listUnqualifiedReason = lastError;
            listUnqualified = true;
        }
        rc = catalogCall(nullptr, nullptr);
    }
    if (!CheckReturn(rc, "catalog list")) {
        GetErrorText(&statement, true);
        listFailed = true;
        statement.close();
        return 0;
    }

    std::array<SQLCHAR, kLargestNameBuffer> schema{};
    std::array<SQLCHAR, kLargestNameBuffer> name{};
    SQLLEN schemaIndicator = 0;
    SQLLEN nameIndicator = 0;
    if (!CheckReturn(
            SQLBindCol(handle, 2, SQL_C_CHAR, schema.data(), what.nameBuffer, &schemaIndicator),
            "SQLBindCol") ||
        !CheckReturn(
            SQLBindCol(handle, 3, SQL_C_CHAR, name.data(), what.nameBuffer, &nameIndicator),
            "SQLBindCol")) {
        GetErrorText(&statement, false);
        listFailed = true;
        statement.close();
        return 0;
    }
    int count = 0;
    for (;;) {
        // A NULL name would leave the previous row's text in the buffer.
        name[0] = '\0';
        const SQLRETURN fetched = SQLFetch(handle);
        if (fetched == SQL_NO_DATA) {
            break;
        }
        // A list that breaks off is not a shorter list: the caller must say so.
        if (!CheckReturn(fetched, "SQLFetch")) {
            GetErrorText(&statement, false);
            listFailed = true;
            break;
        }
        const char* text = reinterpret_cast<const char*>(name.data());
        const std::size_t limit = static_cast<std::size_t>(what.nameBuffer) - 1;
        std::size_t length = nameIndicator == SQL_NULL_DATA ? 0 : strnlen(text, limit);
        std::string listed(text, length);
        if (nameIndicator == SQL_NO_TOTAL ||
            (nameIndicator != SQL_NULL_DATA && nameIndicator > static_cast<SQLLEN>(limit))) {
            listNamesCut.push_back(listed);
        }
        addListed(list, std::move(listed), fromUserInterface, isDatabase1);
        ++count;
    }
    statement.close();
    return count;
}

int DatabaseSource::listFromSnapshot(ObjectKind kind, ObjectList& list, bool fromUserInterface,
                                     bool isDatabase1) {
    if (!snapshotReader) {
        return 0;
    }
    const ListKind& what = listKind(kind);
    std::string record;
    do {
        // A file without the section leaves the reader at its end: the later sections of this
        // side then read as empty.
        if (!snapshotReader->GetRecord(record)) {
            return 0;
        }
    } while (record != what.section);

    int count = 0;
    while (snapshotReader->GetRecord(record) && record != snapshot::kEndMarker) {
        addListed(list, record, fromUserInterface, isDatabase1);
        ++count;
    }
    return count;
}

} // namespace zentab
