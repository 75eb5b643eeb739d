#pragma once
// The command table made into Qt actions for one window: one action per command, shared by the
// menu bar and the toolbar, so that a single enabling pass reaches both. Window thread only.

#include <QObject>

#include <span>
#include <string>
#include <vector>

#include "ui/command_table.h"

class QAction;
class QIcon;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

namespace zentab {

class CommandSet : public QObject {
    Q_OBJECT
public:
    // The actions belong to `window`, whose rules and handlers they run.
    explicit CommandSet(MainWindow& window);

    void fillMenuBar(QMenuBar& bar);
    void fillToolBar(QToolBar& bar);
    // The report's context menu is made afresh for each right click, with entries of its own
    // owned by `menu`; false when it would be empty.
    bool fillContextMenu(QMenu& menu);

    QAction* action(CommandId id) const;
    // Enables every action by its command's rule.
    void refresh();
    // The numbered entries of the recent configuration files, newest first.
    void setRecentFiles(const std::vector<std::string>& paths);
    const std::vector<QAction*>& recentFileActions() const { return recent_; }

    // The desktop theme's icon of a command, else our own drawing; null for a command without.
    static QIcon iconOf(const Command& command);

private:
    void place(QWidget& container, std::span<const Slot> entries);
    void execute(const Command& command);

    MainWindow& window_;
    std::vector<QAction*> actions_; // indexed by CommandId, owned by the window
    QMenu* recentMenu_ = nullptr;
    QAction* recentSeparator_ = nullptr; // the recent entries go above it
    std::vector<QAction*> recent_;
};

} // namespace zentab
