#include "settings/configuration_file.h"

#include <array>
#include <cstdint>

#include "settings/settings_keys.h"

namespace zentab {

namespace {

constexpr std::string_view kMainSection = "Zentab";
constexpr std::string_view kWhereSection = "Where Statements";

std::string sideSection(int number) {
    return "Database " + std::to_string(number);
}

void writeSide(ProfileFile& profile, int number, const StoredSide& side) {
    const std::string section = sideSection(number);
    if (!side.s_ConnectString.empty()) {
        profile.write(section, "s_ConnectString", side.s_ConnectString);
    }
    if (!side.s_DatabaseUser.empty()) {
        profile.write(section, "s_DatabaseUser", side.s_DatabaseUser);
    }
    profile.write(section, "b_IsCatalog", side.b_IsCatalog == "1" ? "1" : "0");
    profile.write(section, "b_IsSnapshot", side.b_IsSnapshot ? "1" : "0");
}

const SettingField& field(std::string_view key) {
    // Only called with keys of the table, so the lookup cannot fail.
    return *findSettingField(key);
}

// Reads the little-endian archive encoding of the older form; every length and count is held
// to what the bytes still hold before it sizes anything.
class ArchiveReader {
public:
    explicit ArchiveReader(std::string_view bytes) : bytes_(bytes) {}

    bool readInt(std::int32_t& value) {
        std::uint32_t raw = 0;
        if (!readUnsigned(4, raw)) {
            return false;
        }
        value = static_cast<std::int32_t>(raw);
        return true;
    }

    bool readString(std::string& text) {
        std::uint32_t length = 0;
        if (!readUnsigned(1, length)) {
            return false;
        }
        if (length == 0xFF &&
            (!readUnsigned(2, length) || (length == 0xFFFF && !readUnsigned(4, length)))) {
            return false;
        }
        if (length > left()) {
            return false;
        }
        text.assign(bytes_.substr(position_, length));
        position_ += length;
        return true;
    }

    // A count of items each at least `itemBytes` long.
    bool readCount(std::size_t itemBytes, std::uint32_t& count) {
        return readUnsigned(4, count) && count <= left() / itemBytes;
    }

private:
    std::size_t left() const { return bytes_.size() - position_; }

    bool readUnsigned(std::size_t size, std::uint32_t& value) {
        if (size > left()) {
            return false;
        }
        value = 0;
        for (std::size_t i = 0; i < size; ++i) {
            value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[position_ + i]))
                     << (8 * i);
        }
        position_ += size;
        return true;
    }

    std::string_view bytes_;
    std::size_t position_ = 0;
};

// The integers of the older form after s_AutoSaveFile, in file order; empty names one that is
// read and thrown away.
constexpr std::array<std::string_view, 28> kLegacyFlags{
    "",
    "b_NoDiffProc",
    "b_NoDiffCol",
    "b_IgnoreColLen",
    "b_IgnoreColCase",
    "b_IgnoreDatCase",
    "b_IgnoreDatTrail",
    "b_IgnoreDatFrac",
    "b_CompDatValue",
    "b_IgnoreDatSecs",
    "b_IgnoreDatLead",
    "b_NoDiffData",
    "b_IgnoreTabCase",
    "b_IgnoreViewCase",
    "b_IgnoreProcCase",
    "b_DoTabCommon",
    "b_DoViewCommon",
    "b_DoProcCommon",
    "",
    "b_DoTabSkipped",
    "b_DoViewSkipped",
    "b_DoProcSkipped",
    "b_DoViewStruct",
    "b_DoProcStruct",
    "b_DoViewData",
    "b_DoIndex",
    "b_DoTabData",
    "b_DoTabStruct",
};

// An integer of the older form into its field. The old program put a few impossible values
// back to usable ones; whatever else is out of range is held to the field's range.
bool readLegacyInt(ArchiveReader& reader, CompareSettings& settings, std::string_view key) {
    std::int32_t value = 0;
    if (!reader.readInt(value)) {
        return false;
    }
    if (key.empty()) {
        return true;
    }
    if (key == "i_AutoSpecialName" && value > 5) {
        value = 0;
    } else if (key == "i_AutoSaveLines" && value > 999999) {
        value = 500;
    } else if (key == "b_DataType" && value > 5) {
        value = 1;
    }
    setIntValue(settings, field(key), value);
    return true;
}

bool readLegacyString(ArchiveReader& reader, std::string& target) {
    std::string text;
    if (!reader.readString(text)) {
        return false;
    }
    target = std::move(text);
    return true;
}

bool readLegacyList(ArchiveReader& reader, std::vector<std::string>& list) {
    std::uint32_t count = 0;
    if (!reader.readCount(1, count)) {
        return false;
    }
    list.clear();
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string text;
        if (!reader.readString(text)) {
            return false;
        }
        list.push_back(std::move(text));
    }
    return true;
}

bool readLegacyFields(ArchiveReader& reader, CompareSettings& settings, bool current) {
    settings.b_DataAsCSV = false;
    for (std::string_view key : {"i_AutoSpecialName", "b_AutoSave", "i_AutoSaveLines"}) {
        if (!readLegacyInt(reader, settings, key)) {
            return false;
        }
    }
    if (!readLegacyString(reader, settings.s_AutoSaveFile) ||
        !readLegacyInt(reader, settings, "b_OnlyToFile") ||
        !readLegacyInt(reader, settings, "b_DataType")) {
        return false;
    }
    for (std::string_view key : kLegacyFlags) {
        if (!readLegacyInt(reader, settings, key)) {
            return false;
        }
    }
    if (current) {
        std::int32_t kind = 0;
        if (!reader.readInt(kind)) {
            return false;
        }
        settings.side1IsSnapshot = kind != 0;
        if (!reader.readInt(kind)) {
            return false;
        }
        settings.side2IsSnapshot = kind != 0;
        if (!readLegacyString(reader, settings.s_GlobalPassSql1) ||
            !readLegacyString(reader, settings.s_GlobalPassSql2)) {
            return false;
        }
    }
    for (auto* list : {&settings.ignoreColumns, &settings.ignoreTables, &settings.ignoreViews,
                       &settings.ignoreProcs}) {
        if (!readLegacyList(reader, *list)) {
            return false;
        }
    }
    if (current) {
        std::uint32_t count = 0;
        if (!reader.readCount(2, count)) {
            return false;
        }
        settings.whereStatements.clear();
        for (std::uint32_t i = 0; i < count; ++i) {
            std::string name, condition;
            if (!reader.readString(name) || !reader.readString(condition)) {
                return false;
            }
            settings.whereStatements[name] = std::move(condition);
        }
    }
    return true;
}

} // namespace

ProfileFile configurationProfile(const CompareSettings& settings, const StoredSide& database1,
                                 const StoredSide& database2) {
    ProfileFile profile;
    auto writeField = [&](const SettingField& f) {
        std::string text = fileValueText(settings, f);
        if (f.kind != SettingKind::String || !text.empty()) {
            profile.write(kMainSection, f.fileKey, text);
        }
    };
    // The order of the writes is the order of the file: a key goes to the end of its section,
    // and a section is created where it is first written.
    profile.write(kMainSection, "Version", "5.0");
    writeField(field("b_SnapshotOnly"));
    writeField(field("b_SummaryReportOnly"));
    writeSide(profile, 1, database1);
    if (settings.b_SnapshotOnly) {
        // Written even when empty: it is what a snapshot run is about.
        profile.write(kMainSection, "s_SnapshotFile", settings.s_SnapshotFile);
    } else {
        writeSide(profile, 2, database2);
    }
    for (const SettingField& f : settingFields()) {
        if (f.fileKey.empty() || f.fileKey == "b_SnapshotOnly" ||
            f.fileKey == "b_SummaryReportOnly" || f.fileKey == "s_SnapshotFile") {
            continue;
        }
        writeField(f);
    }
    for (const ListSection& list : listSections()) {
        const auto& items = settings.*list.member;
        for (std::size_t i = 0; i < items.size(); ++i) {
            profile.write(list.name, std::string(list.keyPrefix) + std::to_string(i), items[i]);
        }
    }
    std::size_t i = 0;
    for (const auto& [name, condition] : settings.whereStatements) {
        profile.write(kWhereSection, "obj" + std::to_string(i), name);
        profile.write(kWhereSection, "where" + std::to_string(i), condition);
        ++i;
    }
    return profile;
}

std::string configurationVersion(const ProfileFile& profile) {
    return profile.read(kMainSection, "Version").value_or(std::string());
}

StoredSide readStoredSide(const ProfileFile& profile, int number) {
    const std::string section = sideSection(number);
    StoredSide side;
    side.s_ConnectString = profile.read(section, "s_ConnectString").value_or(std::string());
    side.s_DatabaseUser = profile.read(section, "s_DatabaseUser").value_or(std::string());
    side.b_IsCatalog = profile.read(section, "b_IsCatalog").value_or(std::string());
    side.b_IsSnapshot = profile.read(section, "b_IsSnapshot") == std::optional<std::string>("1");
    return side;
}

void readConfigurationOptions(const ProfileFile& profile, CompareSettings& settings) {
    for (const SettingField& f : settingFields()) {
        if (!f.fileKey.empty()) {
            applyFileValue(settings, f, profile.read(kMainSection, f.fileKey));
        }
    }
    for (const ListSection& list : listSections()) {
        auto& items = settings.*list.member;
        items.clear();
        for (std::size_t i = 0;; ++i) {
            auto value = profile.read(list.name, std::string(list.keyPrefix) + std::to_string(i));
            if (!value || value->empty()) {
                break;
            }
            items.push_back(std::move(*value));
        }
    }
    settings.whereStatements.clear();
    for (std::size_t i = 0;; ++i) {
        auto name = profile.read(kWhereSection, "obj" + std::to_string(i));
        if (!name || name->empty()) {
            break;
        }
        settings.whereStatements[*name] =
            profile.read(kWhereSection, "where" + std::to_string(i)).value_or(std::string());
    }
}

LegacyRead readLegacyConfiguration(std::string_view bytes, CompareSettings& settings,
                                   LegacyConfiguration& read) {
    ArchiveReader reader(bytes);
    read = {};
    if (!reader.readString(read.versionText) || read.versionText.rfind("Version", 0) != 0) {
        return LegacyRead::NotConfiguration;
    }
    if (!reader.readString(read.connectString1) || !reader.readString(read.connectString2)) {
        return LegacyRead::Truncated;
    }
    read.connectionsRead = true;
    const bool current = read.versionText == "Version 5.0";
    return readLegacyFields(reader, settings, current) ? LegacyRead::Complete
                                                       : LegacyRead::Truncated;
}

} // namespace zentab
