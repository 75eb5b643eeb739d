#include "compare/data/statement_builder.h"

#include <algorithm>

namespace zentab {

namespace {

// Object names are quoted for these characters whatever the driver reports: they are the ones
// that break a statement on every database.
constexpr std::string_view kObjectSpecialCharacters = " -#/";
constexpr std::string_view kWhiteSpace = " \t\r\n\f\v";

bool containsAnyOf(std::string_view text, std::string_view characters) {
    return !characters.empty() && text.find_first_of(characters) != std::string_view::npos;
}

// A name holding a quote character must be quoted (and escaped), or it ends the quoted name
// early or breaks the statement.
bool holdsQuoteCharacter(std::string_view name, const QuoteStrings& quotes) {
    return containsAnyOf(name, quotes.open) || containsAnyOf(name, quotes.close);
}

std::string quoted(std::string_view name, const QuoteStrings& quotes) {
    std::string text = quotes.open;
    const std::string_view close = quotes.close;
    if (close.empty()) {
        text += name;
    } else {
        // Doubling the closing string is how SQL escapes it inside a quoted name.
        std::size_t from = 0;
        for (std::size_t at = name.find(close); at != std::string_view::npos;
             at = name.find(close, from)) {
            text.append(name.substr(from, at + close.size() - from));
            text.append(close);
            from = at + close.size();
        }
        text.append(name.substr(from));
    }
    text += close;
    return text;
}

bool equalsIgnoringCase(std::string_view text, std::string_view upper) {
    return text.size() == upper.size() &&
           std::equal(text.begin(), text.end(), upper.begin(), [](char a, char b) {
               return (a >= 'a' && a <= 'z' ? static_cast<char>(a - 'a' + 'A') : a) == b;
           });
}

bool quoteColumn(std::string_view name, const StatementSide& side, int autoSpecialName) {
    if (holdsQuoteCharacter(name, side.quotes)) {
        return true;
    }
    switch (autoSpecialName) {
    case 2:
        return false;
    case 1:
        return true;
    default:
        return containsAnyOf(name, side.specialCharacters) ||
               (!name.empty() && name.front() >= '0' && name.front() <= '9');
    }
}

} // namespace

QuoteStrings quoteStringsFor(bool isCatalog, const std::optional<std::string>& preferredOpen,
                             const std::optional<std::string>& preferredClose) {
    QuoteStrings quotes;
    if (isCatalog) {
        quotes.open = "[";
        quotes.close = "]";
    }
    if (preferredOpen) {
        quotes.open = *preferredOpen;
    }
    if (preferredClose) {
        quotes.close = *preferredClose;
    }
    return quotes;
}

std::string columnNameInStatement(std::string_view name, bool forOrderBy, const StatementSide& side,
                                  int autoSpecialName) {
    bool quote = quoteColumn(name, side, autoSpecialName);
    // ASC and DESC are keywords where the ORDER BY list would read them, not in the select list.
    if (forOrderBy && autoSpecialName != 2 &&
        (equalsIgnoringCase(name, "ASC") || equalsIgnoringCase(name, "DESC"))) {
        quote = true;
    }
    return quote ? quoted(name, side.quotes) : std::string(name);
}

std::string objectNameInStatement(std::string_view name, const StatementSide& side,
                                  int autoSpecialName) {
    const bool quote = holdsQuoteCharacter(name, side.quotes) ||
                       containsAnyOf(name, kObjectSpecialCharacters) || autoSpecialName == 1;
    std::string text = quote ? quoted(name, side.quotes) : std::string(name);

    // Another owner's objects need the owner in front; Database 2 does not ask whether its
    // driver listed schemas.
    const std::string& owner = side.databaseUser;
    if (!owner.empty() && owner != side.reportedUser && !side.isCatalog &&
        (!side.isDatabase1 || side.schemasListed)) {
        const bool quoteOwner = quote || holdsQuoteCharacter(owner, side.quotes);
        text = (quoteOwner ? quoted(owner, side.quotes) : owner) + "." + text;
    }
    return text;
}

std::string_view conditionWithoutWhere(std::string_view condition) {
    const std::size_t start = std::min(condition.find_first_not_of(kWhiteSpace), condition.size());
    const std::string_view rest = condition.substr(start);
    if (rest.size() >= 6 && equalsIgnoringCase(rest.substr(0, 5), "WHERE") &&
        (rest[5] == ' ' || rest[5] == '\t')) {
        return rest.substr(6);
    }
    return condition;
}

BuiltStatement buildDataStatement(const StatementRequest& request) {
    BuiltStatement built;
    std::string orderBy;
    int limit = request.snapshotOnly ? request.orderByLimit1
                                     : std::min(request.orderByLimit1, request.orderByLimit2);
    int number = 0;
    // Columns that cannot be ordered do not use up the driver's limit; once a column's number
    // passes the limit, the ORDER BY list is complete.
    if (request.columns != nullptr) {
        for (const ColumnEntry& column : *request.columns) {
            ++number;
            if (!built.selectList.empty()) {
                built.selectList += ", ";
            }
            built.selectList +=
                columnNameInStatement(column.name, false, request.side, request.autoSpecialName);
            if (!orderBy.empty() && number > limit) {
                continue;
            }
            if (!column.orderable) {
                ++limit;
                continue;
            }
            if (!orderBy.empty()) {
                orderBy += ", ";
            }
            orderBy +=
                columnNameInStatement(column.name, true, request.side, request.autoSpecialName);
        }
    }

    built.text = "select " + built.selectList + " from " +
                 objectNameInStatement(request.objectName, request.side, request.autoSpecialName);
    if (!request.condition.empty()) {
        built.text += " where ";
        built.text += conditionWithoutWhere(request.condition);
    }
    if (!orderBy.empty()) {
        built.text += " order by " + orderBy;
    }
    return built;
}

} // namespace zentab
