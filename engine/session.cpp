#include "engine/session.h"

#include <chrono>
#include <thread>
#include <utility>

namespace zentab {

namespace {

std::string databaseSuffix(const DatabaseSource& side) {
    return side.databaseName.empty() ? std::string() : " (" + side.databaseName + ")";
}

// The name without what an earlier run added to it.
std::string baseDisplayName(const DatabaseSource& side) {
    const std::string added = databaseSuffix(side);
    const std::string& name = side.displayName;
    if (!added.empty() && name.size() > added.size() && name.ends_with(added)) {
        return name.substr(0, name.size() - added.size());
    }
    return name;
}

// A report that names both sides alike cannot say which side a line means.
void distinguishDisplayNames(DatabaseSource& one, DatabaseSource& two) {
    std::string name1 = baseDisplayName(one);
    std::string name2 = baseDisplayName(two);
    if (name1 == name2) {
        name1 += databaseSuffix(one);
        name2 += databaseSuffix(two);
    }
    one.displayName = std::move(name1);
    two.displayName = std::move(name2);
}

} // namespace

Session::Session(RunHost& host, PhaseTable phaseTable)
    : writer(report, settings, host), phases(std::move(phaseTable)), host_(host) {}

void Session::setMainCaption(const std::string& caption) {
    std::string shown = caption + titleSuffix;
    {
        std::lock_guard lock(captionMutex_);
        currentCaption_ = shown;
    }
    host_.setMainCaption(shown);
}

std::string Session::currentMainCaption() const {
    std::lock_guard lock(captionMutex_);
    return currentCaption_;
}

void Session::selectPanelObject(const std::string& text, int& from) {
    int index = host_.panelFindObject(from, text);
    if (index < 0 && from > 0) {
        index = host_.panelFindObject(0, text);
    }
    if (index >= 0) {
        from = index;
    }
    host_.panelSelectObject(index);
}

void Session::pauseStopCheck() {
    while (control.paused) {
        if (!control.running) {
            control.paused = false;
            stopRoutine();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!control.running) {
        stopRoutine();
    }
}

void Session::stopRoutine() {
    // The worker's top writes the stop line and closes the files, once the phase has let go.
    throw RunStopped{};
}

void Session::warnNameCut(const std::string& what, const std::string& cutName,
                          const std::string& of, std::size_t limit, const DatabaseSource& side,
                          bool database1) {
    noteTrouble();
    const ReportColour colour = database1 ? ReportColour::Database1 : ReportColour::Database2;
    writer.append("\r\n\r\nWARNING:  The name of " + what + " ", ReportColour::Error, false, false);
    writer.append(cutName, colour, false, false);
    writer.append(of + " in database ", ReportColour::Error, false, false);
    writer.append(side.displayName, colour, false, false);
    writer.append(" is longer than " + std::to_string(limit) +
                      " bytes and was cut; what is reported for it may be wrong.\r\n\r\n",
                  ReportColour::Error, false, true);
}

void Session::SideWiring::checkStop() {
    if (!session_.control.running) {
        session_.stopRoutine();
    }
}

void Session::wireSides() {
    for (auto* side : {&side1, &side2}) {
        if (*side) {
            (*side)->attach(sideWiring_);
        }
    }
    if (side1 && side2) {
        distinguishDisplayNames(*side1, *side2);
    }
}

void Session::clearCommonLists() {
    commonTables.clear();
    commonViews.clear();
    commonProcedures.clear();
}

} // namespace zentab
