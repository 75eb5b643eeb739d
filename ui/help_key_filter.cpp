#include "ui/help_key_filter.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

#include "ui/help_files.h"

namespace zentab {

HelpKeyFilter::HelpKeyFilter(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {}

std::string HelpKeyFilter::topicOf(const QWidget* widget) {
    // A drop-down list or a message box over a dialog has no page: the dialog's is meant.
    for (const QWidget* window = widget != nullptr ? widget->window() : nullptr; window != nullptr;
         window = window->parentWidget() != nullptr ? window->parentWidget()->window() : nullptr) {
        const std::string name = window->objectName().toStdString();
        if (!name.empty() && helpPageFor(name) != kHelpContentsPage) {
            return name;
        }
    }
    return {};
}

bool HelpKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    // The key reaches the window system's window first and then the widget: only the widget
    // counts, once.
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) {
        return QObject::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier) {
        return QObject::eventFilter(watched, event);
    }
    auto* widget = static_cast<QWidget*>(watched);
    // Reading the help, F1 would only leave the page for the contents.
    if (widget->window()->objectName() == kHelpWindowName) {
        return QObject::eventFilter(watched, event);
    }
    if (!key->isAutoRepeat() && handler_) {
        handler_(widget->window(), topicOf(widget));
    }
    return true;
}

} // namespace zentab
