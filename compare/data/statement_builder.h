#pragma once
// Builds the ordered select statement that reads the rows of one common table or view on one
// side. Pure functions over plain inputs; any thread.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/identifier_case.h"
#include "db/object_list.h"

namespace zentab {

// The strings put around a name that needs quoting.
struct QuoteStrings {
    std::string open = "\"";
    std::string close = "\"";
};

// Double quotes; for a side qualified by catalog, the quote its driver reports (`driverQuote`),
// or brackets when it reports none. The per-user values replace either default when they are
// stored.
QuoteStrings quoteStringsFor(bool isCatalog, std::string_view driverQuote,
                             const std::optional<std::string>& preferredOpen,
                             const std::optional<std::string>& preferredClose);

// What the builder needs to know about the side the statement is for.
struct StatementSide {
    bool isDatabase1 = true;
    bool isCatalog = false;        // b_IsCatalog
    bool schemasListed = false;    // the side can qualify names by schema
    std::string databaseUser;      // s_DatabaseUser, the configured owner
    std::string reportedUser;      // the user name the connection reports (trimmed)
    std::string specialCharacters; // characters that make a column name special
    IdentifierCase identifierCase = IdentifierCase::Unknown;
    QuoteStrings quotes;
};

struct StatementRequest {
    std::string objectName;       // as Database 1 spells it
    std::string objectNameOnSide; // as this side spells it, when known and it is not Database 1
    const std::vector<ColumnEntry>* columns = nullptr;
    StatementSide side;
    int orderByLimit1 = 10000; // most ORDER BY columns each side's driver accepts
    int orderByLimit2 = 10000;
    bool snapshotOnly = false; // a snapshot run orders by Database 1's limit alone
    int autoSpecialName = 0;   // 0 automatic, 1 quote every name, 2 quote none
    std::string condition;     // the stored data condition; empty for none
};

struct BuiltStatement {
    std::string text;
    std::string selectList; // empty when there is no column to select
};

BuiltStatement buildDataStatement(const StatementRequest& request);

// The pieces, for the builder and its tests. A name is written as the side itself spells it
// (`nameOnSide`; empty when that is Database 1's spelling): names may have matched only when
// case was ignored, and a side that keeps case finds only its own spelling.

// A column name as the select list (forOrderBy false) or the ORDER BY list writes it.
std::string columnNameInStatement(std::string_view name, bool forOrderBy, const StatementSide& side,
                                  int autoSpecialName, std::string_view nameOnSide = {});
// The object name, quoted and owner-qualified as the side needs it.
std::string objectNameInStatement(std::string_view name, const StatementSide& side,
                                  int autoSpecialName, std::string_view nameOnSide = {});
// The condition without a leading "where" keyword (and the white space before it).
std::string_view conditionWithoutWhere(std::string_view condition);

} // namespace zentab
