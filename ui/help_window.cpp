#include "ui/help_window.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/help_files.h"

namespace zentab {

namespace {

// The page file an item of the contents or of the search results opens.
constexpr int kPageRole = Qt::UserRole;

QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Shows the pages, with pictures wider than the page scaled down to its width.
class PageBrowser : public QTextBrowser {
public:
    explicit PageBrowser(QWidget* parent) : QTextBrowser(parent) {
        document()->setDocumentMargin(12);
    }

    QVariant loadResource(int type, const QUrl& name) override {
        QVariant resource = QTextBrowser::loadResource(type, name);
        if (type != QTextDocument::ImageResource || resource.typeId() != QMetaType::QByteArray) {
            return resource;
        }
        QImage image = QImage::fromData(resource.toByteArray());
        const int room = std::max(320, viewport()->width() - 4 * int(document()->documentMargin()));
        if (image.isNull() || image.width() <= room) {
            return resource;
        }
        return image.scaledToWidth(room, Qt::SmoothTransformation);
    }
};

} // namespace

HelpWindow::HelpWindow(std::function<void(const QString&)> message, QWidget* parent)
    : QWidget(parent, Qt::Window), message_(std::move(message)) {
    setObjectName(kHelpWindowName);
    setWindowTitle("Zentab Help");

    back_ = new QPushButton("&Back", this);
    back_->setObjectName("backButton");
    back_->setEnabled(false);
    forward_ = new QPushButton("&Forward", this);
    forward_->setObjectName("forwardButton");
    forward_->setEnabled(false);
    auto* home = new QPushButton("&Home", this);
    home->setObjectName("homeButton");
    for (QPushButton* button : {back_, forward_, home}) {
        button->setAutoDefault(false);
    }

    auto* side = new QWidget(this);
    auto* contentsLabel = new QLabel("&Contents", side);
    contents_ = new QListWidget(side);
    contents_->setObjectName("contentsList");
    contentsLabel->setBuddy(contents_);
    auto* searchLabel = new QLabel("&Search for:", side);
    search_ = new QLineEdit(side);
    search_->setObjectName("searchEdit");
    search_->setPlaceholderText("Words on the page");
    search_->setClearButtonEnabled(true);
    searchLabel->setBuddy(search_);
    results_ = new QListWidget(side);
    results_->setObjectName("searchResults");
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(contentsLabel);
    sideLayout->addWidget(contents_, 3);
    sideLayout->addWidget(searchLabel);
    sideLayout->addWidget(search_);
    sideLayout->addWidget(results_, 2);

    browser_ = new PageBrowser(this);
    browser_->setObjectName("helpBrowser");
    // Web addresses go to the desktop's browser; pages of the help stay here.
    browser_->setOpenExternalLinks(true);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(side);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({230, 670});
    splitter->setChildrenCollapsible(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back_);
    buttons->addWidget(forward_);
    buttons->addWidget(home);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);

    setTabOrder(back_, forward_);
    setTabOrder(forward_, home);
    setTabOrder(home, contents_);
    setTabOrder(contents_, search_);
    setTabOrder(search_, results_);
    setTabOrder(results_, browser_);

    connect(back_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(home, &QPushButton::clicked, this, [this] { openPage(kHelpContentsPage); });
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, &HelpWindow::pageChanged);
    connect(search_, &QLineEdit::textChanged, this, &HelpWindow::runSearch);
    connect(search_, &QLineEdit::returnPressed, this, [this] {
        if (results_->count() > 0) {
            openPage(results_->item(0)->data(kPageRole).toString());
        }
    });
    auto* closeAction = new QAction(this);
    closeAction->setShortcut(Qt::Key_Escape);
    connect(closeAction, &QAction::triggered, this, &QWidget::close);
    addAction(closeAction);
    for (QListWidget* list : {contents_, results_}) {
        const auto open = [this](QListWidgetItem* item) {
            openPage(item->data(kPageRole).toString());
        };
        connect(list, &QListWidget::itemClicked, this, open);
        connect(list, &QListWidget::itemActivated, this, open);
    }

    setMinimumSize(520, 360);
    resize(900, 650);
}

bool HelpWindow::showTopic(const std::string& topic) {
    const std::optional<QString> found = helpFolder();
    if (!found) {
        if (message_) {
            message_(kHelpNotFound);
        }
        return false;
    }
    if (*found != folder_) {
        useFolder(*found);
    }
    // A modal dialog blocks every window but its own children: while one is open the help is
    // shown modal over it, so that it can be read and closed; otherwise it stays beside the
    // main window.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != this) {
        const Qt::WindowModality wanted = modal != nullptr ? Qt::ApplicationModal : Qt::NonModal;
        if (windowModality() != wanted) {
            hide();
            setWindowModality(wanted);
        }
    }
    show();
    raise();
    activateWindow();
    // After show(): the pictures are fitted to the width the page has.
    openPage(helpPageFor(topic));
    return true;
}

void HelpWindow::openPage(const QString& page) {
    if (folder_.isEmpty()) {
        return;
    }
    const QDir dir(folder_);
    const QString name = QFileInfo::exists(dir.filePath(page)) ? page : kHelpContentsPage;
    const QUrl url = QUrl::fromLocalFile(dir.filePath(name));
    // Opening the page shown again would only lengthen the history.
    if (url == browser_->source()) {
        return;
    }
    // A .md source is read as Markdown by the browser.
    browser_->setSource(url);
}

QString HelpWindow::currentPage() const {
    const QUrl source = browser_->source();
    return source.isEmpty() ? QString() : QFileInfo(source.toLocalFile()).fileName();
}

void HelpWindow::useFolder(const QString& folder) {
    folder_ = folder;
    browser_->clear();
    browser_->clearHistory();
    fillContents();
    runSearch(search_->text());
}

void HelpWindow::fillContents() {
    contents_->clear();
    const QString index = readText(QDir(folder_).filePath(kHelpContentsPage));
    auto* first = new QListWidgetItem("Contents", contents_);
    first->setData(kPageRole, QString(kHelpContentsPage));
    for (const HelpLink& link : markdownLinks(index)) {
        // Only pages of the help: the contents may also point to the web.
        if (QUrl(link.target).isRelative() && link.target.endsWith(".md")) {
            auto* item = new QListWidgetItem(link.text, contents_);
            item->setData(kPageRole, link.target);
        }
    }
}

void HelpWindow::runSearch(const QString& words) {
    results_->clear();
    if (folder_.isEmpty()) {
        return;
    }
    for (const HelpHit& hit : searchHelp(folder_, words)) {
        auto* item = new QListWidgetItem(hit.title, results_);
        item->setData(kPageRole, hit.page);
        item->setToolTip(hit.page);
    }
}

void HelpWindow::pageChanged(const QUrl& source) {
    // The contents follow the page, also when a link or Back changed it. (The browser tells
    // before its source() is the new page.)
    const QString page = QFileInfo(source.toLocalFile()).fileName();
    const QSignalBlocker blocker(contents_);
    contents_->clearSelection();
    for (int row = 0; row < contents_->count(); ++row) {
        if (contents_->item(row)->data(kPageRole).toString() == page) {
            contents_->setCurrentRow(row);
            break;
        }
    }
}

} // namespace zentab
