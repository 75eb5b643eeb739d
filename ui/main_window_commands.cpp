// The main window's commands: what each menu item, toolbar button and context entry does once
// its rule has let it run. Window thread only.

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolBar>
#include <QUrl>
#include <QWhatsThis>

#include <algorithm>
#include <ctime>

#include "compare/snapshot/snapshot_parameters.h"
#include "engine/configuration.h"
#include "settings/preferences.h"
#include "ui/command_set.h"
#include "ui/dialogs/advanced_options.h"
#include "ui/dialogs/data_source_dialog.h"
#include "ui/dialogs/find_dialog.h"
#include "ui/dialogs/general_options_dialog.h"
#include "ui/dialogs/parameters_dialog.h"
#include "ui/dialogs/snapshot_dialog.h"
#include "ui/dialogs/sql_compare_dialog.h"
#include "ui/help_window.h"
#include "ui/main_window.h"
#include "ui/report_printer.h"
#include "ui/report_view.h"

namespace zentab {

namespace {

const FileRequest kConfigurationOpen{"Zentab Config Files (*.zcf) | *.zcf||", "zcf", false};
const FileRequest kConfigurationSave{"Zentab Config Files (*.zcf) | *.zcf||", "zcf", true};

// Effect bits of a stored report font, as the rich-text control of the older program kept
// them: the stored values must keep meaning the same.
constexpr unsigned kBold = 0x1;
constexpr unsigned kItalic = 0x2;
constexpr unsigned kUnderline = 0x4;
constexpr unsigned kStrikeOut = 0x8;
constexpr int kFixedPitch = 0x1;
constexpr int kModernFamily = 0x30;

ReportFont toReportFont(const QFont& font, const ReportFont& old) {
    ReportFont stored = old;
    stored.faceName = toReportText(font.family());
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : 8.5;
    stored.height = std::clamp(static_cast<int>(points * 20.0 + 0.5), ReportFont::kMinHeight,
                               ReportFont::kMaxHeight);
    unsigned effects = old.effects & ~(kBold | kItalic | kUnderline | kStrikeOut);
    effects |= font.bold() ? kBold : 0u;
    effects |= font.italic() ? kItalic : 0u;
    effects |= font.underline() ? kUnderline : 0u;
    effects |= font.strikeOut() ? kStrikeOut : 0u;
    stored.effects = effects;
    stored.pitchAndFamily = font.fixedPitch() ? (kFixedPitch | kModernFamily) : 0;
    return stored;
}

} // namespace

void MainWindow::fillServices() {
    services_.chooseDataSource = [this](QWidget* parent) {
        return askDataSource(parent, session_.host());
    };
    services_.advancedOptions = [this](QWidget* parent, CompareSettings& settings,
                                       bool database1Only) {
        return editAdvancedOptions(parent, session_, settings, database1Only, &services_);
    };
    services_.generalOptions = [this](QWidget* parent, CompareSettings& settings) {
        return editGeneralOptions(parent, session_, settings);
    };
    services_.sidesChanged = [this] { refreshSidePanes(); };
    services_.help = [this](QWidget*, const std::string& topic) { showHelp(topic); };
}

void MainWindow::startComparison() {
    driver_.start([this](CompareSettings& settings) {
        ParametersDialog dialog(session_, settings, services_, this);
        return dialog.exec() == QDialog::Accepted;
    });
    refreshSidePanes();
}

void MainWindow::startStatementComparison() {
    driver_.startSqlCompare([this](std::string& statement1, std::string& statement2) {
        SqlCompareDialog dialog(session_, statement1, statement2, services_, this);
        return dialog.exec() == QDialog::Accepted;
    });
    refreshSidePanes();
}

void MainWindow::saveReport() {
    session_.writer.saveReport();
}

bool MainWindow::offerToSaveReport() {
    ReportWriter& writer = session_.writer;
    if (writer.reportSaved) {
        return true;
    }
    writer.saveCancelled = false;
    switch (host_.askYesNoCancel(kReportNotSaved)) {
    case Answer::Cancel:
        return false;
    case Answer::No:
        return true;
    case Answer::Yes:
        writer.saveReport();
        // A save that was cancelled or failed keeps the report where it is.
        return !writer.saveCancelled && writer.reportSaved;
    }
    return false;
}

void MainWindow::openConfiguration() {
    if (std::optional<std::string> path = host_.chooseFile(kConfigurationOpen)) {
        openConfigurationFile(*path);
    }
}

void MainWindow::openConfigurationFile(const std::string& path) {
    if (running()) {
        return;
    }
    const ConfigurationLoad loaded = loadConfiguration(session_, path, true);
    if (loaded == ConfigurationLoad::Refused) {
        // A file that cannot be opened any more leaves the recent list.
        std::erase(recentFiles_, path);
        setRecentFiles(recentFiles_);
        PreferenceStore(preferencePath_).storeRecentFiles(recentFiles_);
    } else {
        rememberFile(path);
    }
    refreshSidePanes();
}

void MainWindow::saveConfigurationToCurrentFile() {
    const std::string path = session_.configurationPath;
    if (!path.empty() && saveConfiguration(session_, path)) {
        rememberFile(path);
    }
}

void MainWindow::saveConfigurationAs() {
    if (std::optional<std::string> path = host_.chooseFile(kConfigurationSave)) {
        if (saveConfiguration(session_, *path)) {
            rememberFile(*path);
        }
    }
}

void MainWindow::createSnapshot() {
    SnapshotParameters parameters(session_, QDir::currentPath().toStdString(), [] {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        return local;
    });
    createDatabaseSnapshot(session_, driver_, parameters, [this](SnapshotParameters& p) {
        SnapshotDialog dialog(p, session_, services_, this);
        return dialog.exec() == QDialog::Accepted;
    });
    refreshSidePanes();
}

void MainWindow::copySelection() {
    view_->copy();
}

std::pair<int, int> MainWindow::selectedLines() const {
    const QTextCursor cursor = view_->textCursor();
    if (!cursor.hasSelection()) {
        return {-1, -1};
    }
    const QTextDocument* document = view_->document();
    const int first = document->findBlock(cursor.selectionStart()).blockNumber();
    // The line of the last selected character, not of the position after it.
    const int lastPosition = std::max(cursor.selectionStart(), cursor.selectionEnd() - 1);
    const int last = document->findBlock(lastPosition).blockNumber();
    return {first, last};
}

void MainWindow::saveSelectionAsCsv() {
    const auto [first, last] = selectedLines();
    session_.writer.saveSelectionAsCsv(first, last);
}

void MainWindow::findInReport() {
    if (!find_) {
        find_ = new FindDialog(session_.writer, *view_, this);
    }
    // Each opening starts a new search from the top with an empty text.
    find_->show();
    find_->raise();
    find_->activateWindow();
}

void MainWindow::chooseFont() {
    Preferences& preferences = session_.preferences;
    const std::optional<QFont> chosen =
        host_.prompts().chooseFont(this, ReportView::toQFont(preferences.font));
    if (!chosen) {
        return;
    }
    preferences.font = toReportFont(*chosen, preferences.font);
    PreferenceStore(preferencePath_).writeFont(preferences.font);
    session_.writer.setFont(preferences.font);
    view_->applyFont();
}

void MainWindow::chooseColours() {
    Preferences& preferences = session_.preferences;
    const std::optional<ReportColours> chosen =
        host_.prompts().chooseColours(this, preferences.colours);
    if (!chosen) {
        return;
    }
    preferences.colours = *chosen;
    const PreferenceStore store(preferencePath_);
    store.writeInt("ColDatabase1", chosen->database1);
    store.writeInt("ColText", chosen->text);
    store.writeInt("ColError", chosen->error);
    store.writeInt("ColCommon", chosen->common);
    store.writeInt("ColDatabase2", chosen->database2);
    // Later pieces take the new colours; what is in the report keeps its own.
    session_.writer.setColours(*chosen);
    refreshSidePanes();
}

void MainWindow::printReport() {
    QPrinter printer(QPrinter::HighResolution);
    if (!host_.prompts().choosePrinter(this, printer)) {
        return;
    }
    if (const char* message =
            printFailureMessage(zentab::printReport(*view_->document(), printer))) {
        host_.showMessage(message);
    }
}

void MainWindow::toggleToolBar() {
    toolBar_->setVisible(toolBar_->isHidden());
}

void MainWindow::toggleStatusBar() {
    statusBar()->setVisible(statusBar()->isHidden());
}

bool MainWindow::toolBarShown() const {
    return toolBar_ != nullptr && !toolBar_->isHidden();
}

bool MainWindow::statusBarShown() const {
    return !statusBar()->isHidden();
}

void MainWindow::showHelp(const std::string& topic) {
    help_->showTopic(topic);
}

void MainWindow::showAbout() {
    host_.prompts().about(this, kAboutText);
}

void MainWindow::enterContextHelp() {
    QWhatsThis::enterWhatsThisMode();
}

bool MainWindow::selectionIsText() const {
    return view_->textCursor().hasSelection();
}

void MainWindow::rememberFile(const std::string& path) {
    // A line break would end the entry early in the preference file.
    if (path.empty() || path.find_first_of("\r\n") != std::string::npos) {
        return;
    }
    std::vector<std::string> paths{path};
    for (const std::string& known : recentFiles_) {
        if (known != path && std::ssize(paths) < PreferenceStore::kRecentFiles) {
            paths.push_back(known);
        }
    }
    setRecentFiles(std::move(paths));
    PreferenceStore(preferencePath_).storeRecentFiles(recentFiles_);
}

void MainWindow::setRecentFiles(std::vector<std::string> paths) {
    if (std::ssize(paths) > PreferenceStore::kRecentFiles) {
        paths.resize(PreferenceStore::kRecentFiles);
    }
    recentFiles_ = std::move(paths);
    commands_->setRecentFiles(recentFiles_);
}

} // namespace zentab
