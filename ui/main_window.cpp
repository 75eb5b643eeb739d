#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include <chrono>
#include <thread>

#include "compare/phases.h"
#include "settings/preferences.h"
#include "ui/command_set.h"
#include "ui/dialogs/control_panel.h"
#include "ui/help_key_filter.h"
#include "ui/help_window.h"
#include "ui/report_view.h"

// The icons are compiled into the static ui library; nothing else would pull them in.
static void initIcons() {
    Q_INIT_RESOURCE(icons);
}

namespace zentab {

namespace {

QString paneText(int number, bool defined, const std::unique_ptr<DatabaseSource>& side) {
    QString text = QString("Database %1:    ").arg(number);
    if (!defined || !side || side->notUsable) {
        return text + "Not available";
    }
    return text + fromReportText(side->displayName);
}

QString paneStyle(Rgb colour) {
    const QColor qcolour(static_cast<int>(redOf(colour)), static_cast<int>(greenOf(colour)),
                         static_cast<int>(blueOf(colour)));
    return QString("QLabel { background: white; color: %1; padding: 0px 4px; }")
        .arg(qcolour.name());
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), session_(host_, standardPhases()), driver_(session_) {
    view_ = new ReportView(session_.preferences.font, this);
    setCentralWidget(view_);

    host_.setWindow(this);
    host_.setReportView(view_);
    host_.setPanelFactory([this] { return newControlPanel(); });
    host_.setRunEndedHandler([this] { QTimer::singleShot(0, this, &MainWindow::tick); });
    host_.setEndProgramHandler([this](int status) { exitWhenIdle_ = status; });

    initIcons();
    setWindowIcon(QIcon(":/icons/zentab.svg"));
    setMinimumSize(WindowPlacement::kMinWidth, WindowPlacement::kMinHeight);
    preferencePath_ = PreferenceStore::defaultPath();
    fillServices();
    help_ = new HelpWindow([this](const QString& text) { host_.showMessage(toReportText(text)); },
                           this);
    // F1 anywhere in the program opens the help of the window it was pressed in.
    helpKeys_ = std::make_unique<HelpKeyFilter>(
        [this](QWidget*, const std::string& topic) { showHelp(topic); });
    qApp->installEventFilter(helpKeys_.get());

    commands_ = new CommandSet(*this);
    commands_->fillMenuBar(*menuBar());
    toolBar_ = addToolBar("Toolbar");
    toolBar_->setObjectName("toolbar");
    toolBar_->setMovable(false);
    // Showing and hiding the bars is the View menu's business, not a menu of Qt's own.
    setContextMenuPolicy(Qt::NoContextMenu);
    commands_->fillToolBar(*toolBar_);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &QWidget::customContextMenuRequested, this, &MainWindow::showContextMenu);
    connect(view_, &QTextEdit::copyAvailable, this, [this] { refreshCommands(); });

    auto* ready = new QLabel("Ready", this);
    ready->setObjectName("messagePane");
    statusBar()->addWidget(ready, 1);
    side1Pane_ = new QLabel(this);
    side1Pane_->setObjectName("side1Pane");
    side2Pane_ = new QLabel(this);
    side2Pane_->setObjectName("side2Pane");
    statusBar()->addPermanentWidget(side1Pane_);
    statusBar()->addPermanentWidget(side2Pane_);
    refreshSidePanes();

    applyPlacement();
    session_.setMainCaption("Ready - Zentab");

    timer_.setInterval(100);
    connect(&timer_, &QTimer::timeout, this, &MainWindow::tick);
    timer_.start();
    refreshCommands();
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(helpKeys_.get());
    timer_.stop();
    closeWhenIdle_ = false;
    exitWhenIdle_.reset();
    host_.detach();
    session_.control.running = false;
    // A call the worker posted before the detach still waits for this thread.
    while (driver_.workerActive()) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    driver_.join();
}

void MainWindow::applyPreferences() {
    session_.writer.setColours(session_.preferences.colours);
    session_.writer.setFont(session_.preferences.font);
    view_->applyFont();
    refreshSidePanes();
    applyPlacement();
}

void MainWindow::applyPlacement() {
    const WindowPlacement& placement = session_.preferences.window;
    // The bounds hold for values set after loading too.
    resize(placement.width < WindowPlacement::kMinWidth ? 800 : placement.width,
           placement.height < WindowPlacement::kMinHeight ? 600 : placement.height);
    if (placement.positionUsable()) {
        move(placement.x, placement.y);
    }
}

void MainWindow::storePreferences() {
    WindowPlacement& placement = session_.preferences.window;
    placement.maximized = isMaximized();
    // The size the window comes back to: not the whole screen of a maximized one.
    const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    placement.width = normal.width();
    placement.height = normal.height();
    placement.x = isMaximized() || isMinimized() ? normal.x() : x();
    placement.y = isMaximized() || isMinimized() ? normal.y() : y();
    const PreferenceStore store(preferencePath_);
    store.store(session_.settings, session_.preferences);
    store.storeRecentFiles(recentFiles_);
}

bool MainWindow::setSide(int number, std::unique_ptr<DatabaseSource> side) {
    if (driver_.workerActive() || (number != 1 && number != 2)) {
        return false;
    }
    const bool defined = side != nullptr;
    const bool snapshot = defined && side->b_IsSnapshot;
    if (number == 1) {
        session_.side1 = std::move(side);
        session_.sideDefined1 = defined;
        session_.settings.side1IsSnapshot = snapshot;
    } else {
        session_.side2 = std::move(side);
        session_.sideDefined2 = defined;
        session_.settings.side2IsSnapshot = snapshot;
    }
    // The lists read for the advanced options belonged to the old side.
    for (bool& loaded : session_.listsLoaded) {
        loaded = false;
    }
    session_.clearCommonLists();
    refreshSidePanes();
    return true;
}

bool MainWindow::startRun() {
    const bool started = driver_.startRun();
    refreshCommands();
    return started;
}

QAction* MainWindow::action(CommandId id) const {
    return commands_->action(id);
}

void MainWindow::refreshCommands() {
    commands_->refresh();
    if (panel_) {
        panel_->refreshButtons();
    }
}

void MainWindow::refreshSidePanes() {
    const ReportColours& colours = session_.writer.colours();
    side1Pane_->setText(paneText(1, session_.sideDefined1, session_.side1));
    side1Pane_->setStyleSheet(paneStyle(colours.database1));
    side2Pane_->setText(paneText(2, session_.sideDefined2, session_.side2));
    side2Pane_->setStyleSheet(paneStyle(colours.database2));
}

ControlPanel* MainWindow::newControlPanel() {
    panel_ = std::make_unique<ControlPanel>(driver_, session_.control, this);
    panel_->move(mapToGlobal(QPoint(width() - panel_->width() - 32, 64)));
    return panel_.get();
}

void MainWindow::buildContextMenu(QMenu& menu) {
    menu.clear();
    commands_->fillContextMenu(menu);
}

void MainWindow::showContextMenu(const QPoint& pos) {
    QMenu menu(this);
    if (commands_->fillContextMenu(menu)) {
        menu.exec(view_->viewport()->mapToGlobal(pos));
    }
}

void MainWindow::tick() {
    refreshCommands();
    if (driver_.workerActive() || (!closeWhenIdle_ && !exitWhenIdle_)) {
        return;
    }
    driver_.join(); // the worker has left its body: this only reaps the thread
    if (exitWhenIdle_) {
        const int status = *exitWhenIdle_;
        exitWhenIdle_.reset();
        setSide(1, nullptr);
        setSide(2, nullptr);
        QCoreApplication::exit(status);
        return;
    }
    closeWhenIdle_ = false;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!driver_.workerActive() && !offerToSaveReport()) {
        event->ignore();
        return;
    }
    if (driver_.workerActive()) {
        // Never wait for the worker here: its calls into this window need the event loop.
        // Ask, request the stop, and close again once the worker has ended.
        event->ignore();
        if (closeWhenIdle_ || askingToClose_) {
            return;
        }
        if (session_.control.running) {
            askingToClose_ = true;
            driver_.stop(true);
            askingToClose_ = false;
            if (session_.control.running) {
                return; // the user wants the run to go on
            }
        }
        closeWhenIdle_ = true;
        return;
    }
    driver_.join();
    if (panel_) {
        panel_->hide();
    }
    if (find_) {
        find_->close();
    }
    storePreferences();
    event->accept();
}

} // namespace zentab
