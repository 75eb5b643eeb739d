#include "ui/help_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <iterator>

namespace zentab {

namespace {

constexpr HelpTopic kTopics[] = {
    {"ParametersDialog", "parameters.md"},
    {"DataSourceDialog", "data-sources.md"},
    {"AdvancedOptionsSheet", "advanced-options.md"},
    {"GeneralOptionsDialog", "general-options.md"},
    {"DataConditionsDialog", "data-conditions.md"},
    {"SnapshotDialog", "snapshots.md"},
    {"SqlCompareDialog", "sql-compare.md"},
    {"ColorsDialog", "report-window.md"},
    {"FindDialog", "report-window.md"},
};

QString readPage(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

QString titleOf(const QString& markdown, const QString& fallback) {
    static const QRegularExpression heading(QStringLiteral("^#{1,6}[ \\t]+(.+?)[ \\t#]*$"),
                                            QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = heading.match(markdown);
    return match.hasMatch() ? match.captured(1) : fallback;
}

} // namespace

std::span<const HelpTopic> helpTopics() {
    return kTopics;
}

QString helpPageFor(const std::string& topic) {
    const auto* found = std::find_if(std::begin(kTopics), std::end(kTopics),
                                     [&](const HelpTopic& entry) { return topic == entry.topic; });
    return QString::fromLatin1(found == std::end(kTopics) ? kHelpContentsPage : found->page);
}

std::optional<QString> firstHelpFolder(const QStringList& candidates) {
    for (const QString& candidate : candidates) {
        if (!candidate.isEmpty() && QFileInfo(QDir(candidate), kHelpContentsPage).isFile()) {
            return QDir::cleanPath(QDir(candidate).absolutePath());
        }
    }
    return std::nullopt;
}

std::optional<QString> helpFolder() {
    const QString named = qEnvironmentVariable(kHelpFolderVariable);
    if (!named.isEmpty()) {
        // A folder named on purpose is the only one: finding another would hide the mistake.
        return firstHelpFolder({named});
    }
    const QString program = QCoreApplication::applicationDirPath();
    return firstHelpFolder({program + "/help", program + "/../share/zentab/help"});
}

std::vector<HelpLink> markdownLinks(const QString& markdown) {
    // "[text](target)" or "[text](target "title")", but not an image "![alt](file)".
    static const QRegularExpression link(
        QStringLiteral("(?<!!)\\[([^\\]]+)\\]\\(\\s*<?([^)\\s>]+)>?(?:\\s+\"[^\"]*\")?\\s*\\)"));
    std::vector<HelpLink> links;
    for (const QRegularExpressionMatch& match : link.globalMatch(markdown)) {
        links.push_back({match.captured(1).trimmed(), match.captured(2)});
    }
    return links;
}

std::vector<HelpHit> searchHelp(const QString& folder, const QString& words) {
    const QStringList wanted =
        words.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    std::vector<HelpHit> hits;
    if (wanted.isEmpty()) {
        return hits;
    }
    const QDir dir(folder);
    for (const QString& page : dir.entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name)) {
        const QString text = readPage(dir.filePath(page));
        const bool all = std::all_of(wanted.begin(), wanted.end(), [&](const QString& word) {
            return text.contains(word, Qt::CaseInsensitive);
        });
        if (all) {
            hits.push_back({page, titleOf(text, page)});
        }
    }
    return hits;
}

} // namespace zentab
