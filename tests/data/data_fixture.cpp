#include "data/data_fixture.h"

#include <algorithm>

namespace zentab::test {

DataRun::DataRun() {
    allPhasesOff();
    session.settings.b_DoTabData = true;
}

void DataRun::sqliteSides(const std::vector<std::string>& sql1,
                          const std::vector<std::string>& sql2, bool streaming) {
    executeSql(sqlite1(), sql1);
    executeSql(sqlite2(), sql2);
    auto connect = [&](const std::string& file) {
        return connectSide(streaming ? sqliteStreamingConnectString(dir.file(file))
                                     : sqliteConnectString(dir.file(file)));
    };
    useSide(1, connect("one.db"));
    useSide(2, connect("two.db"));
}

void DataRun::run() {
    ASSERT_TRUE(driver->startRun());
    waitForEnd();
}

std::string DataRun::countLines(const char* one, const char* many, int count1,
                                const std::string& name1, int count2, const std::string& name2) {
    return "\r\n\r\n\r\n" + std::to_string(count1) + (count1 == 1 ? one : many) + name1 + "\r\n" +
           std::to_string(count2) + (count2 == 1 ? one : many) + name2;
}

std::string DataRun::dataText(int count1, int count2, bool views) const {
    const std::string& name1 = session.side1->displayName;
    const std::string& name2 = session.side2->displayName;
    const std::string head = "< DATABASE 1:  " + name1 + "\r\n> DATABASE 2:  " + name2 +
                             (views ? countLines(" view was found in ", " views were found in ",
                                                 count1, name1, count2, name2)
                                    : countLines(" table was found in ", " tables were found in ",
                                                 count1, name1, count2, name2));
    const std::string report = session.report.text();
    const std::string end = kEndLine;
    if (report.size() < head.size() + end.size() || report.compare(0, head.size(), head) != 0 ||
        report.compare(report.size() - end.size(), end.size(), end) != 0) {
        ADD_FAILURE() << "unexpected report around the data phase:\n" << report;
        return report;
    }
    return report.substr(head.size(), report.size() - head.size() - end.size());
}

Rgb DataRun::colourAt(std::size_t offset) const {
    for (const ReportRun& run : session.report.runs()) {
        if (offset >= run.start && offset < run.start + run.length) {
            return run.colour;
        }
    }
    ADD_FAILURE() << "no report text at " << offset;
    return 0;
}

bool DataRun::hostCalled(const std::string& line) const {
    const std::vector<std::string> calls = host.calls();
    return std::find(calls.begin(), calls.end(), line) != calls.end();
}

const ObjectEntry* DataRun::common(const std::string& name, bool view) const {
    for (const ObjectEntry* entry : view ? session.commonViews : session.commonTables) {
        if (entry->nameInDb2 == name) {
            return entry;
        }
    }
    ADD_FAILURE() << "no common object " << name;
    return nullptr;
}

} // namespace zentab::test
