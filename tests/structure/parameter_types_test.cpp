#include <string>

#include <gtest/gtest.h>

#include "compare/structure/column_types.h"
#include "settings/compare_settings.h"

namespace zentab {
namespace {

TEST(ParameterTypes, DescriptionsAndOrdering) {
    struct Case {
        const char* what;
        int nullable;
        int columnType;
        const char* driverType;
        int code;
        long size;
        const char* description;
        bool orderable;
    };
    const Case cases[] = {
        {"input, not null", 0, 1, "int4", 4, 10, "NOT NULL IN     INTEGER(10)", true},
        {"input/output, nullable", 1, 2, "varchar", 12, 20, "    NULL IN/OUT VARCHAR(20)", true},
        {"result column", 2, 3, "text", -1, 8190, "RESULT LONG VARCHAR(8190)", false},
        {"output", 2, 4, "bytea", -3, 0, "   OUT VARBINARY", false},
        {"return value", 2, 5, "int8", -5, 19, "RETURN BIGINT(19)", true},
        // Unknown kinds and types: a parameter of a type outside the table stays orderable.
        {"kind unknown", 2, 0, "", 0, 0, "UNK    UNKNOWN", true},
        {"kind outside the list", 2, 6, "uuid", -11, 37, "UNK    UNKNOWN(37)", true},
        {"ODBC 3 date code", 2, 1, "date", 91, 10, "IN     UNKNOWN(10)", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CompareSettings settings;
        EXPECT_EQ(parameterTypeDescription(settings, c.nullable, c.columnType, c.driverType, c.code,
                                           c.size),
                  c.description);
        EXPECT_EQ(parameterOrderable(c.code), c.orderable);
    }
}

} // namespace
} // namespace zentab
