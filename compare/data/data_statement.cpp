#include "compare/data/data_statement.h"

#include "db/database_source.h"
#include "engine/session.h"

namespace zentab {

namespace {

StatementSide statementSide(const DatabaseSource& side, bool isDatabase1,
                            const Preferences& preferences) {
    StatementSide facts;
    facts.isDatabase1 = isDatabase1;
    facts.isCatalog = side.b_IsCatalog;
    facts.schemasListed = side.schemasListed;
    facts.databaseUser = side.s_DatabaseUser;
    facts.reportedUser = side.defaultOwner;
    facts.specialCharacters = side.specialCharacters;
    facts.identifierCase = side.identifierCase;
    facts.quotes = quoteStringsFor(side.b_IsCatalog, side.identifierQuote,
                                   preferences.specObjStringOpen, preferences.specObjStringClose);
    return facts;
}

} // namespace

BuiltStatement buildObjectStatement(const Session& session, const ObjectEntry& object,
                                    bool database1) {
    const bool snapshotRun = session.settings.b_SnapshotOnly;
    const DatabaseSource& side = database1 ? *session.side1 : *session.side2;
    StatementRequest request;
    request.objectName = object.nameInDb1;
    if (!database1) {
        request.objectNameOnSide = object.nameInDb2;
    }
    request.columns = &object.columns;
    request.side = statementSide(side, database1, session.preferences);
    request.orderByLimit1 = session.side1->maxOrderByColumns;
    request.orderByLimit2 =
        !snapshotRun && session.side2 ? session.side2->maxOrderByColumns : kUnknownOrderByLimit;
    request.snapshotOnly = snapshotRun;
    request.autoSpecialName = session.settings.i_AutoSpecialName;
    session.settings.whereCondition(object.nameInDb1, request.condition);
    return buildDataStatement(request);
}

} // namespace zentab
