#include "structure/index_fixture.h"

#include <unistd.h>

#include "compare/phases.h"
#include "support/odbc_fixture.h"

namespace zentab::test {

namespace {

std::string field(const std::string& text, std::size_t width) {
    std::string padded = text.substr(0, width);
    padded.resize(width, ' ');
    return padded;
}

const std::string kEndLine = "\r\n\r\n--- End of Zentab --- Elapsed Time:";

} // namespace

std::string indexHeader(std::size_t width) {
    return "\r\n\r\n\r\nThe following are the index differences between COMMON tables\r\n\r\n" +
           std::string(width + 25, ' ') + field("alpha", 16) + field("beta", 16) +
           field("alpha", 21) + field("beta", 27) + "\r\n" + field("TABLE", width) +
           "INDEX                    UNIQUENESS      UNIQUENESS      COLUMN               COLUMN  "
           "   \r\n" +
           std::string(114, '-');
}

std::string indexLines(std::size_t width, const std::vector<IndexLine>& lines) {
    std::string text;
    for (const IndexLine& line : lines) {
        text += line.table.empty() ? "\r\n\r\n" + std::string(width, ' ')
                                   : "\r\n" + field(line.table, width);
        text += field(line.index, 25) + field(line.uniqueness1, 16) + field(line.uniqueness2, 16);
        bool first = true;
        for (const auto& [column1, column2] : line.columns) {
            if (!first) {
                text += "\r\n" + std::string(width + 57, ' ');
            }
            first = false;
            text += field(column1, 21) + column2;
        }
    }
    return text + "\r\n";
}

IndexRun::IndexRun() {
    allPhasesOff();
    session.settings.b_DoIndex = true;
    session.phases.tableList = [this](Session& s) {
        compareTableList(s);
        listEnd_ = s.report.text().size();
    };
}

void IndexRun::TearDown() {
    for (const std::string& schema : schemas_) {
        executeSql(server_, {"DROP SCHEMA IF EXISTS " + schema + " CASCADE"});
    }
}

std::unique_ptr<DatabaseSource> IndexRun::sqlite(const std::string& file, const Sql& statements,
                                                 const std::string& shownAs) {
    const std::string connectString = sqliteConnectString(dir.file(file));
    executeSql(connectString, statements);
    auto side = connectSide(connectString);
    side->displayName = shownAs;
    return side;
}

std::string IndexRun::schemaName(const std::string& suffix) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = "zt_ix_";
    for (char c : std::string(info->name())) {
        name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    name = name.substr(0, 40) + "_" + suffix + "_" + std::to_string(getpid());
    schemas_.push_back(name);
    return name;
}

std::unique_ptr<DatabaseSource> IndexRun::postgres(const std::string& server,
                                                   const std::string& schema, const Sql& statements,
                                                   const std::string& shownAs) {
    server_ = server;
    Sql all{"DROP SCHEMA IF EXISTS " + schema + " CASCADE", "CREATE SCHEMA " + schema,
            "SET search_path TO " + schema};
    all.insert(all.end(), statements.begin(), statements.end());
    executeSql(server, all);
    auto side = connectSide(server, schema);
    side->displayName = shownAs;
    return side;
}

void IndexRun::run() {
    ASSERT_TRUE(driver->startRun());
    waitForEnd();
}

std::string IndexRun::section() const {
    const std::string text = session.report.text();
    const std::size_t end = text.rfind(kEndLine);
    if (end == std::string::npos || end < listEnd_) {
        ADD_FAILURE() << "the run has no end line:\n" << text;
        return text;
    }
    return text.substr(listEnd_, end - listEnd_);
}

std::string IndexRun::taggedSection() const {
    return colourTagged(session.report, listEnd_, session.report.text().rfind(kEndLine));
}

} // namespace zentab::test
