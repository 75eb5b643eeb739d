#pragma once
// F1 anywhere in the program asks for the help of the window it was pressed in. Installed on
// the application, it hands over the topic of that window: the object name of the nearest
// window, from the one that has the key up through its parents, that has a help page of its
// own (a dialog), else empty (the contents). In the help window itself F1 is left alone.
// Window thread only.

#include <QObject>

#include <functional>
#include <string>

class QWidget;

namespace zentab {

class HelpKeyFilter : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(QWidget* window, const std::string& topic)>;
    explicit HelpKeyFilter(Handler handler, QObject* parent = nullptr);

    // The topic of F1 pressed in `widget`.
    static std::string topicOf(const QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Handler handler_;
};

} // namespace zentab
