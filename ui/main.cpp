// zentab: the desktop program. With two sources on the command line it compares them at once;
// with a configuration file it loads it and runs what the file says; with a snapshot file it
// takes it as Database 1 and asks for the rest.

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <cstdio>
#include <memory>

#include "db/database_source.h"
#include "engine/stored_side.h"
#include "settings/preferences.h"
#include "ui/main_window.h"
#include "ui/qt_host.h"
#include "ui/start_file.h"

namespace {

const char* const kNeedTwoSources = "You must have 2 database sources before you can begin.";

struct SideOptions {
    QCommandLineOption connect;
    QCommandLineOption snapshot;
};

// Opens one side named on the command line; false when none was named or it cannot be used (the
// side has told the user why).
bool openSide(zentab::MainWindow& window, int number, const QCommandLineParser& parser,
              const SideOptions& options) {
    zentab::StoredSide stored;
    stored.b_IsSnapshot = parser.isSet(options.snapshot);
    if (!stored.b_IsSnapshot && !parser.isSet(options.connect)) {
        return false;
    }
    stored.s_ConnectString = zentab::toReportText(
        parser.value(stored.b_IsSnapshot ? options.snapshot : options.connect));
    zentab::Session& session = window.session();
    const bool usable = zentab::openStoredSide(session, number, stored);
    (number == 1 ? session.settings.side1IsSnapshot : session.settings.side2IsSnapshot) =
        stored.b_IsSnapshot;
    return usable;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName("Zentab");
    QCoreApplication::setApplicationVersion(ZENTAB_VERSION);

    QCommandLineParser parser;
    parser.setApplicationDescription("Compares two databases and reports their differences.");
    parser.addHelpOption();
    parser.addVersionOption();
    const SideOptions sides[2] = {
        {QCommandLineOption("db1", "ODBC connect string of Database 1.", "CONNECT"),
         QCommandLineOption("snapshot1", "Snapshot file (.zsn) as Database 1.", "FILE")},
        {QCommandLineOption("db2", "ODBC connect string of Database 2.", "CONNECT"),
         QCommandLineOption("snapshot2", "Snapshot file (.zsn) as Database 2.", "FILE")},
    };
    for (const SideOptions& side : sides) {
        parser.addOption(side.connect);
        parser.addOption(side.snapshot);
    }
    parser.addPositionalArgument("FILE",
                                 "A configuration file (.zcf) to load and run as it says (a "
                                 "comparison, or a snapshot of Database 1), or a snapshot file "
                                 "(.zsn) to compare as Database 1.",
                                 "[FILE]");
    parser.process(app);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fprintf(stderr, "zentab: name one file\n");
        return 2;
    }
    const zentab::StartFileKind kind =
        files.isEmpty() ? zentab::StartFileKind::Other : zentab::startFileKind(files.front());
    if (!files.isEmpty() && kind == zentab::StartFileKind::Other) {
        std::fprintf(stderr,
                     "zentab: %s is neither a configuration file (.zcf) nor a snapshot file "
                     "(.zsn)\n",
                     qPrintable(files.front()));
        return 2;
    }
    bool anySide = false;
    for (const SideOptions& side : sides) {
        if (parser.isSet(side.connect) && parser.isSet(side.snapshot)) {
            std::fprintf(stderr, "zentab: --%s and --%s name the same side\n",
                         qPrintable(side.connect.names().front()),
                         qPrintable(side.snapshot.names().front()));
            return 2;
        }
        anySide = anySide || parser.isSet(side.connect) || parser.isSet(side.snapshot);
    }

    if (anySide && kind == zentab::StartFileKind::Configuration) {
        std::fprintf(stderr, "zentab: a configuration file names its own sources\n");
        return 2;
    }
    if (anySide && kind == zentab::StartFileKind::Snapshot) {
        std::fprintf(stderr, "zentab: name the sources or a snapshot file, not both\n");
        return 2;
    }

    zentab::MainWindow window;
    zentab::Session& session = window.session();
    const zentab::PreferenceStore preferences(zentab::PreferenceStore::defaultPath());
    preferences.load(session.settings, session.preferences);
    window.applyPreferences();
    window.setRecentFiles(preferences.recentFiles());
    if (kind == zentab::StartFileKind::Configuration) {
        // An automatic run works out of the way; one whose report stays on screen brings the
        // window back when it ends.
        window.showMinimized();
    } else if (session.preferences.window.maximized) {
        window.showMaximized();
    } else {
        window.show();
    }

    if (!files.isEmpty()) {
        // Once the window is on screen, so that questions, messages and the dialog have a parent.
        const std::string path = zentab::toReportText(files.front());
        QTimer::singleShot(0, &window, [&window, path, kind] {
            if (kind == zentab::StartFileKind::Configuration) {
                zentab::startFromConfiguration(window, path);
            } else {
                zentab::startFromSnapshot(window, path);
            }
        });
    } else if (anySide) {
        bool usable[2] = {false, false};
        for (int number = 1; number <= 2; ++number) {
            usable[number - 1] = openSide(window, number, parser, sides[number - 1]);
        }
        window.refreshSidePanes();
        if (usable[0] && usable[1]) {
            window.startRun();
        } else {
            session.host().showMessage(kNeedTwoSources);
        }
    }
    return app.exec();
}
