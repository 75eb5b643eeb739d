// zentab: the desktop program. With two sources on the command line it compares them at once.

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <memory>

#include "db/database_source.h"
#include "settings/preferences.h"
#include "ui/main_window.h"
#include "ui/qt_host.h"

namespace {

const char* const kNeedTwoSources = "You must have 2 database sources before you can begin.";

struct SideOptions {
    QCommandLineOption connect;
    QCommandLineOption snapshot;
};

// Opens one side from the command line; nullptr when none was named or it cannot be used (the
// side has told the user why).
std::unique_ptr<zentab::DatabaseSource>
openSide(zentab::MainWindow& window, const QCommandLineParser& parser, const SideOptions& options) {
    zentab::Session& session = window.session();
    const std::string special = session.preferences.specialCharacters;
    if (parser.isSet(options.snapshot)) {
        return zentab::DatabaseSource::ConnectInteractive(
            window.host(), true, zentab::toReportText(parser.value(options.snapshot)), nullptr,
            special);
    }
    if (parser.isSet(options.connect)) {
        return zentab::DatabaseSource::ConnectStored(
            window.host(), zentab::toReportText(parser.value(options.connect)), "", "0", special);
    }
    return nullptr;
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
    parser.process(app);
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

    zentab::MainWindow window;
    zentab::Session& session = window.session();
    zentab::PreferenceStore(zentab::PreferenceStore::defaultPath())
        .load(session.settings, session.preferences);
    window.applyPreferences();
    window.show();

    if (anySide) {
        for (int number = 1; number <= 2; ++number) {
            auto side = openSide(window, parser, sides[number - 1]);
            if (side && !side->notUsable) {
                window.setSide(number, std::move(side));
            }
        }
        if (session.sideDefined1 && session.sideDefined2) {
            window.startRun();
        } else {
            session.host().showMessage(kNeedTwoSources);
        }
    }
    return app.exec();
}
