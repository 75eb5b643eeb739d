#pragma once
// How a data source stores a name written without quotes, as its driver tells it. Plain value;
// any thread.

namespace zentab {

enum class IdentifierCase {
    Unknown,   // a snapshot side, or a driver that did not answer
    Upper,     // unquoted names are folded to upper case
    Lower,     // unquoted names are folded to lower case (PostgreSQL)
    Sensitive, // unquoted names keep their case and are matched by it
    Mixed,     // unquoted names keep their case but are matched without regard to it
};

} // namespace zentab
