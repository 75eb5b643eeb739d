#pragma once
// Opening a side from a stored connection: what a configuration file holds for it, or what a
// front end's command line gives in the same terms. The one way the program opens a side
// without asking, so that every front end and the configuration file open sides alike.
// Window thread (or a front end's main thread), while no run exists.

#include <functional>
#include <optional>
#include <string>

#include "settings/configuration_file.h"

namespace zentab {

class DatabaseSource;
class Session;

// Replaces side `number` (1 or 2) of the session: the old side is released first, then an
// on-line side is connected with the connect string, owner and catalog flag, or a snapshot
// side is opened on its path. The side counts as chosen even when it failed (the side has told
// the host why and is marked not usable), and what the session had read from the old side is
// forgotten. The remembered kind of the side in the settings is the caller's. A positive
// `timeoutSeconds` bounds an on-line side's login and statements. True when the side is usable.
bool openStoredSide(Session& session, int number, const StoredSide& stored, int timeoutSeconds = 0);

// Replaces side `number` (1 or 2) by one the user chooses now: an on-line side connected with
// the string `provider` gives (the front end's data-source dialog), or a snapshot side whose
// file the host asks for. What the session had read from the old side is forgotten, and the
// remembered kind of the side in the settings follows the choice. True when the side is usable.
bool chooseSide(Session& session, int number, bool snapshot,
                const std::function<std::optional<std::string>()>& provider);

// The side as a configuration file is to store it; a side that is missing, or not usable, is
// stored as not open.
StoredSide storedSideOf(const DatabaseSource* side);

} // namespace zentab
