// The profile target: the INI layer that configuration files and the per-user preferences are
// read and written through.

#include <string>
#include <string_view>
#include <vector>

#include "fuzz_entries.h"
#include "settings/profile_file.h"

namespace zentab::fuzz {

std::string profileInput(Input input) {
    const std::string_view text(reinterpret_cast<const char*>(input.data()), input.size());
    const ProfileFile parsed = ProfileFile::parse(text);
    std::string problem;

    // What a save writes is what the next load parses: it must survive another load and save.
    const std::string saved = parsed.toText();
    if (ProfileFile::parse(saved).toText() != saved) {
        problem += "the saved text changes when it is loaded and saved again\n";
    }

    // Every value, written into a new profile the way the program writes its files.
    struct Value {
        std::string section;
        std::string key;
        std::string text;
    };
    std::vector<Value> values;
    ProfileFile copy;
    for (const std::string& section : parsed.sectionNames()) {
        for (const std::string& key : parsed.keys(section)) {
            const auto value = parsed.read(section, key);
            if (!value) {
                problem += "the listed key \"" + key + "\" of [" + section + "] reads as absent\n";
                continue;
            }
            if (value->size() >= ProfileFile::kValueBuffer ||
                value->find('\n') != std::string::npos) {
                problem += "the value of \"" + key + "\" is longer than a value can be\n";
            }
            copy.write(section, key, *value);
            values.push_back({section, key, *value});
        }
    }

    const ProfileFile reloaded = ProfileFile::parse(copy.toText());
    for (const Value& value : values) {
        const auto again = reloaded.read(value.section, value.key);
        if (again != parsed.read(value.section, value.key)) {
            problem += "\"" + value.key + "\" of [" + value.section + "] reads back as " +
                       (again ? "\"" + *again + "\"" : "absent") + "\n";
        }
    }
    return problem;
}

} // namespace zentab::fuzz
