#include "engine/stored_side.h"

#include "engine/session.h"

namespace zentab {

namespace {

// Releases side `number` and everything the session had read from it.
std::unique_ptr<DatabaseSource>& releaseSide(Session& session, int number) {
    auto& side = number == 1 ? session.side1 : session.side2;
    // The common lists point into the old side's object lists.
    session.clearCommonLists();
    for (bool& loaded : session.listsLoaded) {
        loaded = false;
    }
    int* counts = number == 1 ? session.objectCount1 : session.objectCount2;
    for (int kind = 0; kind < 3; ++kind) {
        counts[kind] = 0;
    }
    side.reset();
    return side;
}

} // namespace

bool openStoredSide(Session& session, int number, const StoredSide& stored, int timeoutSeconds) {
    auto& side = releaseSide(session, number);

    const std::string& special = session.preferences.specialCharacters;
    if (stored.b_IsSnapshot && stored.s_ConnectString.empty()) {
        // An empty path would make the side ask for a file: nothing stored, nothing asked.
        side = DatabaseSource::createUnconnected(session.host());
    } else if (stored.b_IsSnapshot) {
        side = DatabaseSource::ConnectInteractive(session.host(), true, stored.s_ConnectString,
                                                  nullptr, special);
    } else {
        side = DatabaseSource::ConnectStored(session.host(), stored.s_ConnectString,
                                             stored.s_DatabaseUser, stored.b_IsCatalog, special,
                                             timeoutSeconds);
    }
    (number == 1 ? session.sideDefined1 : session.sideDefined2) = true;
    return side && !side->notUsable;
}

bool chooseSide(Session& session, int number, bool snapshot,
                const std::function<std::optional<std::string>()>& provider) {
    auto& side = releaseSide(session, number);
    side = DatabaseSource::ConnectInteractive(session.host(), snapshot, "", provider,
                                              session.preferences.specialCharacters);
    (number == 1 ? session.sideDefined1 : session.sideDefined2) = true;
    (number == 1 ? session.settings.side1IsSnapshot : session.settings.side2IsSnapshot) = snapshot;
    return side && !side->notUsable;
}

StoredSide storedSideOf(const DatabaseSource* side) {
    StoredSide stored;
    if (side == nullptr || side->notUsable) {
        return stored;
    }
    stored.b_IsSnapshot = side->b_IsSnapshot;
    // Built as one character: GCC 12 with the address sanitizer takes the assignment of a
    // string literal for an overlapping copy (-Wrestrict).
    stored.b_IsCatalog.assign(1, side->b_IsCatalog ? '1' : '0');
    if (side->b_IsSnapshot) {
        stored.s_ConnectString = side->s_SnapshotFile;
    } else {
        stored.s_ConnectString = side->reconnectString;
        stored.s_DatabaseUser = side->s_DatabaseUser;
    }
    return stored;
}

} // namespace zentab
