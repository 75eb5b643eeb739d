#pragma once
// The program's help: a top-level window beside the main window with the contents, a search over
// all pages and a browser that shows the Markdown pages with Back, Forward and Home. Links to
// other pages open in the browser, web addresses in the desktop's browser. Window thread only.

#include <QString>
#include <QWidget>

#include <functional>
#include <string>

class QLineEdit;
class QListWidget;
class QPushButton;
class QTextBrowser;
class QUrl;

namespace zentab {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    // `message` tells the user when there is no help to show. The window stays hidden until a
    // topic is shown and goes away with `parent`.
    HelpWindow(std::function<void(const QString&)> message, QWidget* parent);

    // Shows the page of `topic` (a dialog's object name; empty for the contents), or the
    // contents when that page is missing, and brings the window to the front. False, after
    // telling the user, when no help folder is found.
    bool showTopic(const std::string& topic);
    // Opens `page` (a file name) of the help folder shown; the contents when it is missing.
    void openPage(const QString& page);

    // The help folder in use; empty before the first topic.
    const QString& folder() const { return folder_; }
    // The file name of the page shown.
    QString currentPage() const;

    QTextBrowser* browser() const { return browser_; }
    QListWidget* contentsList() const { return contents_; }
    QLineEdit* searchEdit() const { return search_; }
    QListWidget* searchResults() const { return results_; }

private:
    void useFolder(const QString& folder);
    void fillContents();
    void runSearch(const QString& words);
    void pageChanged(const QUrl& source);

    std::function<void(const QString&)> message_;
    QString folder_;
    QTextBrowser* browser_ = nullptr;
    QListWidget* contents_ = nullptr;
    QLineEdit* search_ = nullptr;
    QListWidget* results_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* forward_ = nullptr;
};

} // namespace zentab
