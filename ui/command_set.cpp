#include "ui/command_set.h"

#include <QAction>
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
        if (command.icon) {
            action->setIcon(window.style()->standardIcon(*command.icon));
        }
        action->setToolTip(command.tooltip);
        action->setStatusTip(command.prompt);
        connect(action, &QAction::triggered, this, [this, &command] { execute(command); });
        actions_.push_back(action);
    }
}

void CommandSet::fillMenuBar(QMenuBar& bar) {
    for (const MenuLayout& layout : menuBarLayout()) {
        place(*bar.addMenu(layout.title), layout.entries);
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
        connect(action, &QAction::triggered, this, [this, &entry] { execute(entry); });
    }
    return !menu.isEmpty();
}

QAction* CommandSet::action(CommandId id) const {
    return actions_[static_cast<std::size_t>(id)];
}

void CommandSet::refresh() {
    for (const Command& command : commandTable()) {
        action(command.id)->setEnabled(command.enabled(window_));
    }
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
