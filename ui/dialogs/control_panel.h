#pragma once
// The "Control Panel": a small modeless window created for each run, showing the objects of the
// run, the phase caption and its progress, with the Skip, Resume, Pause and Stop buttons.
// Window thread only (the worker reaches it through QtHost).

#include <QTimer>
#include <QWidget>

class QAbstractButton;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace zentab {

class RunControl;
class RunDriver;

class ControlPanel : public QWidget {
    Q_OBJECT
public:
    enum class Button { Skip, Resume, Pause, Stop };

    // `parent` is the main window: the panel stays above it and goes with it.
    ControlPanel(RunDriver& driver, const RunControl& control, QWidget* parent);
    ~ControlPanel() override;

    void setCaption(const QString& caption);
    QString caption() const;

    void clearObjects();
    void addObject(const QString& text); // appended, then selected
    // Index of the first entry at or after `from` whose text equals `text`, or -1.
    int findObject(int from, const QString& text) const;
    void selectObject(int index);
    QListWidget* objectList() const { return objects_; }

    void setProgressRange(int low, int high);
    void setProgressPos(int pos);
    void setProgressStep(int step) { step_ = step; }
    // Advances by the step; past the end the bar starts over from the beginning.
    void stepProgress();
    QProgressBar* progressBar() const { return progress_; }

    QAbstractButton* button(Button which) const;
    // Enables the buttons by the run-control rules; also done every 100 ms.
    void refreshButtons();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void command(Button which);

    RunDriver& driver_;
    const RunControl& control_;
    QListWidget* objects_ = nullptr;
    QLabel* caption_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QAbstractButton* buttons_[4] = {};
    QPushButton* close_ = nullptr;
    QTimer refresh_;
    int step_ = 10;
};

} // namespace zentab
