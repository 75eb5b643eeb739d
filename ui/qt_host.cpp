#include "ui/qt_host.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <utility>

#include "ui/dialogs/colors_dialog.h"
#include "ui/dialogs/control_panel.h"
#include "ui/report_view.h"

namespace zentab {

namespace {

const char* const kTitle = "Zentab";

QString trimmed(const std::string& text, std::size_t from, std::size_t to) {
    return fromReportText(std::string_view(text).substr(from, to - from)).trimmed();
}

} // namespace

QString fromReportText(std::string_view text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toReportText(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

QStringList qtNameFilters(const std::string& filter) {
    // Pairs of description and patterns, each followed by '|'; an empty pair ends the list.
    QStringList parts;
    std::size_t start = 0;
    while (start <= filter.size()) {
        std::size_t bar = filter.find('|', start);
        if (bar == std::string::npos) {
            bar = filter.size();
        }
        parts << trimmed(filter, start, bar);
        start = bar + 1;
    }
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        QString patterns = parts[i + 1];
        if (description.isEmpty() && patterns.isEmpty()) {
            break;
        }
        patterns.replace(';', ' ');
        if (description.contains('(' + patterns + ')') || patterns.isEmpty()) {
            filters << description;
        } else {
            filters << description + " (" + patterns + ')';
        }
    }
    return filters;
}

void Prompts::message(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, kTitle, text);
}

bool Prompts::yesNo(QWidget* parent, const QString& text) {
    return QMessageBox::question(parent, kTitle, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

Answer Prompts::yesNoCancel(QWidget* parent, const QString& text) {
    switch (QMessageBox::question(parent, kTitle, text,
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                  QMessageBox::Yes)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

std::optional<QString> Prompts::chooseFile(QWidget* parent, const FileRequest& request) {
    QFileDialog dialog(parent, kTitle);
    dialog.setNameFilters(qtNameFilters(request.filter));
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    if (request.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front();
}

std::optional<QFont> Prompts::chooseFont(QWidget* parent, const QFont& current) {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, current, parent, "Font");
    return ok ? std::optional<QFont>(font) : std::nullopt;
}

bool Prompts::choosePrinter(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return dialog.exec() == QDialog::Accepted;
}

std::optional<ReportColours> Prompts::chooseColours(QWidget* parent, const ReportColours& current) {
    ReportColours colours = current;
    ColorsDialog dialog(colours, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return colours;
}

void Prompts::about(QWidget* parent, const QString& text) {
    QMessageBox::about(parent, "About Zentab", text);
}

QtHost::QtHost(QObject* parent) : QObject(parent), prompts_(std::make_unique<Prompts>()) {}

QtHost::~QtHost() = default;

void QtHost::setWindow(QWidget* window) {
    window_ = window;
}

void QtHost::setReportView(ReportView* view) {
    view_ = view;
}

void QtHost::setPrompts(std::unique_ptr<Prompts> prompts) {
    prompts_ = prompts ? std::move(prompts) : std::make_unique<Prompts>();
}

template <typename F> void QtHost::onWindowThread(F&& fn) {
    if (detached_) {
        return;
    }
    if (QThread::currentThread() == thread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(this, std::forward<F>(fn), Qt::BlockingQueuedConnection);
}

template <typename R, typename F> R QtHost::onWindowThread(R fallback, F&& fn) {
    if (detached_) {
        return fallback;
    }
    if (QThread::currentThread() == thread()) {
        return fn();
    }
    std::optional<R> result;
    QMetaObject::invokeMethod(
        this, [&result, &fn] { result.emplace(fn()); }, Qt::BlockingQueuedConnection);
    // Empty only when the call was dropped because the host went away meanwhile.
    return result ? std::move(*result) : fallback;
}

void QtHost::setMainCaption(const std::string& caption) {
    onWindowThread([this, &caption] {
        if (window_) {
            window_->setWindowTitle(fromReportText(caption));
        }
    });
}

void QtHost::setPanelCaption(const std::string& caption) {
    onWindowThread([this, &caption] {
        if (panel_) {
            panel_->setCaption(fromReportText(caption));
        }
    });
}

bool QtHost::openControlPanel() {
    return onWindowThread(false, [this] {
        panel_ = panelFactory_ ? panelFactory_() : nullptr;
        if (!panel_) {
            return false;
        }
        panel_->clearObjects();
        panel_->show();
        return panel_->isVisible();
    });
}

void QtHost::closeControlPanel() {
    onWindowThread([this] {
        // Hidden rather than closed: closing is refused while a run is in progress.
        if (panel_) {
            panel_->hide();
        }
    });
}

void QtHost::panelClearObjects() {
    onWindowThread([this] {
        if (panel_) {
            panel_->clearObjects();
        }
    });
}

void QtHost::panelAddObject(const std::string& text) {
    onWindowThread([this, &text] {
        if (panel_) {
            panel_->addObject(fromReportText(text));
        }
    });
}

int QtHost::panelFindObject(int from, const std::string& text) {
    return onWindowThread(-1, [this, from, &text] {
        return panel_ ? panel_->findObject(from, fromReportText(text)) : -1;
    });
}

void QtHost::panelSelectObject(int index) {
    onWindowThread([this, index] {
        if (panel_) {
            panel_->selectObject(index);
        }
    });
}

void QtHost::progressSetRange(int low, int high) {
    onWindowThread([this, low, high] {
        if (panel_) {
            panel_->setProgressRange(low, high);
        }
    });
}

void QtHost::progressSetPos(int pos) {
    if (detached_) {
        return;
    }
    if (QThread::currentThread() == thread()) {
        if (panel_) {
            panel_->setProgressPos(pos);
        }
        return;
    }
    pendingPos_.store(pos);
    if (!posQueued_.exchange(true)) {
        // Queued calls keep their order with the blocking ones, so a later range or caption
        // change still comes after this position.
        QMetaObject::invokeMethod(
            this,
            [this] {
                posQueued_.store(false);
                if (panel_) {
                    panel_->setProgressPos(pendingPos_.load());
                }
            },
            Qt::QueuedConnection);
    }
}

void QtHost::progressSetStep(int step) {
    onWindowThread([this, step] {
        if (panel_) {
            panel_->setProgressStep(step);
        }
    });
}

void QtHost::progressStepIt() {
    onWindowThread([this] {
        if (panel_) {
            panel_->stepProgress();
        }
    });
}

void QtHost::reportAppended(const std::string& text, Rgb colour, bool underline) {
    onWindowThread([this, &text, colour, underline] {
        if (view_) {
            view_->appendPiece(text, colour, underline);
        }
    });
}

void QtHost::reportCleared() {
    onWindowThread([this] {
        if (view_) {
            view_->clearReport();
        }
    });
}

QProgressDialog* QtHost::savingWindow() const {
    return saving_;
}

void QtHost::savingStarted(int lineCount) {
    savedLines_ = 0;
    onWindowThread([this, lineCount] {
        if (saving_) {
            saving_->deleteLater(); // the leftover of a save whose end was dropped
        }
        auto* saving = new QProgressDialog("Saving report to file", QString(), 0,
                                           std::max(lineCount, 1), window_);
        saving->setObjectName("SavingDialog");
        saving->setWindowTitle("Saving...");
        saving->setMinimumDuration(0);
        saving->setAutoClose(false);
        saving->setAutoReset(false);
        saving->setWindowModality(Qt::WindowModal);
        saving->setMinimumWidth(320);
        saving->show();
        saving_ = saving;
        if (!waitCursor_) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            waitCursor_ = true;
        }
    });
}

void QtHost::savingStep() {
    const int lines = ++savedLines_;
    if (detached_) {
        return;
    }
    if (QThread::currentThread() == thread()) {
        // A modal progress window turns the event loop on each new value: often enough to
        // repaint, not once a line.
        if (saving_ && (lines % 256 == 0 || lines >= saving_->maximum())) {
            saving_->setValue(std::min(lines, saving_->maximum()));
        }
        return;
    }
    if (!savingQueued_.exchange(true)) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                savingQueued_ = false;
                if (saving_) {
                    saving_->setValue(std::min(savedLines_.load(), saving_->maximum()));
                }
            },
            Qt::QueuedConnection);
    }
}

void QtHost::savingFinished() {
    onWindowThread([this] {
        if (saving_) {
            saving_->setValue(saving_->maximum());
            saving_->hide();
            saving_->deleteLater();
            saving_ = nullptr;
        }
        if (waitCursor_) {
            QApplication::restoreOverrideCursor();
            waitCursor_ = false;
        }
    });
}

void QtHost::showMessage(const std::string& text) {
    onWindowThread([this, &text] { prompts_->message(window_, fromReportText(text)); });
}

bool QtHost::askYesNo(const std::string& text) {
    return onWindowThread(false,
                          [this, &text] { return prompts_->yesNo(window_, fromReportText(text)); });
}

Answer QtHost::askYesNoCancel(const std::string& text) {
    return onWindowThread(Answer::Cancel, [this, &text] {
        return prompts_->yesNoCancel(window_, fromReportText(text));
    });
}

std::optional<std::string> QtHost::chooseFile(const FileRequest& request) {
    // Stays empty when the user cancels, and when the call is dropped.
    std::optional<std::string> chosen;
    onWindowThread([this, &request, &chosen] {
        if (std::optional<QString> path = prompts_->chooseFile(window_, request)) {
            chosen = toReportText(*path);
        }
    });
    return chosen;
}

void QtHost::maximiseMainWindow() {
    onWindowThread([this] {
        if (window_) {
            window_->showMaximized();
        }
    });
}

void QtHost::runEnded() {
    onWindowThread([this] {
        if (runEndedHandler_) {
            runEndedHandler_();
        }
    });
}

void QtHost::endProgram(int status) {
    onWindowThread([this, status] {
        if (endProgramHandler_) {
            endProgramHandler_(status);
        }
    });
}

} // namespace zentab
