#include "ui/start_file.h"

#include "engine/configuration.h"
#include "engine/stored_side.h"
#include "ui/main_window.h"

namespace zentab {

StartFileKind startFileKind(const QString& path) {
    if (path.endsWith(".zcf", Qt::CaseInsensitive)) {
        return StartFileKind::Configuration;
    }
    if (path.endsWith(".zsn", Qt::CaseInsensitive)) {
        return StartFileKind::Snapshot;
    }
    return StartFileKind::Other;
}

void startFromConfiguration(MainWindow& window, const std::string& path) {
    automaticStart(window.session(), window.driver(), path);
    window.refreshSidePanes();
    window.refreshCommands();
}

void startFromSnapshot(MainWindow& window, const std::string& path) {
    Session& session = window.session();
    StoredSide stored;
    stored.b_IsSnapshot = true;
    stored.s_ConnectString = path;
    openStoredSide(session, 1, stored);
    session.settings.side1IsSnapshot = true;
    window.refreshSidePanes();
    window.startComparison();
}

} // namespace zentab
