#pragma once
// What the driver manager knows without connecting anywhere: its data sources and installed
// drivers, and a trial connection for the data-source dialog's "Test". Any thread; each call
// uses handles of its own.

#include <optional>
#include <string>
#include <vector>

namespace zentab {

struct DataSourceEntry {
    std::string name;
    // What the driver manager describes the source by (as a rule its driver's name).
    std::string description;
    bool system = false; // a system data source, else the user's own
    bool operator==(const DataSourceEntry&) const = default;
};

// The user's data sources, then the system's, each in the driver manager's order.
std::vector<DataSourceEntry> listDataSources();

// The names of the installed drivers, as a DRIVER={...} keyword names them.
std::vector<std::string> listDrivers();

// Connects with `connectString` (the login bounded by `timeoutSeconds` when positive) and
// disconnects again. nullopt when it connected; otherwise the driver's first message, which may
// be empty, with any password of the string blanked out.
std::optional<std::string> testConnection(const std::string& connectString, int timeoutSeconds);

} // namespace zentab
