#pragma once
// Where the help pages are and what is in them: the folder the program finds them in, the page
// of each dialog, the contents links of the first page and the search over all pages. The pages
// are Markdown files, shown as they are stored. Any thread (no widgets).

#include <QString>
#include <QStringList>

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zentab {

// The first page: the contents, and the page of every topic without one of its own.
inline constexpr const char* kHelpContentsPage = "index.md";
// The help window's object name: F1 in it is left to it.
inline constexpr const char* kHelpWindowName = "HelpWindow";
inline constexpr const char* kHelpNotFound = "The help file could not be found.";
// Names the help folder to use instead of the one beside the program (tests, a help writer
// trying pages out).
inline constexpr const char* kHelpFolderVariable = "ZENTAB_HELP_DIR";

// A dialog's topic is its object name.
struct HelpTopic {
    const char* topic;
    const char* page;
};
std::span<const HelpTopic> helpTopics();

// The page of `topic`; the contents page for an empty or unknown topic.
QString helpPageFor(const std::string& topic);

// The help folder: the one ZENTAB_HELP_DIR names when it is set, else "help" beside the
// executable, else "../share/zentab/help" from it; a folder counts only when it holds the
// contents page. nullopt when none does.
std::optional<QString> helpFolder();
// The first of `candidates` that holds the contents page.
std::optional<QString> firstHelpFolder(const QStringList& candidates);

// One link of a page: its text and the page (or address) it points to.
struct HelpLink {
    QString text;
    QString target;
    bool operator==(const HelpLink&) const = default;
};
// The links of a Markdown text, in order ("[text](target)"; images are not links).
std::vector<HelpLink> markdownLinks(const QString& markdown);

// A page that a search found: its file name and its title (first heading, else the file name).
struct HelpHit {
    QString page;
    QString title;
    bool operator==(const HelpHit&) const = default;
};
// The pages of `folder` whose text holds every word of `words`, case-insensitive, in file-name
// order; none for no words.
std::vector<HelpHit> searchHelp(const QString& folder, const QString& words);

} // namespace zentab
