#include "settings/compare_settings.h"

namespace zentab {

bool CompareSettings::whereCondition(const std::string& objectName, std::string& condition) const {
    auto found = whereStatements.find(objectName);
    if (found == whereStatements.end() || found->second.empty()) {
        return false;
    }
    condition = found->second;
    return true;
}

} // namespace zentab
