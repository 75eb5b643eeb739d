#include "batch/run_advice.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

#include "base/text.h"
#include "settings/name_patterns.h"

namespace zentab {

namespace {

constexpr const char* kPrefix = "zentab-batch: ";

bool holds(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

const char* kindName(ObjectKind kind) {
    switch (kind) {
    case ObjectKind::Views:
        return "views";
    case ObjectKind::Procedures:
        return "procedures";
    case ObjectKind::Tables:
        break;
    }
    return "tables";
}

// The owners the list spans, each once, in the order the driver listed them.
std::vector<std::string> ownersOf(const ObjectList& list, std::string ObjectEntry::*owner) {
    std::vector<std::string> owners;
    for (const ObjectEntry& entry : list) {
        const std::string& name = entry.*owner;
        if (!name.empty() && !holds(owners, name)) {
            owners.push_back(name);
        }
    }
    return owners;
}

} // namespace

std::vector<std::string> ignoreColumnsWarnings(const CompareSettings& settings) {
    std::vector<std::string> lines;
    for (const std::string& entry : settings.ignoreColumns) {
        if (ignoreNameEntryMatchesNothing(entry)) {
            lines.push_back(std::string(kPrefix) + "warning: the Ignore Columns entry \"" + entry +
                            "\" holds lower-case letters and matches no column, since column "
                            "names are matched in upper case; write it as \"" +
                            upperCase(entry) + "\".");
        }
    }
    return lines;
}

std::vector<std::string> unmatchedWhereWarnings(const std::vector<std::string>& names,
                                                const DatabaseSource& side1, bool tablesRead,
                                                bool viewsRead) {
    std::vector<std::string> lines;
    if (!tablesRead && !viewsRead) {
        return lines;
    }
    std::vector<const ObjectList*> lists;
    if (tablesRead) {
        lists.push_back(&side1.tables);
    }
    if (viewsRead) {
        lists.push_back(&side1.views);
    }
    const char* what = tablesRead && viewsRead ? "table or view" : tablesRead ? "table" : "view";
    std::vector<std::string> warned;
    for (const std::string& name : names) {
        if (holds(warned, name)) {
            continue;
        }
        // The condition is looked up by Database 1's spelling, exactly; a spelling that differs
        // in letter case only is what the user most likely meant.
        bool found = false;
        std::string nearly;
        const std::string upperName = upperCase(name);
        for (const ObjectList* list : lists) {
            for (const ObjectEntry& entry : *list) {
                if (entry.nameInDb1 == name) {
                    found = true;
                } else if (nearly.empty() && upperCase(entry.nameInDb1) == upperName) {
                    nearly = entry.nameInDb1;
                }
            }
        }
        if (found) {
            continue;
        }
        warned.push_back(name);
        std::string line = std::string(kPrefix) + "warning: --where names \"" + name +
                           "\", but Database 1 has no " + what + " of that name";
        if (!nearly.empty()) {
            line += " (names are matched exactly: it has \"" + nearly + "\")";
        }
        lines.push_back(line + "; the condition is not used.");
    }
    return lines;
}

std::string ownerHint(const ObjectList& list, ObjectKind kind, int number) {
    const char* plural = "schemas";
    const char* placeholder = "SCHEMA";
    std::vector<std::string> owners = ownersOf(list, &ObjectEntry::schemaName);
    if (owners.size() < 2) {
        owners = ownersOf(list, &ObjectEntry::catalogName);
        plural = "catalogs";
        placeholder = "CATALOG";
    }
    if (owners.size() < 2) {
        return {};
    }
    constexpr std::size_t kNamesShown = 3;
    std::string shown;
    for (std::size_t i = 0; i < owners.size() && i < kNamesShown; ++i) {
        shown += (i == 0 ? "" : ", ") + owners[i];
    }
    if (owners.size() > kNamesShown) {
        shown += ", ...";
    }
    const std::string side = std::to_string(number);
    return std::string(kPrefix) + "hint: Database " + side + " lists " + kindName(kind) + " of " +
           std::to_string(owners.size()) + " " + plural + " (" + shown + "); give --owner" + side +
           " " + placeholder + " to compare one of them.";
}

namespace {

// The state of the advice over one run; the wrapped phases share it.
struct Adviser {
    ListAdvice advice;
    bool hinted[2] = {false, false};

    void hintOwners(Session& s, ObjectKind kind) {
        for (int number = 1; number <= 2; ++number) {
            const auto& side = number == 1 ? s.side1 : s.side2;
            bool& done = hinted[number - 1];
            if (done || !side || advice.ownerGiven[number - 1]) {
                continue;
            }
            const ObjectList& list = kind == ObjectKind::Tables  ? side->tables
                                     : kind == ObjectKind::Views ? side->views
                                                                 : side->procedures;
            if (const std::string hint = ownerHint(list, kind, number); !hint.empty()) {
                done = true;
                s.host().showMessage(hint);
            }
        }
    }

    void warnWheres(Session& s) {
        if (!s.side1 || advice.whereNames.empty()) {
            return;
        }
        const CompareSettings& settings = s.settings;
        const bool tables = settings.b_DoTabStruct || settings.b_DoTabData || settings.b_DoIndex;
        const bool views = settings.b_DoViewStruct || settings.b_DoViewData;
        for (const std::string& line :
             unmatchedWhereWarnings(advice.whereNames, *s.side1, tables, views)) {
            s.host().showMessage(line);
        }
    }
};

Phase after(Phase inner, std::function<void(Session&)> then) {
    if (!inner) {
        return inner;
    }
    return [inner = std::move(inner), then = std::move(then)](Session& s) {
        inner(s);
        then(s);
    };
}

} // namespace

void adviseAfterLists(PhaseTable& phases, ListAdvice advice) {
    auto adviser = std::make_shared<Adviser>();
    adviser->advice = std::move(advice);
    // The view list comes last of the lists a condition can name; without it the table list is.
    phases.tableList = after(std::move(phases.tableList), [adviser](Session& s) {
        adviser->hintOwners(s, ObjectKind::Tables);
        if (!s.settings.b_DoViewStruct && !s.settings.b_DoViewData) {
            adviser->warnWheres(s);
        }
    });
    phases.viewList = after(std::move(phases.viewList), [adviser](Session& s) {
        adviser->hintOwners(s, ObjectKind::Views);
        adviser->warnWheres(s);
    });
    phases.procList = after(std::move(phases.procList), [adviser](Session& s) {
        adviser->hintOwners(s, ObjectKind::Procedures);
    });
    // A snapshot run reads its lists inside its own body.
    phases.snapshotRun = after(std::move(phases.snapshotRun), [adviser](Session& s) {
        if (s.lastOutcome == RunOutcome::Finished) {
            for (ObjectKind kind :
                 {ObjectKind::Tables, ObjectKind::Views, ObjectKind::Procedures}) {
                adviser->hintOwners(s, kind);
            }
            adviser->warnWheres(s);
        }
    });
}

} // namespace zentab
