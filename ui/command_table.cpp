#include "ui/command_table.h"

#include <cstddef>
#include <iterator>

#include "ui/main_window.h"

namespace zentab {

namespace {

constexpr Command kCommands[] = {
    {CommandId::Skip, "S&kip...", "Ctrl+K", QStyle::SP_MediaSkipForward, "Skip to next table",
     "Stop processing current table and skip to next", nullptr,
     [](const MainWindow& w) { return w.session().control.canSkip(); },
     [](MainWindow& w) { w.driver().skip(); }},
    {CommandId::Resume, "&Resume...", "Ctrl+R", QStyle::SP_MediaPlay, "Resume",
     "Resume the paused run", nullptr,
     [](const MainWindow& w) { return w.session().control.canResume(); },
     [](MainWindow& w) { w.driver().resume(); }},
    {CommandId::Pause, "&Pause...", "Ctrl+P", QStyle::SP_MediaPause, "Pause",
     "Pause the current run", nullptr,
     [](const MainWindow& w) { return w.session().control.canPause(); },
     [](MainWindow& w) { w.driver().pause(); }},
    {CommandId::Stop, "&Stop...", "Ctrl+T", QStyle::SP_MediaStop, "Stop", "Stop the current run",
     nullptr, [](const MainWindow& w) { return w.session().control.canStop(); },
     [](MainWindow& w) { w.driver().stop(true); }},
};

// command() indexes the table by id.
constexpr bool inIdOrder() {
    for (std::size_t i = 0; i < std::size(kCommands); ++i) {
        if (static_cast<std::size_t>(kCommands[i].id) != i) {
            return false;
        }
    }
    return true;
}
static_assert(inIdOrder(), "the command table's rows must follow CommandId");

constexpr Slot kRunControl[] = {CommandId::Skip, CommandId::Resume, CommandId::Pause,
                                CommandId::Stop};

constexpr MenuLayout kMenuBar[] = {
    {"&Action", kRunControl},
};

constexpr Slot kToolBar[] = {CommandId::Skip, CommandId::Resume, CommandId::Pause, CommandId::Stop};

// No command has a context entry yet; until one does, the report keeps the view's own menu.
constexpr std::span<const Slot> kContextMenu{};

} // namespace

std::span<const Command> commandTable() {
    return kCommands;
}

const Command& command(CommandId id) {
    return kCommands[static_cast<std::size_t>(id)];
}

std::span<const MenuLayout> menuBarLayout() {
    return kMenuBar;
}

std::span<const Slot> toolBarLayout() {
    return kToolBar;
}

std::span<const Slot> contextMenuLayout() {
    return kContextMenu;
}

} // namespace zentab
