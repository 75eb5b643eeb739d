#pragma once
// The window's commands, described once: what each one says and does, and where it sits in the
// menus, the toolbar and the report's context menu. Everything here is constant data; CommandSet
// turns it into actions. Any thread may read it; the rules and handlers run on the window thread.

#include <optional>
#include <span>

namespace zentab {

class MainWindow;

// One value per row of the command table, in the table's order.
enum class CommandId {
    Start,
    RerunLast,
    StartSql,
    RerunSql,
    SaveReport,
    OpenConfiguration,
    SaveConfiguration,
    SaveConfigurationAs,
    Snapshot,
    Exit,
    Skip,
    Resume,
    Pause,
    Stop,
    Copy,
    SaveCsv,
    Find,
    Font,
    Colors,
    Print,
    ToggleToolbar,
    ToggleStatusBar,
    HelpTopics,
    About,
    ContextHelp,
};

struct Command {
    CommandId id;
    // The menu text with its mnemonic.
    const char* text;
    // Key sequences in Qt's portable form, several separated by "; "; empty when none.
    const char* shortcuts;
    // The icon's name in the desktop's icon theme and our own drawing of it (a file under
    // ui/icons/); nullptr for commands that are never on the toolbar.
    const char* themeIcon;
    const char* ownIcon;
    const char* tooltip;
    // Shown in the status bar while the pointer is on the command.
    const char* prompt;
    // The entry's text in the report's context menu; nullptr keeps the command out of it.
    const char* contextText;
    bool (*enabled)(const MainWindow& window);
    void (*handler)(MainWindow& window);
    // Shown with a tick (the View menu's bars); its state is `checked`.
    bool (*checked)(const MainWindow& window) = nullptr;
};

// A place in a menu or the toolbar: a command, or a separator (nullopt).
using Slot = std::optional<CommandId>;
inline constexpr Slot kSeparator = std::nullopt;

struct MenuLayout {
    const char* title;
    std::span<const Slot> entries;
    // The recent configuration files are listed in this menu, before its last entry.
    bool recentFiles = false;
};

// Every row, in CommandId order.
std::span<const Command> commandTable();
const Command& command(CommandId id);

// The menu bar from left to right, the toolbar from left to right, and the report's context
// menu from the top.
std::span<const MenuLayout> menuBarLayout();
std::span<const Slot> toolBarLayout();
std::span<const Slot> contextMenuLayout();

} // namespace zentab
