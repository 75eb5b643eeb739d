#pragma once
// The tables, views or procedures of one side, in retrieval order, and the records the phases
// hang on each object. Plain data: built and read by whichever thread owns the run.

#include <string>
#include <vector>

namespace zentab {

// The widest column the report lays out, in characters. Values read on-line are cut at 9999
// characters and names fit driver buffers far narrower, so only a damaged or hand-made snapshot
// asks for more; honouring it would pad every line with blanks by the gigabyte.
inline constexpr int kMaxDisplayWidth = 10000;

// How the values of a column are ordered, as far as the data comparison must know: a database
// orders numbers by value and everything else as text. Unknown when nothing says which.
enum class ValueKind : unsigned char { Unknown, Numeric, Text };

// One column of a common table or view (or one parameter of a common procedure).
struct ColumnEntry {
    std::string name;
    std::string description1;
    std::string description2;
    int displayWidth = 0;
    bool matched = false;
    bool orderable = false;
    // Database 2's spelling (`name` is Database 1's, and the two may differ in letter case);
    // empty until the column is found on Database 2.
    std::string nameInDb2 = {};
    // What each side's type makes of its values; Unknown until the side reports the column.
    ValueKind values1 = ValueKind::Unknown;
    ValueKind values2 = ValueKind::Unknown;

    // Found on both sides (a column of Database 2 alone is `matched` but has no nameInDb2).
    bool onBothSides() const { return matched && !nameInDb2.empty(); }
};

// One index of a common table.
struct IndexEntry {
    std::string name;
    std::string uniqueness1;
    std::string uniqueness2;
    std::vector<std::string> columns1;
    std::vector<std::string> columns2;
};

struct ObjectEntry {
    std::string nameInDb1;
    std::string nameInDb2;
    bool matched = false;
    bool dataDiffers = false;
    bool structureDiffers = false;
    bool indexDiffers = false;
    bool compareData = false;
    // Some columns are on one side only and the data is compared on the others.
    bool partialColumns = false;
    // The catalog and schema the driver listed the object under: empty when it gave none, and
    // for a snapshot side, which keeps names only.
    std::string catalogName = {};
    std::string schemaName = {};
    std::vector<ColumnEntry> columns;
    std::vector<IndexEntry> indexes;

    // The name the control panel lists the object under: Database 2's spelling, which the list
    // phase adds; a snapshot run lists Database 1's alone.
    const std::string& panelName() const { return nameInDb2.empty() ? nameInDb1 : nameInDb2; }
};

enum class ObjectKind { Tables = 0, Views = 1, Procedures = 2 };

// Entries are held by value in a vector that is only rebuilt whole, so references to entries
// stay valid between retrievals (the common lists of a run refer to them).
using ObjectList = std::vector<ObjectEntry>;

} // namespace zentab
