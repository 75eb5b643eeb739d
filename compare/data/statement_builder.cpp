#include "compare/data/statement_builder.h"

#include <algorithm>

namespace zentab {

namespace {

constexpr std::string_view kWhiteSpace = " \t\r\n\f\v";

bool containsAnyOf(std::string_view text, std::string_view characters) {
    return !characters.empty() && text.find_first_of(characters) != std::string_view::npos;
}

bool isAsciiLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Names come from the catalogs, so they are data: anything but ASCII letters, digits and "_"
// (a semicolon, a tab, a line break, a quote, a non-ASCII letter) could end the name, or the
// statement, where it stands bare. Such a name is quoted whatever the quoting option says.
bool mustBeQuoted(std::string_view name, const QuoteStrings& quotes) {
    const bool plain = std::all_of(name.begin(), name.end(),
                                   [](char c) { return isAsciiLetterOrDigit(c) || c == '_'; });
    // Quote strings of the user's own choosing may be made of letters.
    return !plain || containsAnyOf(name, quotes.open) || containsAnyOf(name, quotes.close);
}

// A side that folds unquoted names to one case finds a name holding letters of the other case
// only when it is quoted.
bool foldsToAnotherName(std::string_view name, IdentifierCase identifierCase) {
    switch (identifierCase) {
    case IdentifierCase::Lower:
        return std::any_of(name.begin(), name.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
    case IdentifierCase::Upper:
        return std::any_of(name.begin(), name.end(), [](char c) { return c >= 'a' && c <= 'z'; });
    default:
        return false;
    }
}

std::string quoted(std::string_view name, const QuoteStrings& quotes) {
    std::string text = quotes.open;
    const std::string_view close = quotes.close;
    // Doubling the closing string is how SQL escapes it inside a quoted name.
    std::size_t from = 0;
    for (std::size_t at = name.find(close); !close.empty() && at != std::string_view::npos;
         at = name.find(close, from)) {
        text.append(name.substr(from, at + close.size() - from));
        text.append(close);
        from = at + close.size();
    }
    text.append(name.substr(from));
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
    if (mustBeQuoted(name, side.quotes)) {
        return true;
    }
    switch (autoSpecialName) {
    case 2:
        return false;
    case 1:
        return true;
    default:
        return containsAnyOf(name, side.specialCharacters) ||
               (!name.empty() && name.front() >= '0' && name.front() <= '9') ||
               foldsToAnotherName(name, side.identifierCase);
    }
}

} // namespace

QuoteStrings quoteStringsFor(bool isCatalog, std::string_view driverQuote,
                             const std::optional<std::string>& preferredOpen,
                             const std::optional<std::string>& preferredClose) {
    QuoteStrings quotes;
    if (isCatalog) {
        // Catalog-qualified systems differ in how they quote (MariaDB rejects brackets); only a
        // driver that does not say keeps the brackets.
        quotes.open = driverQuote.empty() ? "[" : std::string(driverQuote);
        quotes.close = driverQuote.empty() ? "]" : std::string(driverQuote);
    }
    // An empty string could not keep a name apart from the statement around it.
    if (preferredOpen && !preferredOpen->empty()) {
        quotes.open = *preferredOpen;
    }
    if (preferredClose && !preferredClose->empty()) {
        quotes.close = *preferredClose;
    }
    return quotes;
}

std::string columnNameInStatement(std::string_view name, bool forOrderBy, const StatementSide& side,
                                  int autoSpecialName, std::string_view nameOnSide) {
    const std::string_view own = nameOnSide.empty() ? name : nameOnSide;
    bool quote = quoteColumn(own, side, autoSpecialName);
    // ASC and DESC are keywords where the ORDER BY list would read them, not in the select list.
    if (forOrderBy && autoSpecialName != 2 &&
        (equalsIgnoringCase(own, "ASC") || equalsIgnoringCase(own, "DESC"))) {
        quote = true;
    }
    return quote ? quoted(own, side.quotes) : std::string(own);
}

std::string objectNameInStatement(std::string_view name, const StatementSide& side,
                                  int autoSpecialName, std::string_view nameOnSide) {
    const std::string_view own = nameOnSide.empty() ? name : nameOnSide;
    // Unlike a column, a table whose name begins with a digit is left bare.
    const bool quote = mustBeQuoted(own, side.quotes) || autoSpecialName == 1 ||
                       (autoSpecialName == 0 && foldsToAnotherName(own, side.identifierCase));
    std::string text = quote ? quoted(own, side.quotes) : std::string(own);

    // Another owner's objects need the owner in front; Database 2 does not ask whether its
    // driver listed schemas.
    const std::string& owner = side.databaseUser;
    if (!owner.empty() && owner != side.reportedUser && !side.isCatalog &&
        (!side.isDatabase1 || side.schemasListed)) {
        const bool quoteOwner =
            quote || mustBeQuoted(owner, side.quotes) ||
            (autoSpecialName == 0 && foldsToAnotherName(owner, side.identifierCase));
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
            const std::string_view nameOnSide =
                request.side.isDatabase1 ? std::string_view() : std::string_view(column.nameInDb2);
            built.selectList += columnNameInStatement(column.name, false, request.side,
                                                      request.autoSpecialName, nameOnSide);
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
            orderBy += columnNameInStatement(column.name, true, request.side,
                                             request.autoSpecialName, nameOnSide);
        }
    }

    built.text = "select " + built.selectList + " from " +
                 objectNameInStatement(request.objectName, request.side, request.autoSpecialName,
                                       request.objectNameOnSide);
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
