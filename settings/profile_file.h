#pragma once
// A profile (INI) file held in memory: sections of key=value entries, kept in the order first
// written, looked up without regard to letter case. Used by the thread that owns the object.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentab {

class ProfileFile {
public:
    // A value is read into a buffer of this many characters, the last one for the terminator.
    static constexpr std::size_t kValueBuffer = 5000;

    ProfileFile() = default;
    static ProfileFile parse(std::string_view text);

    // Replaces the contents by the file at `path`. A missing file is an empty profile; false,
    // with `error` set and the contents emptied, when the file exists but cannot be read.
    bool load(const std::string& path, std::string& error);

    // Who may read a saved file. KeepExisting gives a replaced file its old permissions and a
    // new one 0600; OwnerOnly always gives 0600, for files that hold passwords.
    enum class Permissions { KeepExisting, OwnerOnly };

    // Writes all of the text to a temporary file beside `path`, then renames it over `path`, so
    // a failed save leaves the previous file as it was. False with `error` set on failure.
    bool save(const std::string& path, std::string& error,
              Permissions permissions = Permissions::KeepExisting) const;

    // The whole file as it would be saved.
    std::string toText() const;

    // The value up to its first line break and at most kValueBuffer - 1 characters; nullopt
    // when the section or the key is absent.
    std::optional<std::string> read(std::string_view section, std::string_view key) const;
    // Replaces the value in place, or appends the key (and the section) when absent. The value
    // is written unchanged, line breaks included.
    void write(std::string_view section, std::string_view key, std::string_view value);
    // False when there is no such section.
    bool removeSection(std::string_view section);

    std::vector<std::string> sectionNames() const;
    std::vector<std::string> keys(std::string_view section) const;

    // Line end used by toText() and save(); CR LF unless set.
    void setLineEnd(std::string lineEnd) { lineEnd_ = std::move(lineEnd); }

private:
    // An entry, or any other line (comment, blank, junk) kept as it was.
    struct Line {
        bool isEntry = false;
        std::string key;  // entries only
        std::string text; // the value of an entry, else the whole line
    };
    struct Section {
        std::string name;
        std::vector<Line> lines;
    };

    Section* findSection(std::string_view name);
    const Section* findSection(std::string_view name) const;

    std::vector<std::string> preamble_; // lines before the first section header
    std::vector<Section> sections_;
    std::string lineEnd_ = "\r\n";
};

} // namespace zentab
