#include "ui/dialogs/control_panel.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "engine/run_control.h"
#include "engine/run_driver.h"

namespace zentab {

ControlPanel::ControlPanel(RunDriver& driver, const RunControl& control, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::Tool), driver_(driver), control_(control) {
    setWindowTitle("Control Panel");

    objects_ = new QListWidget(this);
    objects_->setSelectionMode(QAbstractItemView::SingleSelection);
    caption_ = new QLabel("Retrieving Database Information ...", this);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);

    struct Spec {
        Button which;
        QStyle::StandardPixmap icon;
        const char* name;
        const char* tip;
    };
    const Spec specs[] = {
        {Button::Skip, QStyle::SP_MediaSkipForward, "SKIP", "Skip object"},
        {Button::Resume, QStyle::SP_MediaPlay, "PLAY", "Resume"},
        {Button::Pause, QStyle::SP_MediaPause, "PAUSE", "Pause"},
        {Button::Stop, QStyle::SP_MediaStop, "STOP", "Stop"},
    };
    auto* buttonRow = new QHBoxLayout;
    for (const Spec& spec : specs) {
        auto* button = new QToolButton(this);
        button->setIcon(style()->standardIcon(spec.icon));
        button->setIconSize(QSize(24, 24));
        button->setAccessibleName(spec.name);
        button->setToolTip(spec.tip);
        button->setAutoRaise(false);
        connect(button, &QToolButton::clicked, this,
                [this, which = spec.which] { command(which); });
        buttons_[static_cast<int>(spec.which)] = button;
        buttonRow->addWidget(button);
    }
    buttonRow->addStretch();
    close_ = new QPushButton("Close", this);
    connect(close_, &QPushButton::clicked, this, &QWidget::close);
    buttonRow->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(objects_, 1);
    layout->addWidget(new QLabel("Object being processed:", this));
    layout->addWidget(caption_);
    layout->addWidget(progress_);
    layout->addLayout(buttonRow);
    resize(320, 360);

    // The worker changes the flags behind the window's back (skipAllowed around data phases,
    // running at the end), so the buttons are looked at regularly.
    refresh_.setInterval(100);
    connect(&refresh_, &QTimer::timeout, this, &ControlPanel::refreshButtons);
    refresh_.start();
    refreshButtons();
}

ControlPanel::~ControlPanel() = default;

void ControlPanel::setCaption(const QString& caption) {
    caption_->setText(caption);
}

QString ControlPanel::caption() const {
    return caption_->text();
}

void ControlPanel::clearObjects() {
    objects_->clear();
}

void ControlPanel::addObject(const QString& text) {
    objects_->addItem(text);
    selectObject(objects_->count() - 1);
}

int ControlPanel::findObject(int from, const QString& text) const {
    for (int i = from < 0 ? 0 : from; i < objects_->count(); ++i) {
        if (objects_->item(i)->text() == text) {
            return i;
        }
    }
    return -1;
}

void ControlPanel::selectObject(int index) {
    if (index < 0 || index >= objects_->count()) {
        objects_->clearSelection();
        return;
    }
    objects_->setCurrentRow(index);
    objects_->scrollToItem(objects_->item(index));
}

void ControlPanel::setProgressRange(int low, int high) {
    progress_->setRange(low, high < low ? low : high);
    progress_->setValue(low);
}

void ControlPanel::setProgressPos(int pos) {
    progress_->setValue(pos);
}

void ControlPanel::stepProgress() {
    const int low = progress_->minimum();
    const int high = progress_->maximum();
    const int current = progress_->value() < low ? low : progress_->value();
    long long next = static_cast<long long>(current) + step_;
    if (next > high) {
        next = low + (next - high);
        if (next > high) {
            next = low;
        }
    }
    progress_->setValue(static_cast<int>(next));
}

QAbstractButton* ControlPanel::button(Button which) const {
    return buttons_[static_cast<int>(which)];
}

void ControlPanel::refreshButtons() {
    button(Button::Pause)->setEnabled(control_.canPause());
    button(Button::Resume)->setEnabled(control_.canResume());
    button(Button::Skip)->setEnabled(control_.canSkip());
    button(Button::Stop)->setEnabled(control_.canStop());
}

void ControlPanel::command(Button which) {
    switch (which) {
    case Button::Skip:
        driver_.skip();
        break;
    case Button::Resume:
        driver_.resume();
        break;
    case Button::Pause:
        driver_.pause();
        break;
    case Button::Stop:
        driver_.stop(true);
        break;
    }
    refreshButtons();
}

void ControlPanel::closeEvent(QCloseEvent* event) {
    if (driver_.closeControlPanel()) {
        event->accept();
    } else {
        event->ignore();
    }
}

} // namespace zentab
