// Seeds for the fuzz targets, written by the program's own writers: snapshot files through
// SnapshotFile, configuration and preference files through ProfileFile and PreferenceStore.
// They hold what the program itself writes, so that the fuzzer starts from files that reach
// every phase rather than from noise.

#include <array>
#include <string>
#include <vector>

#include "db/snapshot_file.h"
#include "fuzz_entries.h"
#include "scratch_folder.h"
#include "settings/preferences.h"
#include "settings/profile_file.h"
#include "settings/settings_keys.h"

namespace zentab::fuzz {

namespace {

// Snapshots

struct Column {
    std::string name;
    std::string description;
    std::string typeName;
    bool orderable = true;
    int width = 0;
};

struct Index {
    std::string name;
    std::string uniqueness;
    std::vector<std::string> columns;
};

struct Object {
    std::string name;
    std::vector<Column> columns; // parameters of a procedure
    std::vector<Index> indexes;
    std::vector<std::string> rows;
};

struct Snapshot {
    std::vector<Object> tables;
    std::vector<Object> views;
    std::vector<Object> procedures;
    bool phasesOff = false; // every section holds its end marker alone
};

class RecordList {
public:
    void put(std::string_view text) { records_.emplace_back(text); }
    void end() { put(snapshot::kEndMarker); }
    const std::vector<std::string>& records() const { return records_; }

private:
    std::vector<std::string> records_;
};

void putList(RecordList& out, std::string_view section, const std::vector<Object>& objects) {
    out.put(section);
    for (const Object& object : objects) {
        out.put(object.name);
    }
    out.end();
}

void putColumns(RecordList& out, std::string_view section, const std::vector<Object>& objects,
                bool parameters) {
    out.put(section);
    for (const Object& object : objects) {
        out.put(object.name);
        for (const Column& column : object.columns) {
            out.put(column.name);
            out.put(column.description);
            if (!parameters) {
                out.put(column.typeName);
            }
            out.put(column.orderable ? "Y" : "N");
            out.put(std::to_string(column.width));
        }
        out.end();
    }
}

void putIndexes(RecordList& out, const std::vector<Object>& tables) {
    out.put(snapshot::kIndex);
    for (const Object& table : tables) {
        out.put(table.name);
        for (const Index& index : table.indexes) {
            out.put(index.name);
            out.put(index.uniqueness);
            for (const std::string& column : index.columns) {
                out.put(column);
            }
            out.end();
        }
        out.end();
    }
}

void putRows(RecordList& out, std::string_view section, const std::vector<Object>& objects) {
    out.put(section);
    for (const Object& object : objects) {
        out.put(object.name);
        for (const std::string& row : object.rows) {
            out.put(row);
        }
        out.end();
    }
}

std::vector<std::string> records(const Snapshot& s) {
    RecordList out;
    out.put(snapshot::kVersion);
    if (s.phasesOff) {
        for (std::string_view section :
             {snapshot::kTables, snapshot::kColumns, snapshot::kIndex, snapshot::kData,
              snapshot::kViews, snapshot::kViewColumns, snapshot::kViewData, snapshot::kProcs,
              snapshot::kProcColumns}) {
            out.put(section);
            out.end();
        }
        return out.records();
    }
    putList(out, snapshot::kTables, s.tables);
    putColumns(out, snapshot::kColumns, s.tables, false);
    putIndexes(out, s.tables);
    putRows(out, snapshot::kData, s.tables);
    putList(out, snapshot::kViews, s.views);
    putColumns(out, snapshot::kViewColumns, s.views, false);
    putRows(out, snapshot::kViewData, s.views);
    putList(out, snapshot::kProcs, s.procedures);
    putColumns(out, snapshot::kProcColumns, s.procedures, true);
    return out.records();
}

// The bytes SnapshotFile writes for these records.
std::string snapshotBytes(const ScratchFolder& folder, const std::vector<std::string>& records) {
    const std::string path = folder.file("seed.zsn");
    std::string error;
    auto file = SnapshotFile::createForWriting(path, error);
    if (!file) {
        return {};
    }
    for (const std::string& record : records) {
        file->PutRecord(record);
    }
    file->close();
    return readWholeFile(path);
}

Snapshot shop(bool database2) {
    const Column id{"id", "NOT NULL INTEGER(10)", "INTEGER", true, 11};
    const Column name{"name", "    NULL VARCHAR(40)", "varchar", true, database2 ? 60 : 40};
    const Column price{"price", database2 ? "    NULL DECIMAL(12)" : "    NULL DECIMAL(10)",
                       "numeric", true, 12};
    const Column when{"created", "    NULL TIMESTAMP", "timestamp", true, 22};
    const Column picture{"picture", "    NULL LONG VARBINARY", "bytea", false, 510};
    Snapshot s;
    Object products{"products", {id, name, price, when}, {}, {}};
    if (!database2) {
        products.columns.push_back(picture);
    }
    products.indexes = {{"products_pkey", "    UNIQUE ", {"id"}},
                        {"products_name", database2 ? "    UNIQUE " : "NOT UNIQUE ", {"name"}}};
    if (database2) {
        products.indexes.push_back({"products_when", "NOT UNIQUE ", {"created", "id"}});
    }
    products.rows = {"1 \t apple \t 1.50 \t 2024-01-02 10:11:12.500",
                     database2 ? "2 \t Pear \t 2.0 \t 2024-01-02 10:11:13"
                               : "2 \t pear \t 2.00 \t 2024-01-02 10:11:12",
                     "3 \t  \t  \t ",
                     database2 ? "5 \t quince \t -0.00 \t " : "4 \t plum \t 7 \t "};
    Object orders{"orders", {id, {"product", "    NULL INTEGER(10)", "int4", true, 11}}, {}, {}};
    orders.indexes = {{"orders_pkey", "    UNIQUE ", {"id"}}};
    orders.rows = {"10 \t 1", "11 \t 2", database2 ? "12 \t 3" : "12 \t 2"};
    Object onlyHere{database2 ? "archive" : "staging", {id}, {}, {"1"}};
    s.tables = {products, orders, onlyHere};

    Object cheap{
        "cheap_products", {id, name}, {}, {"1 \t apple", database2 ? "3 \t " : "2 \t pear"}};
    s.views = {cheap};

    const Column amount{"@amount", "    NULL DECIMAL(10)", "", true, 12};
    const Column result{"@result", database2 ? "OUT INTEGER(10)" : "OUT VARCHAR(10)", "", true, 11};
    s.procedures = {{"price_of", {amount, result}, {}, {}}};
    return s;
}

std::string snapshotSeed(const ScratchFolder& folder, unsigned char options, const Snapshot& one,
                         const Snapshot& two) {
    std::string bytes(1, static_cast<char>(options));
    bytes += snapshotBytes(folder, records(one));
    bytes += kSideSeparator;
    bytes += snapshotBytes(folder, records(two));
    return bytes;
}

// Configuration and preference files

// The keys and sections of a configuration file, in the order a save writes them.
ProfileFile configurationFile(const CompareSettings& settings) {
    ProfileFile file;
    file.write("Zentab", "Version", "5.0");
    for (const SettingField& field : settingFields()) {
        if (!field.fileKey.empty()) {
            file.write("Zentab", field.fileKey, fileValueText(settings, field));
        }
    }
    for (const char* side : {"Database 1", "Database 2"}) {
        file.write(side, "s_ConnectString", "Driver=SQLite3;Database=/tmp/shop.db;StepAPI=1;");
        file.write(side, "b_IsCatalog", "0");
        file.write(side, "b_IsSnapshot", "0");
    }
    for (const ListSection& list : listSections()) {
        const auto& values = settings.*list.member;
        for (std::size_t i = 0; i < values.size(); ++i) {
            file.write(list.name, std::string(list.keyPrefix) + std::to_string(i), values[i]);
        }
    }
    int i = 0;
    for (const auto& [object, condition] : settings.whereStatements) {
        file.write("Where Statements", "obj" + std::to_string(i), object);
        file.write("Where Statements", "where" + std::to_string(i), condition);
        ++i;
    }
    return file;
}

CompareSettings unusualSettings() {
    CompareSettings s;
    applyBuiltInDefaults(s);
    for (const SettingField& field : settingFields()) {
        if (field.kind != SettingKind::String) {
            setIntValue(s, field, field.maxValue);
        }
    }
    s.i_AutoSaveLines = 999999;
    s.s_AutoSaveFile = "/tmp/report.rtf";
    s.s_GlobalPassSql1 = "select id, name from products where price > 1";
    s.s_GlobalPassSql2 = "select id, name from products";
    s.ignoreColumns = {"%_id", "picture"};
    s.ignoreDataTypes = {"bytea"};
    s.ignoreTables = {"staging", "archive"};
    s.ignoreViews = {"cheap%"};
    s.ignoreProcs = {"price_of"};
    s.whereStatements = {{"products", "price > 1"}, {"orders", "id < 100"}};
    return s;
}

std::string preferencesText(const ScratchFolder& folder, const CompareSettings& settings,
                            const Preferences& preferences) {
    const std::string path = folder.file("Zentab.conf");
    PreferenceStore(path).store(settings, preferences);
    return readWholeFile(path);
}

} // namespace

std::vector<Seed> snapshotSeeds() {
    const ScratchFolder folder;
    const Snapshot one = shop(false);
    const Snapshot two = shop(true);
    std::vector<Seed> seeds = {
        {"shop", snapshotSeed(folder, 0x00, one, two)},
        {"shop-exact-names", snapshotSeed(folder, 0x03, one, two)},
        {"shop-csv", snapshotSeed(folder, 0x04, one, two)},
        {"shop-summary", snapshotSeed(folder, 0x08, one, two)},
        {"shop-lenient-values", snapshotSeed(folder, 0x70, one, two)},
        {"shop-values-as-text", snapshotSeed(folder, 0x80, one, two)},
    };

    // One file for both sides: everything common, nothing different.
    seeds.push_back({"one-file", std::string(1, '\0') + snapshotBytes(folder, records(one))});

    Snapshot off;
    off.phasesOff = true;
    seeds.push_back({"phases-off", snapshotSeed(folder, 0x00, off, off)});

    // Database 2 ends inside a record.
    std::string cut = snapshotSeed(folder, 0x00, one, two);
    cut.resize(cut.size() - 20);
    seeds.push_back({"cut-short", cut});

    // Names that differ in case, long texts (the three-byte length form) and rows of NULLs.
    Snapshot upper = shop(true);
    for (Object& table : upper.tables) {
        for (char& c : table.name) {
            c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        }
    }
    upper.tables[0].columns[1].description = "    NULL VARCHAR(" + std::string(300, '9') + ")";
    upper.tables[0].rows.insert(upper.tables[0].rows.begin(), " \t  \t  \t ");
    upper.tables[1].rows.push_back("");
    upper.tables[1].rows.push_back("13 \t " + std::string(400, 'x'));
    seeds.push_back({"case-and-long-texts", snapshotSeed(folder, 0x00, one, upper)});
    return seeds;
}

std::vector<Seed> profileSeeds() {
    const ScratchFolder folder;
    CompareSettings defaults;
    applyBuiltInDefaults(defaults);
    std::vector<Seed> seeds = {
        {"configuration-defaults", configurationFile(defaults).toText()},
        {"configuration-unusual", configurationFile(unusualSettings()).toText()},
        {"preferences", preferencesText(folder, defaults, Preferences())},
    };

    // What hand editing leaves: comments, blank lines, blanks around keys, a repeated section,
    // lines outside any section, a value holding '=' and plain line ends.
    ProfileFile edited = ProfileFile::parse("; written by hand\n\n[Zentab]\nVersion=5.0\n"
                                            "  i_AutoSaveLines = 250 \n[zentab]\nextra\n");
    edited.write("Zentab", "s_GlobalPassSql1", "select a = 1 from t");
    edited.write("Ignore Tables", "tab0", "orders");
    edited.setLineEnd("\n");
    seeds.push_back({"hand-edited", edited.toText()});
    return seeds;
}

std::vector<Seed> settingsSeeds() {
    const ScratchFolder folder;
    CompareSettings defaults;
    applyBuiltInDefaults(defaults);
    Preferences large;
    large.font.faceName = "DejaVu Sans Mono";
    large.font.height = 400;
    large.window.width = 1920;
    large.window.height = 1080;
    large.window.maximized = true;
    const std::string unusualPreferences = preferencesText(folder, unusualSettings(), large);
    return {
        {"configuration-defaults", configurationFile(defaults).toText()},
        {"configuration-unusual", configurationFile(unusualSettings()).toText()},
        {"preferences-defaults", preferencesText(folder, defaults, Preferences())},
        {"preferences-unusual", unusualPreferences},
        {"both", configurationFile(unusualSettings()).toText() + unusualPreferences},
    };
}

std::span<const Target> targets() {
    static const std::array<Target, 3> all{{
        {"snapshot", snapshotInput, snapshotSeeds},
        {"profile", profileInput, profileSeeds},
        {"settings", settingsInput, settingsSeeds},
    }};
    return all;
}

} // namespace zentab::fuzz
