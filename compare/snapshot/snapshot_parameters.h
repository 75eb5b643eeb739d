#pragma once
// The "Create Database Snapshot" command and what its "Snapshot Parameters" dialog does, without
// the widgets: the database button, the owner box, the default location and the checks of
// "Advanced..." and "Start". A front end shows the fields and calls these. Window thread.

#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "db/database_source.h"

namespace zentab {

class Session;
class RunDriver;
struct CompareSettings;

enum class OwnerKind { Schema, Catalog, NotRequired };

struct OwnerEntry {
    std::string text;
    OwnerKind kind = OwnerKind::NotRequired;
    bool operator==(const OwnerEntry&) const = default;
};

// The owner box: the side's schema names, then its catalog names, then "-not required-".
std::vector<OwnerEntry> ownerBoxEntries(const DatabaseSource& side);
// The first entry whose text begins with `owner`, without regard to case (an empty owner
// selects the first entry); -1 when none does.
int firstOwnerMatch(const std::vector<OwnerEntry>& entries, const std::string& owner);

// The proposed snapshot file: the working directory, "/", the side's display name, the time as
// "_%m%d%Y_%H%M" and ".zsn". A display name is often a path here (a file-based driver names its
// database file), so each character a file name cannot hold becomes "_". Empty when there is
// no usable side.
std::string defaultSnapshotLocation(const DatabaseSource* side, const std::string& workingDirectory,
                                    const std::tm& localTime);

// The six include options of the dialog's group.
struct SnapshotIncludes {
    bool tabStruct = false, index = false, tabData = false;
    bool viewStruct = false, viewData = false, procStruct = false;
    static SnapshotIncludes from(const CompareSettings& settings);
    void copyTo(CompareSettings& settings) const;
};

class SnapshotParameters {
public:
    using LocalTime = std::function<std::tm()>;

    // `now` gives the local time of the default location; `workingDirectory` its folder.
    SnapshotParameters(Session& session, std::string workingDirectory, LocalTime now);

    // Fills the fields when the dialog opens.
    void open();
    // The database button: replaces Database 1 by an on-line side connected through `provider`.
    void chooseDatabase(const ConnectStringProvider& provider);
    // The user chose entry `index` of the owner box (-1: none).
    void ownerChanged(int index);
    // "Advanced...": false (after the message) when there is no usable database.
    bool advanced();
    // "Start": false (after the message) when the dialog must stay open; otherwise the location
    // holds the trimmed text.
    bool start();

    // The dialog's fields.
    static constexpr const char* kNoDatabase = "Press to select Database";
    std::string databaseButton = kNoDatabase;
    std::vector<OwnerEntry> owners;
    int selectedOwner = -1;
    SnapshotIncludes includes;
    std::string location;
    // Set when "Start" refused an empty location: the focus belongs on the location field.
    bool focusLocation = false;

private:
    bool databaseUsable() const;
    void showSide();
    void applyOwnerKind();
    void setDefaultLocation();

    Session& session_;
    std::string workingDirectory_;
    LocalTime now_;
};

// "Create Database Snapshot": the checks, then the dialog (false when cancelled), then the run.
using ShowSnapshotDialog = std::function<bool(SnapshotParameters&)>;
void createDatabaseSnapshot(Session& session, RunDriver& driver, SnapshotParameters& parameters,
                            const ShowSnapshotDialog& dialog);

} // namespace zentab
