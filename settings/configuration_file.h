#pragma once
// The contents of a configuration file (.zcf) as far as they are settings: the text form built
// from and read into CompareSettings, and the older binary form, which is read but never
// written. Opening the sides a file names is the engine's (engine/configuration.h). Any thread
// that owns the record.

#include <string>
#include <string_view>

#include "settings/compare_settings.h"
#include "settings/profile_file.h"

namespace zentab {

// One side as a configuration file stores it.
struct StoredSide {
    // An on-line side's connect string, or a snapshot side's file path.
    std::string s_ConnectString;
    // The owner qualifier of an on-line side.
    std::string s_DatabaseUser;
    // Kept as the file's text: only exactly "1" means a catalog.
    std::string b_IsCatalog = "0";
    bool b_IsSnapshot = false;
};

// The text form of everything: `database1` and `database2` are the sides as they are to be
// written (a side that is not open is a default StoredSide). Keys and sections come in the
// order the file has always had, and keys whose value is empty are left out.
ProfileFile configurationProfile(const CompareSettings& settings, const StoredSide& database1,
                                 const StoredSide& database2);

// The "Version" of section "Zentab"; empty when absent, which marks the older binary form.
std::string configurationVersion(const ProfileFile& profile);

// Side `number` (1 or 2) as the text form stores it.
StoredSide readStoredSide(const ProfileFile& profile, int number);

// Every option, list and data condition of the text form. A key that is absent (or empty) gives
// the value a file implies by lacking it; a list ends at the first gap in its numbering.
void readConfigurationOptions(const ProfileFile& profile, CompareSettings& settings);

// What reading the older binary form came to.
enum class LegacyRead {
    Complete,
    // The version text does not begin with "Version": nothing but the version was read.
    NotConfiguration,
    // The bytes ended (or held a length past their end) before the last field: the fields read
    // before that point have their new values.
    Truncated,
};

struct LegacyConfiguration {
    std::string versionText;
    // Both connect strings were read (and so may be opened).
    bool connectionsRead = false;
    std::string connectString1;
    std::string connectString2;
};

// Reads `bytes`, the older binary form, into `settings` field by field. The Ignore Data Types
// list, which that form lacks, is left as it was.
LegacyRead readLegacyConfiguration(std::string_view bytes, CompareSettings& settings,
                                   LegacyConfiguration& read);

} // namespace zentab
