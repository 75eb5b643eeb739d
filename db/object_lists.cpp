// Retrieval of a side's tables, views and procedures, on-line through the catalog functions or
// from the side's snapshot file. Worker thread during a run, window thread for the selection
// pages; never both at once on one side.

#include <string_view>

#include "db/catalog.h"
#include "db/database_source.h"
#include "db/search_pattern.h"
#include "db/side_host.h"

namespace zentab {

namespace {

struct ListKind {
    CatalogFunction function;
    int nameBuffer; // bytes bound for the name, terminator included
    std::string_view section;
};

const ListKind& listKind(ObjectKind kind) {
    static const ListKind tables{CatalogFunction::Tables, 128, snapshot::kTables};
    static const ListKind views{CatalogFunction::Views, 128, snapshot::kViews};
    static const ListKind procedures{CatalogFunction::Procedures, 256, snapshot::kProcs};
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

ObjectEntry& DatabaseSource::addListed(ObjectList& list, std::string name, bool fromUserInterface,
                                       bool isDatabase1) {
    if (!fromUserInterface) {
        host_->checkStop();
    }
    ObjectEntry& entry = list.emplace_back();
    (isDatabase1 ? entry.nameInDb1 : entry.nameInDb2) = std::move(name);
    return entry;
}

int DatabaseSource::listOnline(ObjectKind kind, ObjectList& list, bool fromUserInterface,
                               bool isDatabase1) {
    const ListKind& what = listKind(kind);
    CatalogQuery query(*this, what.function, static_cast<std::size_t>(what.nameBuffer));
    if (!query.open({}, searchPatternEscape(*this))) {
        // A statement that could not be had is reported with the list; a refused catalog call
        // is worth a message box of its own as well.
        query.readError(query.hasStatement());
        listFailed = true;
        return 0;
    }
    if (query.ownerRefused()) {
        listUnqualifiedReason = query.refusal();
        listUnqualified = true;
    }
    if (!query.bind()) {
        query.readError(false);
        listFailed = true;
        return 0;
    }
    int count = 0;
    for (;;) {
        const FetchResult fetched = query.fetch();
        if (fetched == FetchResult::End) {
            break;
        }
        // A list that breaks off is not a shorter list: the caller must say so.
        if (fetched == FetchResult::Error) {
            query.readError(false);
            listFailed = true;
            break;
        }
        const ObjectRow& row = query.objectRow();
        if (row.name.cut) {
            listNamesCut.push_back(row.name.text);
        }
        ObjectEntry& entry = addListed(list, row.name.text, fromUserInterface, isDatabase1);
        entry.catalogName = row.catalog.text;
        entry.schemaName = row.schema.text;
        ++count;
    }
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
