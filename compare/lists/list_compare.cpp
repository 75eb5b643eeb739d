// The list phases: pair the tables (views, procedures) of the two sides by name, report the
// counts, the objects found on one side only, optionally those found on both and those left out,
// and build the common list that the later phases of the run walk. Worker thread.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"
#include "compare/phases.h"
#include "engine/session.h"

namespace zentab {

namespace {

// What sets the three kinds apart: texts, options and lists.
struct ListKindTexts {
    ObjectKind kind;
    const char* panelCaption;
    const char* mainCaption;
    const char* foundOne;
    const char* foundMany;
    const char* panelPrefix;
    const char* missingHeading;
    const char* commonHeading;
    const char* notProcessedHeading;
    const char* listError;
    const char* singular;
    const char* plural;
    bool CompareSettings::*ignoreCase;
    bool CompareSettings::*gating;
    bool CompareSettings::*listCommon;
    bool CompareSettings::*listNotProcessed;
    std::vector<std::string> CompareSettings::*exclusions;
    ObjectList DatabaseSource::*list;
    int (DatabaseSource::*retrieve)(bool, bool);
    std::vector<ObjectEntry*> Session::*common;
};

const ListKindTexts kTables{
    ObjectKind::Tables,
    "Analyzing Databases ...",
    "Analyzing Databases - Zentab",
    " table was found in ",
    " tables were found in ",
    "",
    "\r\n\r\n\r\nThe following tables DO NOT exist in ",
    "\r\n\r\n\r\nThe following tables exist in both databases\r\n",
    "\r\n\r\n\r\nThe following tables were not processed in ",
    "\r\n\r\n\r\nThe following error was received while reading the list of tables in database ",
    "table",
    "tables",
    &CompareSettings::b_IgnoreTabCase,
    &CompareSettings::b_DoTabStruct,
    &CompareSettings::b_DoTabCommon,
    &CompareSettings::b_DoTabSkipped,
    &CompareSettings::ignoreTables,
    &DatabaseSource::tables,
    &DatabaseSource::ListTables,
    &Session::commonTables,
};

const ListKindTexts kViews{
    ObjectKind::Views,
    "Retrieving Views ...",
    "Retrieving Views - Zentab",
    " view was found in ",
    " views were found in ",
    "VIEW.",
    "\r\n\r\n\r\nThe following views DO NOT exist in ",
    "\r\n\r\n\r\nThe following views exist in both databases\r\n",
    "\r\n\r\n\r\nThe following views were not processed in ",
    "\r\n\r\n\r\nThe following error was received while reading the list of views in database ",
    "view",
    "views",
    &CompareSettings::b_IgnoreViewCase,
    &CompareSettings::b_DoViewStruct,
    &CompareSettings::b_DoViewCommon,
    &CompareSettings::b_DoViewSkipped,
    &CompareSettings::ignoreViews,
    &DatabaseSource::views,
    &DatabaseSource::ListViews,
    &Session::commonViews,
};

const ListKindTexts kProcedures{
    ObjectKind::Procedures,
    "Retrieving Procedures ...",
    "Retrieving Procedures - Zentab",
    " procedure was found in ",
    " procedures were found in ",
    "PROC.",
    "\r\n\r\n\r\nThe following procedures DO NOT exist in ",
    "\r\n\r\n\r\nThe following procedures exist in both databases\r\n",
    "\r\n\r\n\r\nThe following procedures were not processed in ",
    "\r\n\r\n\r\nThe following error was received while reading the list of procedures in "
    "database ",
    "procedure",
    "procedures",
    &CompareSettings::b_IgnoreProcCase,
    &CompareSettings::b_DoProcStruct,
    &CompareSettings::b_DoProcCommon,
    &CompareSettings::b_DoProcSkipped,
    &CompareSettings::ignoreProcs,
    &DatabaseSource::procedures,
    &DatabaseSource::ListProcedures,
    &Session::commonProcedures,
};

// The control panel's progress bar takes its range as 16-bit values.
int progressBound(int value) {
    return static_cast<std::int16_t>(value);
}

// One list phase of one run. Worker thread.
class ListComparison {
public:
    ListComparison(Session& session, const ListKindTexts& kind)
        : s_(session), host_(session.host()), kind_(kind), settings_(session.settings),
          side1_(*session.side1), side2_(session.side2.get()), list1_(side1_.*kind.list),
          list2_(side2_ != nullptr ? side2_->*kind.list : noList_), common_(session.*kind.common) {}

    void run();

private:
    void readLists();
    void reportListProblems(const DatabaseSource& side, bool database1);
    void writeCountHeader();
    void pairDatabase2();
    ObjectEntry* lookup(ObjectEntry& entry2);
    void missingInDatabase2();
    void listCommon();
    void listNotProcessed(const ObjectList& list, bool database1);
    bool excluded(const std::string& name) const;
    std::string panelText(const std::string& name) const { return kind_.panelPrefix + name; }
    void selectPanelEntry(const std::string& name);
    void append(const std::string& text, ReportColour colour, bool count) {
        s_.writer.append(text, colour, false, count);
    }

    Session& s_;
    RunHost& host_;
    const ListKindTexts& kind_;
    const CompareSettings& settings_;
    DatabaseSource& side1_;
    DatabaseSource* side2_; // a snapshot run may have none
    ObjectList noList_;
    ObjectList& list1_;
    ObjectList& list2_;
    std::vector<ObjectEntry*>& common_;
    int count1_ = 0;
    int count2_ = 0;
    bool ignoreCase_ = false;
    std::vector<std::string> upper1_; // Database 1's names upper-cased, with ignoreCase_
    CaselessNames exclusions_;
    int panelPosition_ = 0;
};

void ListComparison::run() {
    const int k = static_cast<int>(kind_.kind);
    s_.setPanelCaption(kind_.panelCaption);
    s_.setMainCaption(kind_.mainCaption);
    common_.clear();

    readLists();
    s_.objectCount1[k] = count1_;
    s_.objectCount2[k] = count2_;

    if (settings_.b_SnapshotOnly) {
        // The snapshot run writes Database 1's list itself.
        host_.progressSetRange(0, progressBound(count1_));
        return;
    }

    writeCountHeader();
    const int total = (count1_ + count2_) * 3;
    host_.progressSetStep(1);
    host_.progressSetRange(0, progressBound(total));

    ignoreCase_ = settings_.*kind_.ignoreCase;
    if (ignoreCase_) {
        upper1_.reserve(list1_.size());
        for (const ObjectEntry& entry : list1_) {
            upper1_.push_back(upperCase(entry.nameInDb1));
        }
    }
    exclusions_ = CaselessNames(settings_.*kind_.exclusions);

    pairDatabase2();
    const bool gating = settings_.*kind_.gating;
    if (gating) {
        missingInDatabase2();
        if (settings_.*kind_.listCommon) {
            listCommon();
        }
        if (settings_.*kind_.listNotProcessed) {
            listNotProcessed(list1_, true);
            listNotProcessed(list2_, false);
        }
    }
    host_.progressSetPos(total);
}

void ListComparison::readLists() {
    const int k = static_cast<int>(kind_.kind);
    const bool snapshotRun = settings_.b_SnapshotOnly;
    if (s_.listsLoaded[k]) {
        // Read before the run by the selection page: a run starts them from the state a fresh
        // read gives, whatever an earlier run on the same lists left on them.
        for (ObjectList* list : {&list1_, &list2_}) {
            for (ObjectEntry& entry : *list) {
                entry.matched = entry.compareData = false;
                entry.dataDiffers = entry.structureDiffers = entry.indexDiffers = false;
                entry.columns.clear();
                entry.indexes.clear();
            }
        }
        for (ObjectEntry& entry : list2_) {
            entry.nameInDb1.clear();
        }
        count1_ = static_cast<int>(list1_.size());
        count2_ = snapshotRun ? 0 : static_cast<int>(list2_.size());
        return; // the page that read them measured their names
    }
    count1_ = (side1_.*kind_.retrieve)(false, true);
    reportListProblems(side1_, true);
    if (!snapshotRun && side2_ != nullptr) {
        count2_ = (side2_->*kind_.retrieve)(false, false);
        reportListProblems(*side2_, false);
    }
    // The name column of the later sections is as wide as the longest name read; a
    // snapshot's names may be of any length, the column not.
    std::size_t longest = 0;
    for (const ObjectEntry& entry : list1_) {
        longest = std::max(longest, entry.nameInDb1.size());
    }
    if (!snapshotRun) {
        for (const ObjectEntry& entry : list2_) {
            longest = std::max(longest, entry.nameInDb2.size());
        }
    }
    s_.longestName[k] = std::min(longest, static_cast<std::size_t>(kMaxDisplayWidth));
}

// A list that could not be read whole, or names cut by the name buffer, must not pass for a
// clean comparison: each is written before the counts and marks the run as troubled.
void ListComparison::reportListProblems(const DatabaseSource& side, bool database1) {
    const ReportColour colour = database1 ? ReportColour::Database1 : ReportColour::Database2;
    if (side.listFailed) {
        s_.noteTrouble();
        append(kind_.listError, ReportColour::Error, false);
        append(side.displayName + " :\r\n", colour, false);
        append(side.lastError + "\r\n\r\n", ReportColour::Error, true);
    }
    if (side.listUnqualified && !side.listFailed) {
        s_.noteTrouble();
        append(std::string("\r\n\r\nWARNING:  The list of ") + kind_.plural + " in database ",
               ReportColour::Error, false);
        append(side.displayName, colour, false);
        append(" could not be limited to owner " + side.s_DatabaseUser +
                   ", so it holds those of every owner: " + side.listUnqualifiedReason + "\r\n\r\n",
               ReportColour::Error, true);
    }
    for (const std::string& name : side.listNamesCut) {
        s_.warnNameCut(kind_.singular, name, "", side.listNameLimit, side, database1);
    }
}

void ListComparison::writeCountHeader() {
    // A list that broke off is not the side's list: its count says how far it got.
    auto found = [this](int count, const DatabaseSource& side) {
        if (side.listFailed) {
            return std::string(" ") + (count == 1 ? kind_.singular : kind_.plural) +
                   (count == 1 ? " was" : " were") + " read before the error in ";
        }
        return std::string(count == 1 ? kind_.foundOne : kind_.foundMany);
    };
    append("\r\n\r\n\r\n" + std::to_string(count1_), ReportColour::Database1, false);
    append(found(count1_, side1_), ReportColour::Text, false);
    append(side1_.displayName, ReportColour::Database1, false);
    append("\r\n" + std::to_string(count2_), ReportColour::Database2, false);
    append(found(count2_, *side2_), ReportColour::Text, false);
    append(side2_->displayName, ReportColour::Database2, true);
}

void ListComparison::pairDatabase2() {
    const bool gating = settings_.*kind_.gating;
    bool headingWritten = false;
    for (ObjectEntry& entry2 : list2_) {
        s_.pauseStopCheck();
        ObjectEntry* entry1 = lookup(entry2);
        if (excluded(entry2.nameInDb2)) {
            continue;
        }
        if (entry1 != nullptr) {
            entry2.matched = true;
            entry2.compareData = true;
            common_.push_back(&entry2);
            host_.panelAddObject(panelText(entry2.nameInDb2));
            host_.progressStepIt();
        } else if (gating && !side1_.listFailed) {
            // Whether an object is missing from a list that broke off is not known.
            if (!headingWritten) {
                append(kind_.missingHeading, ReportColour::Text, false);
                append(side1_.displayName + "\r\n", ReportColour::Database1, true);
                headingWritten = true;
            }
            append("\r\n\t\t" + entry2.nameInDb2, ReportColour::Database2, true);
            s_.differencesFound = true;
        }
    }
}

ObjectEntry* ListComparison::lookup(ObjectEntry& entry2) {
    const std::string upper2 = ignoreCase_ ? upperCase(entry2.nameInDb2) : std::string();
    for (std::size_t i = 0; i < list1_.size(); ++i) {
        s_.pauseStopCheck();
        ObjectEntry& entry1 = list1_[i];
        // Entries already paired stay candidates: with the case option two objects of
        // Database 2 may both pair with one of Database 1.
        bool equal = ignoreCase_ ? upper1_[i] == upper2 : entry1.nameInDb1 == entry2.nameInDb2;
        if (equal) {
            entry2.nameInDb1 = entry1.nameInDb1;
            entry1.matched = true;
            return &entry1;
        }
    }
    return nullptr;
}

void ListComparison::missingInDatabase2() {
    if (side2_->listFailed) {
        return; // nothing is known to be missing from a list that broke off
    }
    bool headingWritten = false;
    for (const ObjectEntry& entry1 : list1_) {
        s_.pauseStopCheck();
        selectPanelEntry(entry1.nameInDb1);
        host_.progressStepIt();
        if (excluded(entry1.nameInDb1) || entry1.matched) {
            continue;
        }
        if (!headingWritten) {
            append(kind_.missingHeading, ReportColour::Text, false);
            append(side2_->displayName + "\r\n", ReportColour::Database2, true);
            headingWritten = true;
        }
        append("\r\n\t\t" + entry1.nameInDb1, ReportColour::Database1, true);
        s_.differencesFound = true;
    }
}

void ListComparison::listCommon() {
    // Only the shorter list is walked. An object in both but excluded is matched on Database 1's
    // side only; it is left out here whichever side is walked, so that the section names the
    // objects the run processes, and the excluded ones appear only as not processed.
    const bool walkDatabase1 = count1_ < count2_;
    const ObjectList& list = walkDatabase1 ? list1_ : list2_;
    bool headingWritten = false;
    for (const ObjectEntry& entry : list) {
        s_.pauseStopCheck();
        const std::string& name = walkDatabase1 ? entry.nameInDb1 : entry.nameInDb2;
        selectPanelEntry(name);
        host_.progressStepIt();
        if (!entry.matched || (walkDatabase1 && excluded(name))) {
            continue;
        }
        if (!headingWritten) {
            append(kind_.commonHeading, ReportColour::Text, false);
            headingWritten = true;
        }
        append("\r\n\t\t" + name, ReportColour::Common, true);
    }
}

void ListComparison::listNotProcessed(const ObjectList& list, bool database1) {
    const ReportColour colour = database1 ? ReportColour::Database1 : ReportColour::Database2;
    const DatabaseSource& side = database1 ? side1_ : *side2_;
    bool headingWritten = false;
    for (const ObjectEntry& entry : list) {
        s_.pauseStopCheck();
        const std::string& name = database1 ? entry.nameInDb1 : entry.nameInDb2;
        selectPanelEntry(name);
        host_.progressStepIt();
        if (!excluded(name)) {
            continue;
        }
        if (!headingWritten) {
            append(kind_.notProcessedHeading, ReportColour::Text, false);
            append(side.displayName + "\r\n", colour, true);
            headingWritten = true;
        }
        append("\r\n\t\t" + name, colour, true);
    }
}

bool ListComparison::excluded(const std::string& name) const {
    return exclusions_.contains(name);
}

void ListComparison::selectPanelEntry(const std::string& name) {
    s_.selectPanelObject(panelText(name), panelPosition_);
}

void compareList(Session& session, const ListKindTexts& kind) {
    if (!session.side1 || (!session.side2 && !session.settings.b_SnapshotOnly)) {
        return; // the run driver starts no comparison without both sides
    }
    ListComparison(session, kind).run();
}

} // namespace

void compareTableList(Session& session) {
    compareList(session, kTables);
}

void compareViewList(Session& session) {
    compareList(session, kViews);
}

void compareProcedureList(Session& session) {
    compareList(session, kProcedures);
}

} // namespace zentab
