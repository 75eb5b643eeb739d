#include "engine/configuration.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/file_guard.h"
#include "engine/run_driver.h"
#include "engine/session.h"
#include "engine/stored_side.h"
#include "settings/configuration_file.h"

namespace zentab {

namespace {

const char* const kReconnectQuestion =
    "Do you wish to re-connect to the databases on the config file?";

bool usable(const std::unique_ptr<DatabaseSource>& side) {
    return side && !side->notUsable;
}

// The path becomes the current configuration, and its name ends the captions from now on.
void makeCurrent(Session& session, const std::string& path) {
    std::string caption = session.currentMainCaption();
    const std::string& old = session.titleSuffix;
    if (!old.empty() && caption.size() >= old.size() &&
        caption.compare(caption.size() - old.size(), old.size(), old) == 0) {
        caption.resize(caption.size() - old.size());
    }
    session.configurationPath = path;
    session.titleSuffix = configurationTitleSuffix(path);
    session.setMainCaption(caption.empty() ? "Ready - Zentab" : caption);
}

bool readWhole(const std::string& path, std::string& bytes) {
    std::error_code code;
    if (std::filesystem::is_directory(path, code)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Opens the sides whose stored connection is not empty, after the question when `ask`.
void reconnect(Session& session, const StoredSide (&stored)[2], bool ask, SidesToOpen sides) {
    const bool open[2] = {sides.database1 && !stored[0].s_ConnectString.empty(),
                          sides.database2 && !stored[1].s_ConnectString.empty()};
    if (!open[0] && !open[1]) {
        return;
    }
    if (ask && !session.host().askYesNo(kReconnectQuestion)) {
        return;
    }
    for (int i = 0; i < 2; ++i) {
        if (open[i]) {
            openStoredSide(session, i + 1, stored[i], sides.timeoutSeconds);
        }
    }
}

ConfigurationLoad loadLegacy(Session& session, const std::string& path, bool ask,
                             SidesToOpen sides) {
    std::string bytes;
    if (!readWhole(path, bytes)) {
        session.host().showMessage(kConfigOpenFailed);
        return ConfigurationLoad::Refused;
    }
    LegacyConfiguration read;
    const LegacyRead result = readLegacyConfiguration(bytes, session.settings, read);
    if (result == LegacyRead::NotConfiguration) {
        session.host().showMessage(kConfigInvalid);
        return ConfigurationLoad::Refused;
    }
    makeCurrent(session, path);
    if (read.connectionsRead) {
        StoredSide stored[2];
        stored[0].s_ConnectString = read.connectString1;
        stored[1].s_ConnectString = read.connectString2;
        reconnect(session, stored, ask, sides);
    }
    return result == LegacyRead::Complete ? ConfigurationLoad::Loaded
                                          : ConfigurationLoad::Incomplete;
}

} // namespace

std::string configurationTitleSuffix(const std::string& path) {
    std::string name = std::filesystem::path(path).filename().string();
    const std::string extension = ".zcf";
    if (name.size() >= extension.size() &&
        name.compare(name.size() - extension.size(), extension.size(), extension) == 0) {
        name.resize(name.size() - extension.size());
    }
    return " - " + name;
}

bool saveConfiguration(Session& session, const std::string& path) {
    RunHost& host = session.host();
    if (const std::string refusal =
            fileOverInputMessage(session, {"The configuration file", path}, false);
        !refusal.empty()) {
        host.showMessage(refusal);
        return false;
    }
    const ProfileFile profile = configurationProfile(
        session.settings, storedSideOf(session.side1.get()), storedSideOf(session.side2.get()));
    std::string error;
    if (!profile.save(path, error, ProfileFile::Permissions::OwnerOnly)) {
        host.showMessage(kConfigOpenFailed);
        return false;
    }
    makeCurrent(session, path);
    return true;
}

ConfigurationLoad loadConfiguration(Session& session, const std::string& path, bool ask,
                                    SidesToOpen sides) {
    ProfileFile profile;
    std::string error;
    // A file that cannot be read has no version either; the older form's reader says why.
    profile.load(path, error);
    if (configurationVersion(profile).empty()) {
        return loadLegacy(session, path, ask, sides);
    }
    if (!std::ifstream(path, std::ios::binary)) {
        session.host().showMessage(kConfigOpenFailed);
        return ConfigurationLoad::Refused;
    }
    makeCurrent(session, path);

    const StoredSide stored[2] = {readStoredSide(profile, 1), readStoredSide(profile, 2)};
    CompareSettings& settings = session.settings;
    settings.b_SummaryReportOnly = false;
    settings.side1IsSnapshot = stored[0].b_IsSnapshot;
    settings.side2IsSnapshot = stored[1].b_IsSnapshot;
    reconnect(session, stored, ask, sides);
    readConfigurationOptions(profile, settings);
    for (bool& loaded : session.listsLoaded) {
        loaded = false;
    }
    return ConfigurationLoad::Loaded;
}

std::string automaticStartRefusal(const Session& session) {
    if (session.settings.b_SnapshotOnly) {
        return usable(session.side1) ? std::string() : kAutoSnapshotRefused;
    }
    return usable(session.side1) && usable(session.side2) ? std::string() : kAutoComparisonRefused;
}

bool automaticStart(Session& session, RunDriver& driver, const std::string& path) {
    session.autoStartPath = path;
    loadConfiguration(session, path, false);
    if (const std::string refusal = automaticStartRefusal(session); !refusal.empty()) {
        // No run is coming: a run the user starts later must not end the program.
        session.autoStartPath.clear();
        session.host().showMessage(refusal);
        return false;
    }
    session.clearCommonLists();
    session.control.skipAllowed = false;
    if (!driver.startRun()) {
        session.autoStartPath.clear();
        return false;
    }
    return true;
}

} // namespace zentab
