#include "engine/object_selection.h"

#include <algorithm>
#include <set>
#include <utility>

#include "base/text.h"
#include "engine/session.h"

namespace zentab {

namespace {

struct KindTexts {
    const char* singular;
    const char* plural;
    ObjectList DatabaseSource::*list;
    int (DatabaseSource::*retrieve)(bool, bool);
};

const KindTexts& kindTexts(ObjectKind kind) {
    static const KindTexts tables{"table", "tables", &DatabaseSource::tables,
                                  &DatabaseSource::ListTables};
    static const KindTexts views{"view", "views", &DatabaseSource::views,
                                 &DatabaseSource::ListViews};
    static const KindTexts procedures{"procedure", "procedures", &DatabaseSource::procedures,
                                      &DatabaseSource::ListProcedures};
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

// The sides whose lists the page shows, Database 1 first; a side not chosen is left out.
std::vector<std::pair<DatabaseSource*, bool>> sidesShown(const Session& session,
                                                         bool database1Only) {
    std::vector<std::pair<DatabaseSource*, bool>> sides;
    if (session.sideDefined1 && session.side1) {
        sides.emplace_back(session.side1.get(), true);
    }
    if (!database1Only && session.sideDefined2 && session.side2) {
        sides.emplace_back(session.side2.get(), false);
    }
    return sides;
}

// Reads one side's list; false (after telling the host) when it did not come whole.
bool readSide(Session& session, DatabaseSource& side, bool database1, const KindTexts& kind) {
    if (side.notUsable) {
        // The side said why when it was chosen; the run refuses it as well.
        (side.*kind.list).clear();
        return false;
    }
    if (side.b_IsSnapshot) {
        // The reader only moves forward, and the list is found by reading on to its section.
        side.OpenSnapshotForReading();
        if (side.notUsable) {
            (side.*kind.list).clear();
            return false; // the side has shown why
        }
    }
    (side.*kind.retrieve)(true, database1);

    RunHost& host = session.host();
    bool clean = true;
    if (side.listFailed) {
        host.showMessage(std::string("The following error was received while reading the list "
                                     "of ") +
                         kind.plural + " in database " + side.displayName + " :\n" +
                         side.lastError);
        clean = false;
    } else if (side.listUnqualified) {
        host.showMessage(std::string("The list of ") + kind.plural + " in database " +
                         side.displayName + " could not be limited to owner " +
                         side.s_DatabaseUser +
                         ", so it holds those of every owner: " + side.listUnqualifiedReason);
        clean = false;
    }
    for (const std::string& name : side.listNamesCut) {
        host.showMessage(std::string("The name of ") + kind.singular + " " + name +
                         " in database " + side.displayName + " is longer than " +
                         std::to_string(side.listNameLimit) + " bytes and was cut.");
        clean = false;
    }
    return clean;
}

} // namespace

bool loadObjectLists(Session& session, ObjectKind kind, bool database1Only) {
    const int k = static_cast<int>(kind);
    if (session.listsLoaded[k]) {
        return true;
    }
    const KindTexts& texts = kindTexts(kind);
    bool clean = true;
    for (auto [side, database1] : sidesShown(session, database1Only)) {
        clean = readSide(session, *side, database1, texts) && clean;
    }
    // A run reuses loaded lists of both sides: a sheet of Database 1 alone leaves a defined
    // Database 2 unread, and so the lists unloaded.
    const bool side2Unread = database1Only && session.sideDefined2 && session.side2;
    if (!clean || !session.side1 || side2Unread) {
        return clean;
    }
    // Measured as the list phase does after reading, so that the run lays out its sections
    // exactly as it would have after reading the lists itself.
    std::size_t longest = 0;
    for (const ObjectEntry& entry : (*session.side1).*texts.list) {
        longest = std::max(longest, entry.nameInDb1.size());
    }
    if (!database1Only && session.side2) {
        for (const ObjectEntry& entry : (*session.side2).*texts.list) {
            longest = std::max(longest, entry.nameInDb2.size());
        }
    }
    session.longestName[k] = std::min(longest, static_cast<std::size_t>(kMaxDisplayWidth));
    session.listsLoaded[k] = true;
    return true;
}

std::vector<std::string> selectableNames(const Session& session, ObjectKind kind,
                                         bool database1Only) {
    const KindTexts& texts = kindTexts(kind);
    std::vector<std::string> names;
    std::set<std::string> present;
    for (auto [side, database1] : sidesShown(session, database1Only)) {
        for (const ObjectEntry& entry : (*side).*texts.list) {
            const std::string& name = database1 ? entry.nameInDb1 : entry.nameInDb2;
            if (present.insert(name).second) {
                names.push_back(name);
            }
        }
    }
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string& name : names) {
        keyed.emplace_back(upperCase(name), std::move(name));
    }
    // Names equal but for case keep the order they were met in: Database 1's first.
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    names.clear();
    for (auto& [key, name] : keyed) {
        names.push_back(std::move(name));
    }
    return names;
}

std::vector<std::string> readSelectableNames(Session& session, ObjectKind kind,
                                             bool database1Only) {
    loadObjectLists(session, kind, database1Only);
    return selectableNames(session, kind, database1Only);
}

std::vector<std::string>& exclusionList(CompareSettings& settings, ObjectKind kind) {
    switch (kind) {
    case ObjectKind::Views:
        return settings.ignoreViews;
    case ObjectKind::Procedures:
        return settings.ignoreProcs;
    case ObjectKind::Tables:
        break;
    }
    return settings.ignoreTables;
}

std::vector<bool> initialSelection(const std::vector<std::string>& names,
                                   const std::vector<std::string>& exclusions) {
    std::vector<bool> selected;
    selected.reserve(names.size());
    for (const std::string& name : names) {
        selected.push_back(std::find(exclusions.begin(), exclusions.end(), name) ==
                           exclusions.end());
    }
    return selected;
}

std::vector<std::string> unselectedNames(const std::vector<std::string>& names,
                                         const std::vector<bool>& selected) {
    std::vector<std::string> left;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i >= selected.size() || !selected[i]) {
            left.push_back(names[i]);
        }
    }
    return left;
}

} // namespace zentab
