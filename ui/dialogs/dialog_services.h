#pragma once
// What one dialog opens from another: the data-source dialog behind every database button, the
// "Advanced..." sheet, the "General" options and the help of a dialog. The main window fills it
// with the real dialogs; a test fills only what it needs (an empty entry does nothing). Window
// thread only.

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace zentab {

struct CompareSettings;

struct DialogServices {
    // Asks for an on-line data source: the input connect string, nullopt when cancelled.
    std::function<std::optional<std::string>(QWidget* parent)> chooseDataSource;
    // The "Advanced Options" sheet over `settings` (a dialog's copy, written on OK only);
    // `database1Only` for the snapshot dialog, which has one side. True on OK.
    std::function<bool(QWidget* parent, CompareSettings& settings, bool database1Only)>
        advancedOptions;
    // The "General Options" dialog over `settings`, written on OK only. True on OK.
    std::function<bool(QWidget* parent, CompareSettings& settings)> generalOptions;
    // A side was chosen or its owner changed: the window shows the new names.
    std::function<void()> sidesChanged;
    // The help topic of a dialog (its object name, e.g. "ParametersDialog").
    std::function<void(QWidget* parent, const std::string& topic)> help;

    // A dialog's Help button: its topic, when help is wired.
    void openHelp(QWidget* parent, const std::string& topic) const {
        if (help) {
            help(parent, topic);
        }
    }
};

} // namespace zentab
