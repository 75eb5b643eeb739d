#include "structure/column_fixture.h"

#include <algorithm>

#include "support/odbc_fixture.h"

namespace zentab::test {

namespace {

ObjectList& listOf(DatabaseSource& side, ObjectKind kind) {
    return kind == ObjectKind::Views        ? side.views
           : kind == ObjectKind::Procedures ? side.procedures
                                            : side.tables;
}

// How the control panel lists an object of `kind`.
std::string panelText(ObjectKind kind, const std::string& name) {
    return (kind == ObjectKind::Views        ? "VIEW."
            : kind == ObjectKind::Procedures ? "PROC."
                                             : "") +
           name;
}

} // namespace

std::string cell(const std::string& text, std::size_t width) {
    std::string padded = text;
    padded.resize(width, ' ');
    return padded;
}

std::string objectLines(const std::string& object, std::size_t width,
                        const std::vector<Line>& lines) {
    std::string text;
    bool first = true;
    for (const Line& line : lines) {
        text += "\r\n" + cell(first ? object : "", width) + cell(line.column, 30) +
                cell(line.description1, 32) + line.description2;
        first = false;
    }
    return text + "\r\n";
}

std::string columnHeader(const std::string& kind, std::size_t width, const std::string& name1,
                         const std::string& name2, std::size_t rule) {
    const bool procedures = kind == "procedures";
    return "\r\n\r\n\r\nThe following are the " +
           std::string(procedures ? "parameter" : "structural") + " differences between COMMON " +
           kind + "\r\n\r\n" + std::string(width + 30, ' ') + cell(name1, 32) + cell(name2, 32) +
           "\r\n" +
           cell(procedures        ? "PROCEDURE"
                : kind == "views" ? "VIEW"
                                  : "TABLE",
                width) +
           "COLUMN                        TYPE                            TYPE                     "
           "  \r\n" +
           std::string(rule, '-');
}

ColumnTools::ColumnTools() {
    session.control.running = true;
}

std::unique_ptr<DatabaseSource> ColumnTools::online(const std::string& connectString,
                                                    const std::string& owner,
                                                    const std::string& shownAs) {
    auto side = DatabaseSource::ConnectStored(host, connectString, owner, owner.empty() ? "" : "0",
                                              session.preferences.specialCharacters);
    EXPECT_FALSE(side->notUsable) << testing::PrintToString(host.messages());
    side->displayName = shownAs;
    return side;
}

std::unique_ptr<DatabaseSource> ColumnTools::sqlite(const std::string& file,
                                                    const std::vector<std::string>& statements,
                                                    const std::string& shownAs) {
    const std::string connectString = sqliteConnectString(dir.file(file));
    executeSql(connectString, statements);
    return online(connectString, "", shownAs);
}

std::unique_ptr<DatabaseSource> ColumnTools::snapshotSide(const std::string& path,
                                                          const std::string& shownAs) {
    auto side = DatabaseSource::ConnectInteractive(host, true, path, nullptr,
                                                   session.preferences.specialCharacters);
    side->OpenSnapshotForReading();
    EXPECT_FALSE(side->notUsable) << testing::PrintToString(host.messages());
    side->displayName = shownAs;
    return side;
}

void ColumnTools::pair(ObjectKind kind, const NamePairs& names) {
    ObjectList& list1 = listOf(*session.side1, kind);
    ObjectList& list2 = listOf(*session.side2, kind);
    std::size_t& longest = session.longestName[static_cast<int>(kind)];
    for (const auto& [name1, name2] : names) {
        ObjectEntry entry1;
        entry1.nameInDb1 = name1;
        entry1.matched = true;
        list1.push_back(entry1);
        ObjectEntry entry2;
        entry2.nameInDb1 = name1;
        entry2.nameInDb2 = name2;
        entry2.matched = entry2.compareData = true;
        list2.push_back(entry2);
        longest = std::max({longest, name1.size(), name2.size()});
        host.panelAddObject(panelText(kind, name2));
    }
    // Only now: the lists no longer move.
    for (ObjectEntry& entry : list2) {
        common(kind).push_back(&entry);
    }
}

void ColumnTools::listForSnapshot(ObjectKind kind, const std::vector<std::string>& names) {
    ObjectList& list1 = listOf(*session.side1, kind);
    std::size_t& longest = session.longestName[static_cast<int>(kind)];
    for (const std::string& name : names) {
        ObjectEntry entry;
        entry.nameInDb1 = name;
        entry.matched = entry.compareData = true;
        list1.push_back(entry);
        longest = std::max(longest, name.size());
        host.panelAddObject(panelText(kind, name));
    }
    for (ObjectEntry& entry : list1) {
        common(kind).push_back(&entry);
    }
}

} // namespace zentab::test
