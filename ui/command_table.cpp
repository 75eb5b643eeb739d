#include "ui/command_table.h"

#include <cstddef>
#include <iterator>

#include "ui/main_window.h"

namespace zentab {

namespace {

using W = MainWindow;

bool always(const W&) {
    return true;
}
bool idle(const W& w) {
    return !w.running();
}
bool reportExists(const W& w) {
    return w.session().hasRun;
}

constexpr Command kCommands[] = {
    {CommandId::Start, "&Start Zentab", "Ctrl+N", nullptr, "start.svg", "Start Zentab (Ctrl+N)",
     "Start a new compare of two databases", "Start Zentab", idle,
     [](W& w) { w.startComparison(); }},
    {CommandId::RerunLast, "&Rerun Last", "Ctrl+L", "view-refresh", "rerun.svg",
     "Rerun last (Ctrl+L)", "Rerun last compare or upgrade script", "Rerun Compare",
     [](const W& w) { return !w.running() && w.session().hasRun; },
     [](W& w) { w.driver().rerunLast(); }},
    {CommandId::StartSql, "Start S&QL Compare", "Ctrl+J", nullptr, "sql-start.svg",
     "Start SQL (Ctrl+J)", "Start a new free form SQL Compare", "Start SQL Compare", idle,
     [](W& w) { w.startStatementComparison(); }},
    {CommandId::RerunSql, "R&erun Last SQL Compare", "Ctrl+M", nullptr, "sql-rerun.svg",
     "Rerun SQL (Ctrl+M)", "Rerun the last free form SQL Compare", "Rerun SQL Compare",
     [](const W& w) { return !w.running() && w.driver().canRerunLastSqlCompare(); },
     [](W& w) { w.driver().rerunLastSqlCompare(); }},
    {CommandId::SaveReport, "S&ave Report", "Ctrl+S", "document-save", "save-report.svg",
     "Save Report (Ctrl+S)", "Save the report to a file", "Save Report", reportExists,
     [](W& w) { w.saveReport(); }},
    {CommandId::OpenConfiguration, "&Open Configuration", "Ctrl+O", "document-open",
     "config-open.svg", "Open Configuration (Ctrl+O)", "Open a configuration file",
     "Open Configuration", idle, [](W& w) { w.openConfiguration(); }},
    {CommandId::SaveConfiguration, "&Save Configuration", "", nullptr, "config-save.svg",
     "Save Configuration", "Save the settings to the current configuration file",
     "Save Configuration", [](const W& w) { return !w.session().configurationPath.empty(); },
     [](W& w) { w.saveConfigurationToCurrentFile(); }},
    {CommandId::SaveConfigurationAs, "Save &Configuration as...", "", "document-save-as",
     "config-save-as.svg", "Save Configuration As", "Save the settings to a new configuration file",
     "Save Configuration As",
     [](const W& w) { return w.session().hasRun || !w.session().configurationPath.empty(); },
     [](W& w) { w.saveConfigurationAs(); }},
    {CommandId::Snapshot, "Create Database Snapshot", "", nullptr, "snapshot.svg", "Snapshot",
     "Create a snapshot file of a database", "Snapshot", idle, [](W& w) { w.createSnapshot(); }},
    {CommandId::Exit, "E&xit", "", nullptr, nullptr, "Exit",
     "Quit the application; asks to save an unsaved report", nullptr, always,
     [](W& w) { w.close(); }},
    {CommandId::Skip, "S&kip...", "Ctrl+K", "media-skip-forward", "skip.svg", "Skip to next table",
     "Stop processing current table and skip to next", nullptr,
     [](const W& w) { return w.session().control.canSkip(); }, [](W& w) { w.driver().skip(); }},
    {CommandId::Resume, "&Resume...", "Ctrl+R", "media-playback-start", "resume.svg", "Resume",
     "Resume the paused run", nullptr, [](const W& w) { return w.session().control.canResume(); },
     [](W& w) { w.driver().resume(); }},
    {CommandId::Pause, "&Pause...", "Ctrl+P", "media-playback-pause", "pause.svg", "Pause",
     "Pause the current run", nullptr, [](const W& w) { return w.session().control.canPause(); },
     [](W& w) { w.driver().pause(); }},
    {CommandId::Stop, "&Stop...", "Ctrl+T", "media-playback-stop", "stop.svg", "Stop",
     "Stop the current run", nullptr, [](const W& w) { return w.session().control.canStop(); },
     [](W& w) { w.driver().stop(true); }},
    {CommandId::Copy, "&Copy", "Ctrl+C; Ctrl+Ins", "edit-copy", "copy.svg", "Copy (Ctrl+C)",
     "Copy the selected report text to the clipboard", "Copy",
     [](const W& w) { return w.selectionIsText(); }, [](W& w) { w.copySelection(); }},
    {CommandId::SaveCsv, "Save selection as CSV ...", "", nullptr, nullptr, "Save as CSV",
     "Save selected text as a CSV file.", "Save Selection as CSV ...",
     [](const W& w) { return w.selectionIsText() && w.session().settings.b_DataAsCSV; },
     [](W& w) { w.saveSelectionAsCsv(); }},
    {CommandId::Find, "&Find", "Ctrl+F", "edit-find", "find.svg", "Find (Ctrl+F)",
     "Find text in the report", "Find", reportExists, [](W& w) { w.findInReport(); }},
    {CommandId::Font, "Font", "", nullptr, nullptr, "Font", "Choose the report font", "Font",
     always, [](W& w) { w.chooseFont(); }},
    {CommandId::Colors, "Colors", "", nullptr, nullptr, "Colors", "Choose the report colors",
     "Colors", always, [](W& w) { w.chooseColours(); }},
    {CommandId::Print, "Print", "", "document-print", "print.svg", "Print", "Print the report",
     "Print", reportExists, [](W& w) { w.printReport(); }},
    {CommandId::ToggleToolbar, "&Toolbar", "", nullptr, nullptr, "Toggle Toolbar",
     "Show or hide the toolbar", nullptr, always, [](W& w) { w.toggleToolBar(); },
     [](const W& w) { return w.toolBarShown(); }},
    {CommandId::ToggleStatusBar, "&Status Bar", "", nullptr, nullptr, "Toggle Status Bar",
     "Show or hide the status bar", nullptr, always, [](W& w) { w.toggleStatusBar(); },
     [](const W& w) { return w.statusBarShown(); }},
    {CommandId::HelpTopics, "&Help Topics", "", nullptr, nullptr, "Help Topics",
     "List the help topics", nullptr, always, [](W& w) { w.showHelp(""); }},
    {CommandId::About, "&About Zentab...", "", "help-about", "about.svg", "About",
     "Display program information and version number", nullptr, always,
     [](W& w) { w.showAbout(); }},
    {CommandId::ContextHelp, "Context Help", "", "help-contextual", "context-help.svg", "Help",
     "Display help for clicked on buttons, menus and windows", nullptr, always,
     [](W& w) { w.enterContextHelp(); }},
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

using C = CommandId;

constexpr Slot kZentabMenu[] = {
    C::Start,
    C::RerunLast,
    C::StartSql,
    C::RerunSql,
    kSeparator,
    C::SaveReport,
    kSeparator,
    C::OpenConfiguration,
    C::SaveConfiguration,
    C::SaveConfigurationAs,
    kSeparator,
    C::Snapshot,
    kSeparator,
    C::Exit,
};
constexpr Slot kActionMenu[] = {C::Skip, C::Resume, C::Pause, C::Stop};
constexpr Slot kEditMenu[] = {C::Copy, C::SaveCsv, C::Find,    kSeparator,
                              C::Font, C::Colors,  kSeparator, C::Print};
constexpr Slot kViewMenu[] = {C::ToggleToolbar, C::ToggleStatusBar};
constexpr Slot kHelpMenu[] = {C::HelpTopics, kSeparator, C::About};

constexpr MenuLayout kMenuBar[] = {
    {"&Zentab", kZentabMenu, true}, {"&Action", kActionMenu}, {"&Edit", kEditMenu},
    {"&View", kViewMenu},           {"&Help", kHelpMenu},
};

constexpr Slot kToolBar[] = {
    C::Start,
    C::RerunLast,
    kSeparator,
    C::StartSql,
    C::RerunSql,
    kSeparator,
    C::SaveReport,
    kSeparator,
    C::OpenConfiguration,
    C::SaveConfiguration,
    C::SaveConfigurationAs,
    kSeparator,
    C::Snapshot,
    kSeparator,
    C::Copy,
    C::Find,
    kSeparator,
    C::Print,
    kSeparator,
    C::About,
    C::ContextHelp,
    kSeparator,
    C::Skip,
    C::Resume,
    C::Pause,
    C::Stop,
};

constexpr Slot kContextMenu[] = {
    C::Copy,
    C::SaveCsv,
    kSeparator,
    C::Start,
    C::RerunLast,
    C::StartSql,
    C::RerunSql,
    kSeparator,
    C::SaveReport,
    kSeparator,
    C::OpenConfiguration,
    C::SaveConfiguration,
    C::SaveConfigurationAs,
    kSeparator,
    C::Snapshot,
    kSeparator,
    C::Find,
    kSeparator,
    C::Font,
    C::Colors,
    C::Print,
};

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
