// A differential check of the data comparison against an independent oracle: random tables
// (duplicate rows, NULLs and empty strings, mixed-case text with digits and blanks at either
// end, decimals, timestamps) are loaded into SQLite, PostgreSQL with the C collation,
// PostgreSQL with a linguistic collation and MariaDB, each system holding its own variation of
// every table. Each pair is compared by zentab-batch with the rows sorted by the program, and
// the rows it reports for every table must be exactly the multiset difference computed here
// from the generated rows, which never passed through a database.
//
// ZENTAB_ORACLE_TABLES (default 200) and ZENTAB_ORACLE_SEED (default fixed) set the size and the
// data; bench/oracle.sh runs thousands of tables with fresh seeds.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "support/batch_run.h"
#include "support/odbc_fixture.h"
#include "support/temp_dir.h"

namespace zentab::test {
namespace {

// One generated value: absent for NULL.
using Value = std::optional<std::string>;
using Row = std::vector<Value>; // id, amount, label, stamp
// A row as the comparison defines equality: NULL reads as empty text, numbers by value.
using Key = std::vector<std::string>;

constexpr std::size_t kNumericColumns = 2; // id and amount come first

// The decimal number in one canonical spelling: no sign on zero, no leading zeros, no trailing
// zeros after the point, no point without a fraction.
std::string canonicalNumber(const std::string& text) {
    std::string digits = text;
    bool negative = false;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        negative = digits[0] == '-';
        digits.erase(0, 1);
    }
    std::string integer = digits.substr(0, digits.find('.'));
    std::string fraction =
        digits.find('.') == std::string::npos ? std::string() : digits.substr(digits.find('.') + 1);
    while (!integer.empty() && integer[0] == '0') {
        integer.erase(0, 1);
    }
    while (!fraction.empty() && fraction.back() == '0') {
        fraction.pop_back();
    }
    if (integer.empty()) {
        integer = "0";
    }
    if (integer == "0" && fraction.empty()) {
        negative = false;
    }
    return (negative ? "-" : "") + integer + (fraction.empty() ? "" : "." + fraction);
}

Key keyOf(const std::vector<std::string>& fields) {
    Key key = fields;
    for (std::size_t i = 0; i < kNumericColumns && i < key.size(); ++i) {
        if (!key[i].empty()) {
            key[i] = canonicalNumber(key[i]);
        }
    }
    return key;
}

Key keyOf(const Row& row) {
    std::vector<std::string> fields;
    for (const Value& value : row) {
        fields.push_back(value.value_or(""));
    }
    return keyOf(fields);
}

// Rows of `a` that have no equal in `b`, counting each copy.
std::vector<Key> multisetDifference(std::vector<Key> a, std::vector<Key> b) {
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    std::vector<Key> out;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
}

class Generator {
public:
    explicit Generator(unsigned long long seed) : random_(seed) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    bool chance(int percent) { return below(100) < percent; }

    Row row() {
        Row row(4);
        if (!chance(10)) {
            row[0] = std::to_string(below(25) - 5);
        }
        if (!chance(15)) {
            const int cents = below(200000) - 100000;
            const int whole = std::abs(cents) / 100;
            const int part = std::abs(cents) % 100;
            row[1] = std::string(cents < 0 ? "-" : "") + std::to_string(whole) + "." +
                     (part < 10 ? "0" : "") + std::to_string(part);
        }
        if (!chance(10)) {
            row[2] = label();
        }
        if (!chance(15)) {
            row[3] = "2020-" + twoDigits(1 + below(12)) + "-" + twoDigits(1 + below(28)) + " " +
                     twoDigits(below(24)) + ":" + twoDigits(below(60)) + ":" + twoDigits(below(60));
        }
        return row;
    }

    // Text that collations order differently: both cases, digits that order unlike numbers,
    // blanks at either end, the empty string.
    std::string label() {
        static const std::string letters = "aAbBzZ019 _-";
        if (chance(8)) {
            return "";
        }
        std::string text;
        const int length = 1 + below(8);
        for (int i = 0; i < length; ++i) {
            text += letters[static_cast<std::size_t>(below(static_cast<int>(letters.size())))];
        }
        if (chance(10)) {
            text += "  ";
        }
        return text;
    }

    // The base rows of a table varied for one system: rows dropped, duplicated and added.
    std::vector<Row> variation(const std::vector<Row>& base) {
        std::vector<Row> rows;
        for (const Row& row : base) {
            if (chance(12)) {
                continue;
            }
            rows.push_back(row);
            if (chance(8)) {
                rows.push_back(row);
            }
        }
        for (int added = below(3); added > 0; --added) {
            rows.push_back(row());
        }
        std::shuffle(rows.begin(), rows.end(), random_);
        return rows;
    }

private:
    static std::string twoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

    std::mt19937_64 random_;
};

std::string sqlLiteral(const Value& value) {
    if (!value) {
        return "NULL";
    }
    std::string text = "'";
    for (char c : *value) {
        text += c == '\'' ? std::string("''") : std::string(1, c);
    }
    return text + "'";
}

struct System {
    std::string what;
    std::string connect;
    std::string owner;   // empty for none
    std::string label;   // the label column's type
    std::string stamp;   // the timestamp column's type
    std::string qualify; // put before a table name when creating it
    bool transaction;    // load in one transaction (SQLite: much faster)
    std::vector<std::vector<Row>> tables = {};
};

void load(System& system, std::size_t tableCount) {
    std::vector<std::string> sql;
    if (system.transaction) {
        sql.push_back("BEGIN");
    }
    for (std::size_t t = 0; t < tableCount; ++t) {
        const std::string name = system.qualify + "t" + std::to_string(t);
        sql.push_back("CREATE TABLE " + name + " (id integer, amount decimal(8,2), label " +
                      system.label + ", stamp " + system.stamp + ")");
        const std::vector<Row>& rows = system.tables[t];
        if (rows.empty()) {
            continue;
        }
        std::string insert = "INSERT INTO " + name + " VALUES ";
        for (std::size_t r = 0; r < rows.size(); ++r) {
            insert += r == 0 ? "(" : ", (";
            for (std::size_t c = 0; c < rows[r].size(); ++c) {
                insert += (c == 0 ? "" : ", ") + sqlLiteral(rows[r][c]);
            }
            insert += ")";
        }
        sql.push_back(insert);
    }
    if (system.transaction) {
        sql.push_back("COMMIT");
    }
    executeSql(system.connect, sql);
}

// The fields of a CSV row written after its direction marker: each value quoted, quotes
// doubled, values apart by commas; what follows the last value (padding) is passed over.
std::vector<std::string> csvFields(const std::string& line, std::size_t from) {
    std::vector<std::string> fields;
    std::size_t at = from;
    while (at < line.size() && line[at] == '"') {
        std::string field;
        ++at;
        while (at < line.size()) {
            if (line[at] == '"') {
                if (at + 1 < line.size() && line[at + 1] == '"') {
                    field += '"';
                    at += 2;
                    continue;
                }
                ++at;
                break;
            }
            field += line[at++];
        }
        fields.push_back(field);
        if (at < line.size() && line[at] == ',') {
            ++at;
        } else {
            break;
        }
    }
    return fields;
}

struct Reported {
    std::vector<Key> only1;
    std::vector<Key> only2;
    bool seen = false;
};

// What the report says of each table: the rows marked for each side, and whether the table
// was reported at all (with differences or with none).
std::map<std::string, Reported> readReport(const std::string& report, std::string& trouble) {
    std::map<std::string, Reported> tables;
    Reported* current = nullptr;
    std::size_t start = 0;
    while (start < report.size()) {
        std::size_t end = report.find('\n', start);
        if (end == std::string::npos) {
            end = report.size();
        }
        std::string line = report.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::string differences = "Differences found in table ";
        const std::string none = "No data differences were found in table ";
        if (line.rfind(differences, 0) == 0) {
            current = &tables[line.substr(differences.size())];
            current->seen = true;
        } else if (line.rfind(none, 0) == 0) {
            tables[line.substr(none.size())].seen = true;
            current = nullptr;
        } else if (current != nullptr && line.rfind("\"<\",", 0) == 0) {
            current->only1.push_back(keyOf(csvFields(line, 4)));
        } else if (current != nullptr && line.rfind("\">\",", 0) == 0) {
            current->only2.push_back(keyOf(csvFields(line, 4)));
        } else if (line.find("WARNING") != std::string::npos ||
                   line.find("error") != std::string::npos) {
            // The first few say enough.
            if (std::count(trouble.begin(), trouble.end(), '\n') < 3) {
                trouble += line + "\n";
            }
        }
    }
    return tables;
}

std::string shown(const std::vector<Key>& rows) {
    std::string text;
    for (const Key& key : rows) {
        text += "  (";
        for (std::size_t i = 0; i < key.size(); ++i) {
            text += (i == 0 ? "'" : ", '") + key[i] + "'";
        }
        text += ")\n";
    }
    return text;
}

std::size_t environmentNumber(const char* name, std::size_t fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 10) : fallback;
}

class OracleTest : public MariaDbDatabaseTest {
protected:
    void TearDown() override {
        if (postgres_) {
            for (const std::string& schema : schemas_) {
                executeSql(*postgres_, {"DROP SCHEMA IF EXISTS " + schema + " CASCADE"});
            }
        }
        MariaDbDatabaseTest::TearDown();
    }

    std::optional<std::string> postgres_;
    std::vector<std::string> schemas_;
    TempDir dir_;
};

TEST_F(OracleTest, SortedComparisonReportsExactlyTheMultisetDifference) {
    ZENTAB_REQUIRE_POSTGRES(postgres);
    postgres_ = postgres;
    const std::size_t tableCount = environmentNumber("ZENTAB_ORACLE_TABLES", 200);
    const unsigned long long seed = environmentNumber("ZENTAB_ORACLE_SEED", 20261211);
    SCOPED_TRACE("ZENTAB_ORACLE_SEED=" + std::to_string(seed) +
                 " ZENTAB_ORACLE_TABLES=" + std::to_string(tableCount));

    const std::string base = testObjectName(56);
    schemas_ = {base + "_c", base + "_icu"};
    for (const std::string& schema : schemas_) {
        executeSql(postgres,
                   {"DROP SCHEMA IF EXISTS " + schema + " CASCADE", "CREATE SCHEMA " + schema});
    }
    std::vector<System> systems = {
        {"SQLite", sqliteConnectString(dir_.file("oracle.db")), "", "varchar(12)", "timestamp", "",
         true},
        {"PostgreSQL (C)", postgres, schemas_[0], "varchar(12) COLLATE \"C\"", "timestamp",
         schemas_[0] + ".", true},
        {"PostgreSQL (ICU)", postgres, schemas_[1], "varchar(12) COLLATE \"und-x-icu\"",
         "timestamp", schemas_[1] + ".", true},
        {"MariaDB", connectString(), database(), "varchar(12)", "datetime", "", false},
    };

    Generator generate(seed);
    for (std::size_t t = 0; t < tableCount; ++t) {
        std::vector<Row> rows;
        for (int n = generate.below(30); n > 0; --n) {
            rows.push_back(generate.row());
        }
        for (System& system : systems) {
            system.tables.push_back(generate.variation(rows));
        }
    }
    for (System& system : systems) {
        load(system, tableCount);
    }

    std::size_t mismatches = 0;
    for (std::size_t a = 0; a < systems.size(); ++a) {
        for (std::size_t b = a + 1; b < systems.size(); ++b) {
            const System& one = systems[a];
            const System& two = systems[b];
            SCOPED_TRACE(one.what + " against " + two.what);
            std::string arguments = "--db1 " + shellQuoted(one.connect) + " --db2 " +
                                    shellQuoted(two.connect) + " --report " +
                                    dir_.file("report.txt");
            if (!one.owner.empty()) {
                arguments += " --owner1 " + one.owner;
            }
            if (!two.owner.empty()) {
                arguments += " --owner2 " + two.owner;
            }
            for (const char* setting :
                 {"b_SortRows=1", "b_DataAsCSV=1", "b_DoTabStruct=0", "b_DoIndex=0",
                  "b_DoViewStruct=0", "b_DoViewData=0", "b_DoProcStruct=0"}) {
                arguments += std::string(" --set ") + setting;
            }
            const BatchResult r = runZentabBatch(dir_, arguments);
            ASSERT_TRUE(r.status == 0 || r.status == 1) << r.status << r.err;
            std::string trouble;
            const std::map<std::string, Reported> reported =
                readReport(readFile(dir_.file("report.txt")), trouble);
            EXPECT_EQ(trouble, "");
            for (std::size_t t = 0; t < tableCount; ++t) {
                const std::string name = "t" + std::to_string(t);
                std::vector<Key> keys1;
                std::vector<Key> keys2;
                for (const Row& row : one.tables[t]) {
                    keys1.push_back(keyOf(row));
                }
                for (const Row& row : two.tables[t]) {
                    keys2.push_back(keyOf(row));
                }
                std::vector<Key> expected1 = multisetDifference(keys1, keys2);
                std::vector<Key> expected2 = multisetDifference(keys2, keys1);
                const auto found = reported.find(name);
                if (found == reported.end() || !found->second.seen) {
                    ++mismatches;
                    ADD_FAILURE() << "table " << name << " is not in the report";
                    continue;
                }
                std::vector<Key> got1 = found->second.only1;
                std::vector<Key> got2 = found->second.only2;
                std::sort(got1.begin(), got1.end());
                std::sort(got2.begin(), got2.end());
                if (got1 != expected1 || got2 != expected2) {
                    ++mismatches;
                    ADD_FAILURE() << "table " << name << "\nexpected only in Database 1:\n"
                                  << shown(expected1) << "reported:\n"
                                  << shown(got1) << "expected only in Database 2:\n"
                                  << shown(expected2) << "reported:\n"
                                  << shown(got2);
                }
            }
        }
    }
    // bench/oracle.sh reads this line.
    std::cout << "oracle: " << tableCount << " tables, seed " << seed << ", " << mismatches
              << " mismatches\n";
}

} // namespace
} // namespace zentab::test
