#include "ui/command_set.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "ui/main_window.h"

namespace zentab {

CommandSet::CommandSet(MainWindow& window) : QObject(&window), window_(window) {
    for (const Command& command : commandTable()) {
        auto* action = new QAction(command.text, &window);
        action->setShortcuts(QKeySequence::listFromString(command.shortcuts));
        // The window's own shortcuts stay with the window: the control panel has its buttons.
        action->setShortcutContext(Qt::WindowShortcut);
        action->setIcon(iconOf(command));
        action->setToolTip(command.tooltip);
        action->setStatusTip(command.prompt);
        action->setWhatsThis(command.prompt);
        if (command.checked != nullptr) {
            action->setCheckable(true);
            action->setChecked(command.checked(window));
        }
        connect(action, &QAction::triggered, this, [this, &command] { execute(command); });
        actions_.push_back(action);
        window.addAction(action); // shortcuts work with the bars hidden
    }
}

QIcon CommandSet::iconOf(const Command& command) {
    if (command.ownIcon == nullptr) {
        return {};
    }
    QIcon own(QStringLiteral(":/icons/") + command.ownIcon);
    return command.themeIcon != nullptr ? QIcon::fromTheme(command.themeIcon, own) : own;
}

void CommandSet::fillMenuBar(QMenuBar& bar) {
    for (const MenuLayout& layout : menuBarLayout()) {
        QMenu* menu = bar.addMenu(layout.title);
        place(*menu, layout.entries);
        if (layout.recentFiles && !layout.entries.empty() && layout.entries.back()) {
            recentMenu_ = menu;
            recentSeparator_ = new QAction(menu);
            recentSeparator_->setSeparator(true);
            recentSeparator_->setVisible(false); // until there is a file to list
            menu->insertAction(action(*layout.entries.back()), recentSeparator_);
        }
    }
}

void CommandSet::fillToolBar(QToolBar& bar) {
    place(bar, toolBarLayout());
}

bool CommandSet::fillContextMenu(QMenu& menu) {
    for (const Slot& slot : contextMenuLayout()) {
        if (!slot) {
            menu.addSeparator();
            continue;
        }
        const Command& entry = command(*slot);
        QAction* action = menu.addAction(entry.contextText);
        action->setEnabled(entry.enabled(window_));
        action->setStatusTip(entry.prompt);
        connect(action, &QAction::triggered, this, [this, &entry] { execute(entry); });
    }
    return !menu.isEmpty();
}

QAction* CommandSet::action(CommandId id) const {
    return actions_[static_cast<std::size_t>(id)];
}

void CommandSet::refresh() {
    for (const Command& command : commandTable()) {
        QAction* entry = action(command.id);
        entry->setEnabled(command.enabled(window_));
        if (command.checked != nullptr) {
            entry->setChecked(command.checked(window_));
        }
    }
    const bool idle = !window_.running();
    for (QAction* entry : recent_) {
        entry->setEnabled(idle);
    }
}

void CommandSet::setRecentFiles(const std::vector<std::string>& paths) {
    if (recentMenu_ == nullptr) {
        return;
    }
    for (QAction* entry : recent_) {
        recentMenu_->removeAction(entry);
        entry->deleteLater();
    }
    recent_.clear();
    recentSeparator_->setVisible(!paths.empty());
    int number = 1;
    for (const std::string& path : paths) {
        const QString shown = QDir::toNativeSeparators(fromReportText(path));
        auto* entry = new QAction(QString("&%1 %2").arg(number++).arg(shown), recentMenu_);
        entry->setStatusTip("Open this configuration file");
        connect(entry, &QAction::triggered, this, [this, path] {
            if (!window_.running()) {
                window_.openConfigurationFile(path);
            }
            window_.refreshCommands();
        });
        recentMenu_->insertAction(recentSeparator_, entry);
        recent_.push_back(entry);
    }
    refresh();
}

void CommandSet::place(QWidget& container, std::span<const Slot> entries) {
    for (const Slot& slot : entries) {
        if (slot) {
            container.addAction(action(*slot));
            continue;
        }
        auto* separator = new QAction(&container);
        separator->setSeparator(true);
        container.addAction(separator);
    }
}

void CommandSet::execute(const Command& command) {
    // The worker moves the flags between two refreshes (a run may have ended since), so the
    // rule is asked again rather than trusting the action's state.
    if (!command.enabled(window_)) {
        window_.refreshCommands();
        return;
    }
    command.handler(window_);
    window_.refreshCommands();
}

} // namespace zentab
