#pragma once
// Configuration files: Save and Load of the settings and both sides, and the automatic start
// from a file named when the program starts. Window thread (or a front end's main thread),
// while no run exists.

#include <string>

namespace zentab {

class RunDriver;
class Session;

inline constexpr const char* kConfigOpenFailed = "Could not open config file.";
inline constexpr const char* kConfigInvalid = "Invalid config file.";
inline constexpr const char* kAutoSnapshotRefused =
    "Could not automatically create a snapshot, please make sure a valid database connection "
    "are saved in the configuration file.\nSee the help topics for more information.";
inline constexpr const char* kAutoComparisonRefused =
    "Could not automatically start a comparison, please make sure 2 valid database connections "
    "are saved in the configuration file.\nSee the help topics for more information.";

// " - " and the file's name without its folder and a trailing ".zcf".
std::string configurationTitleSuffix(const std::string& path);

// Writes the settings and both sides to `path`, readable by its owner only (connect strings
// hold passwords), and makes it the current configuration. Refuses a file that a side reads.
// False, with the reason shown through the host, when nothing was written.
bool saveConfiguration(Session& session, const std::string& path);

enum class ConfigurationLoad {
    Loaded,
    // The file could not be opened, or is not a configuration file; the host was told.
    Refused,
    // An older binary file ended early: the fields before the break were loaded.
    Incomplete,
};

// The sides Load may open; a front end whose command line names a side passes false for it, so
// that the file's side is not connected only to be replaced. A positive timeout bounds the
// login and statements of the sides opened.
struct SidesToOpen {
    bool database1 = true;
    bool database2 = true;
    int timeoutSeconds = 0;
};

// Reads `path`, in the text or the older binary form, into the settings and reopens the sides
// it names; `ask` puts the question about reconnecting first.
ConfigurationLoad loadConfiguration(Session& session, const std::string& path, bool ask,
                                    SidesToOpen sides = {});

// Empty when the loaded settings and sides can start the run they ask for (a snapshot of
// Database 1, or a comparison of two sides); otherwise the message that says why not.
std::string automaticStartRefusal(const Session& session);

// Loads `path` without questions and starts the run it asks for; the run then ends the program
// as an automatic run does. False, with the message shown, when no run was started.
bool automaticStart(Session& session, RunDriver& driver, const std::string& path);

} // namespace zentab
