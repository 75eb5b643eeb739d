// The installed tree, as a desktop and a package see it: every file in its place, the menu entry
// and the file types accepted by the desktop's own tools, manual pages that render cleanly and
// name every option the programs take, and installed programs that run.

#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "support/temp_dir.h"

namespace zentab::test {
namespace {

namespace fs = std::filesystem;

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs a shell command with its standard output and standard error kept apart.
Outcome run(const std::string& command) {
    TempDir dir;
    const std::string out = dir.file("out");
    const std::string err = dir.file("err");
    const int raw =
        std::system((command + " </dev/null >" + quoted(out) + " 2>" + quoted(err)).c_str());
    Outcome outcome;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = readFile(out);
    outcome.err = readFile(err);
    return outcome;
}

bool haveTool(const std::string& name) {
    return run("command -v " + quoted(name)).status == 0;
}

// One installation for the whole suite: every test looks at the same tree.
class InstallTree : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        prefix_ = std::make_unique<TempDir>();
        install_ = run(quoted(ZENTAB_CMAKE_COMMAND) + " --install " + quoted(ZENTAB_BUILD_DIR) +
                       " --prefix " + quoted(prefix_->path().string()));
    }
    static void TearDownTestSuite() { prefix_.reset(); }

    void SetUp() override { ASSERT_EQ(install_.status, 0) << install_.out << install_.err; }

    static fs::path installed(const std::string& relative) { return prefix_->path() / relative; }

    // The programs installed, with the name of their manual page.
    static std::vector<std::string> programs() {
        std::vector<std::string> names{"zentab-batch"};
        if (ZENTAB_DESKTOP) {
            names.push_back("zentab");
        }
        return names;
    }

    static std::unique_ptr<TempDir> prefix_;
    static Outcome install_;
};

std::unique_ptr<TempDir> InstallTree::prefix_;
Outcome InstallTree::install_;

// Every "--name" in `text`: two hyphens, a lower-case letter, then letters, digits and hyphens.
std::set<std::string> longOptionsIn(const std::string& text) {
    auto isNamePart = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
    };
    std::set<std::string> options;
    for (std::size_t at = text.find("--"); at != std::string::npos; at = text.find("--", at + 2)) {
        if (at > 0 && text[at - 1] == '-') {
            continue; // part of a longer run of hyphens
        }
        std::size_t end = at + 2;
        if (end >= text.size() || text[end] < 'a' || text[end] > 'z') {
            continue;
        }
        while (end < text.size() && isNamePart(text[end])) {
            ++end;
        }
        options.insert(text.substr(at, end - at));
    }
    return options;
}

TEST_F(InstallTree, EveryFileIsWhereTheDesktopAndThePackageLookForIt) {
    std::vector<std::string> expected{"bin/zentab-batch", "share/man/man1/zentab-batch.1",
                                      "share/doc/zentab/LICENSE", "share/doc/zentab/copyright"};
    if (ZENTAB_DESKTOP) {
        expected.insert(expected.end(), {"bin/zentab", "share/man/man1/zentab.1",
                                         "share/applications/zentab.desktop",
                                         "share/icons/hicolor/scalable/apps/zentab.svg",
                                         "share/mime/packages/zentab.xml"});
        // The help pages come with the program once they are written.
        if (fs::exists(fs::path(ZENTAB_SOURCE_DIR) / "docs/manual/index.md")) {
            expected.push_back("share/zentab/help/index.md");
        }
    }
    for (const std::string& file : expected) {
        EXPECT_TRUE(fs::is_regular_file(installed(file))) << file;
    }
    for (const std::string& program : programs()) {
        struct stat info {};
        ASSERT_EQ(::stat(installed("bin/" + program).c_str(), &info), 0) << program;
        EXPECT_NE(info.st_mode & S_IXOTH, 0u) << program << " is not executable by everyone";
    }
}

TEST_F(InstallTree, MenuEntryAndFileTypesPassTheDesktopTools) {
    if (!ZENTAB_DESKTOP) {
        GTEST_SKIP() << "built without the desktop program";
    }
    if (!haveTool("desktop-file-validate") || !haveTool("xmllint") ||
        !haveTool("update-mime-database")) {
        GTEST_SKIP() << "scripts/setup.sh installs desktop-file-utils, libxml2-utils and "
                        "shared-mime-info";
    }
    const std::string desktop = installed("share/applications/zentab.desktop").string();
    const std::string types = installed("share/mime/packages/zentab.xml").string();

    const Outcome validated = run("desktop-file-validate " + quoted(desktop));
    EXPECT_EQ(validated.status, 0);
    EXPECT_EQ(validated.out + validated.err, ""); // hints and warnings too
    const Outcome wellFormed = run("xmllint --noout " + quoted(types));
    EXPECT_EQ(wellFormed.status, 0) << wellFormed.err;

    // The desktop's own database, built from the file alone, maps each extension to its type,
    // and declares every type the menu entry says the program opens.
    TempDir data;
    const fs::path mime = data.path() / "mime";
    fs::create_directories(mime / "packages");
    fs::copy_file(types, mime / "packages/zentab.xml");
    // Searched as a data folder, or the tool warns that nothing would find the database.
    const Outcome built = run("XDG_DATA_DIRS=" + quoted(data.path().string()) +
                              " update-mime-database " + quoted(mime.string()));
    ASSERT_EQ(built.status, 0) << built.err;
    EXPECT_EQ(built.err, "");
    const std::string globs = readFile((mime / "globs2").string());
    EXPECT_NE(globs.find(":application/x-zentab-configuration:*.zcf"), std::string::npos) << globs;
    EXPECT_NE(globs.find(":application/x-zentab-snapshot:*.zsn"), std::string::npos) << globs;

    const std::string entry = readFile(desktop);
    const std::size_t mimeLine = entry.find("\nMimeType=");
    ASSERT_NE(mimeLine, std::string::npos) << entry;
    const std::size_t valueStart = mimeLine + std::string_view("\nMimeType=").size();
    const std::string declared = readFile((mime / "types").string());
    const std::string opened = entry.substr(valueStart, entry.find('\n', valueStart) - valueStart);
    std::size_t start = 0;
    for (std::size_t end; (end = opened.find(';', start)) != std::string::npos; start = end + 1) {
        const std::string type = opened.substr(start, end - start);
        EXPECT_NE(declared.find(type + "\n"), std::string::npos) << type << " is not declared";
    }
    EXPECT_NE(entry.find("\nExec=zentab %f\n"), std::string::npos) << entry;
}

TEST_F(InstallTree, ManualPagesRenderCleanlyAndNameEveryOption) {
    if (!haveTool("groff")) {
        GTEST_SKIP() << "groff-base is missing";
    }
    for (const std::string& program : programs()) {
        SCOPED_TRACE(program);
        const std::string page = installed("share/man/man1/" + program + ".1").string();
        const Outcome checked = run("groff -man -Tutf8 -ww -z " + quoted(page));
        EXPECT_EQ(checked.status, 0);
        EXPECT_EQ(checked.err, "");

        // Plain ASCII, so that the page's hyphens read as the options' own.
        const Outcome rendered = run("groff -man -Tascii -P-cbou " + quoted(page));
        ASSERT_EQ(rendered.status, 0) << rendered.err;
        Outcome help = run("QT_QPA_PLATFORM=offscreen " +
                           quoted(installed("bin/" + program).string()) + " --help");
        ASSERT_EQ(help.status, 0) << help.err;
        const std::set<std::string> options = longOptionsIn(help.out);
        EXPECT_GT(options.size(), 3u) << help.out;
        // Each option as a whole word of the page: "--db1" must not pass as "--db10".
        const std::set<std::string> onPage = longOptionsIn(rendered.out);
        for (const std::string& name : options) {
            EXPECT_TRUE(onPage.contains(name)) << name << " is missing from the manual page";
        }
    }
}

TEST_F(InstallTree, InstalledProgramsRunAndNameTheirVersion) {
    for (const std::string& program : programs()) {
        const Outcome version = run("QT_QPA_PLATFORM=offscreen " +
                                    quoted(installed("bin/" + program).string()) + " --version");
        EXPECT_EQ(version.status, 0) << program << ": " << version.err;
        const std::string shown = program == "zentab" ? "Zentab" : "zentab-batch";
        EXPECT_EQ(version.out, shown + " " + ZENTAB_VERSION + "\n") << program;
    }
}

} // namespace
} // namespace zentab::test
