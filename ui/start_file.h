#pragma once
// The file named on the desktop program's command line, as a file manager hands it over: a
// configuration file runs as it says, a snapshot file becomes Database 1 of a comparison the
// user then sets up. Window thread.

#include <QString>

#include <string>

namespace zentab {

class MainWindow;

enum class StartFileKind { Configuration, Snapshot, Other };

// By the extension, in any case: ".zcf" or ".zsn".
StartFileKind startFileKind(const QString& path);

// Loads the configuration file `path` without questions and starts the run it asks for.
void startFromConfiguration(MainWindow& window, const std::string& path);

// Opens the snapshot file `path` as Database 1 and shows the Parameters dialog, so that the user
// chooses Database 2 and starts. A snapshot that cannot be read has told the user why; the
// dialog still opens, for another choice.
void startFromSnapshot(MainWindow& window, const std::string& path);

} // namespace zentab
