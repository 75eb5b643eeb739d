#include "compare/snapshot/snapshot_parameters.h"

#include <utility>

#include "base/text.h"
#include "engine/run_driver.h"
#include "engine/session.h"
#include "settings/compare_settings.h"

namespace zentab {

namespace {

const char* const kNotRequired = "-not required-";
const char* const kRunInProgress =
    "You cannot create a snapshot until the current comparison ends.\n"
    "Press the <stop> icon to terminate the current Zentab";
const char* const kSaveQuestion = "The report has not been saved. Do you wish to save it?";
const char* const kSelectForAdvanced =
    "You must select a database before you can setup the advanced options.";
const char* const kSelectForStart = "You must select a database before you can begin.";
const char* const kNoDestination = "Please select a destination for this snapshot.";

// A file name here holds anything but the separator and NUL.
std::string fileNameOf(const std::string& text) {
    std::string name = text;
    for (char& c : name) {
        if (c == '/' || c == '\0') {
            c = '_';
        }
    }
    return name;
}

} // namespace

std::vector<OwnerEntry> ownerBoxEntries(const DatabaseSource& side) {
    std::vector<OwnerEntry> entries;
    for (const std::string& name : side.schemaNames) {
        entries.push_back({name, OwnerKind::Schema});
    }
    for (const std::string& name : side.catalogNames) {
        entries.push_back({name, OwnerKind::Catalog});
    }
    entries.push_back({kNotRequired, OwnerKind::NotRequired});
    return entries;
}

int firstOwnerMatch(const std::vector<OwnerEntry>& entries, const std::string& owner) {
    const std::string wanted = upperCase(owner);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (upperCase(entries[i].text).compare(0, wanted.size(), wanted) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string defaultSnapshotLocation(const DatabaseSource* side, const std::string& workingDirectory,
                                    const std::tm& localTime) {
    if (side == nullptr || side->notUsable) {
        return {};
    }
    char time[32];
    std::strftime(time, sizeof time, "_%m%d%Y_%H%M", &localTime);
    return workingDirectory + "/" + fileNameOf(side->displayName) + time + ".zsn";
}

SnapshotIncludes SnapshotIncludes::from(const CompareSettings& s) {
    return {s.b_DoTabStruct,  s.b_DoIndex,    s.b_DoTabData,
            s.b_DoViewStruct, s.b_DoViewData, s.b_DoProcStruct};
}

void SnapshotIncludes::copyTo(CompareSettings& s) const {
    s.b_DoTabStruct = tabStruct;
    s.b_DoIndex = index;
    s.b_DoTabData = tabData;
    s.b_DoViewStruct = viewStruct;
    s.b_DoViewData = viewData;
    s.b_DoProcStruct = procStruct;
}

SnapshotParameters::SnapshotParameters(Session& session, std::string workingDirectory,
                                       LocalTime now)
    : session_(session), workingDirectory_(std::move(workingDirectory)), now_(std::move(now)) {}

bool SnapshotParameters::databaseUsable() const {
    return session_.sideDefined1 && session_.side1 && !session_.side1->notUsable;
}

void SnapshotParameters::open() {
    owners.clear();
    selectedOwner = -1;
    const DatabaseSource* side = session_.side1.get();
    const bool online = session_.sideDefined1 && side != nullptr && !side->b_IsSnapshot;
    if (online && side->notUsable) {
        return;
    }
    if (online) {
        showSide();
        return;
    }
    databaseButton = kNoDatabase;
    setDefaultLocation();
}

void SnapshotParameters::chooseDatabase(const ConnectStringProvider& provider) {
    Session& s = session_;
    s.side1.reset();
    s.sideDefined1 = true;
    s.settings.side1IsSnapshot = false;
    for (bool& loaded : s.listsLoaded) {
        loaded = false;
    }
    s.clearCommonLists();
    s.side1 = DatabaseSource::ConnectInteractive(s.host(), false, "", provider,
                                                 s.preferences.specialCharacters);
    owners.clear();
    selectedOwner = -1;
    if (!databaseUsable()) {
        databaseButton = kNoDatabase;
        setDefaultLocation();
        return;
    }
    showSide();
}

void SnapshotParameters::showSide() {
    DatabaseSource& side = *session_.side1;
    databaseButton = side.displayName;
    owners = ownerBoxEntries(side);
    selectedOwner = firstOwnerMatch(owners, side.s_DatabaseUser);
    applyOwnerKind();
}

void SnapshotParameters::applyOwnerKind() {
    setDefaultLocation();
    DatabaseSource& side = *session_.side1;
    if (selectedOwner < 0 || owners[selectedOwner].kind == OwnerKind::NotRequired) {
        side.s_DatabaseUser.clear();
    } else if (owners[selectedOwner].kind == OwnerKind::Catalog) {
        side.b_IsCatalog = true;
        side.ApplyCurrentCatalog();
    } else {
        side.b_IsCatalog = false;
    }
}

void SnapshotParameters::ownerChanged(int index) {
    if (!databaseUsable() || index >= static_cast<int>(owners.size())) {
        return;
    }
    selectedOwner = index;
    DatabaseSource& side = *session_.side1;
    if (index < 0) {
        side.SelectOwner("", false);
    } else {
        side.SelectOwner(owners[index].text, owners[index].kind == OwnerKind::Catalog);
    }
    // The location follows the display name the new owner gives.
    applyOwnerKind();
    for (bool& loaded : session_.listsLoaded) {
        loaded = false;
    }
    session_.clearCommonLists();
}

void SnapshotParameters::setDefaultLocation() {
    const std::tm local = now_();
    location = defaultSnapshotLocation(databaseUsable() ? session_.side1.get() : nullptr,
                                       workingDirectory_, local);
}

bool SnapshotParameters::advanced() {
    if (!databaseUsable()) {
        session_.host().showMessage(kSelectForAdvanced);
        return false;
    }
    return true;
}

bool SnapshotParameters::start() {
    focusLocation = false;
    if (!databaseUsable()) {
        session_.host().showMessage(kSelectForStart);
        return false;
    }
    const std::string trimmedLocation = trimmed(location);
    if (trimmedLocation.empty()) {
        session_.host().showMessage(kNoDestination);
        focusLocation = true;
        return false;
    }
    location = trimmedLocation;
    return true;
}

void createDatabaseSnapshot(Session& s, RunDriver& driver, SnapshotParameters& parameters,
                            const ShowSnapshotDialog& dialog) {
    RunHost& host = s.host();
    if (s.control.running || driver.workerActive()) {
        host.showMessage(kRunInProgress);
        return;
    }
    if (!s.writer.reportSaved) {
        s.writer.saveCancelled = false;
        const Answer answer = host.askYesNoCancel(kSaveQuestion);
        if (answer == Answer::Cancel) {
            return;
        }
        if (answer == Answer::Yes) {
            s.writer.saveReport();
        }
        if (s.writer.saveCancelled) {
            return;
        }
    }
    // Stays set when the dialog is cancelled: the next comparison start clears it.
    s.settings.b_SnapshotOnly = true;
    s.clearCommonLists();
    parameters.includes = SnapshotIncludes::from(s.settings);
    parameters.open();
    if (!dialog(parameters)) {
        return;
    }
    parameters.includes.copyTo(s.settings);
    s.settings.s_SnapshotFile = parameters.location;
    driver.startRun();
}

} // namespace zentab
