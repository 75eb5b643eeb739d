#pragma once
// Two SQLite databases whose tables and views differ in letter case and in what each side has,
// chosen as the sides of a window's session, with the per-user store in a temporary folder.

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/stored_side.h"
#include "settings/preferences.h"
#include "support/odbc_fixture.h"
#include "support/temp_dir.h"
#include "ui/main_window.h"
#include "ui/ui_fixture.h"

namespace zentab::test {

// Sets an environment variable for as long as it lives.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

class OptionsFixture : public ::testing::Test {
protected:
    OptionsFixture() {
        auto scripted = std::make_unique<ScriptedPrompts>();
        prompts = scripted.get();
        window.host().setPrompts(std::move(scripted));
        executeSql(connect1, {
                                 "CREATE TABLE alpha (id INTEGER PRIMARY KEY, name TEXT)",
                                 "CREATE TABLE Orders (id INTEGER PRIMARY KEY, total INTEGER)",
                                 "CREATE TABLE Zeta (id INTEGER PRIMARY KEY)",
                                 "CREATE TABLE Common (id INTEGER PRIMARY KEY)",
                                 "INSERT INTO alpha VALUES (1, 'one'), (2, 'two')",
                                 "INSERT INTO Orders VALUES (1, 10), (2, 20)",
                                 "CREATE VIEW v_one AS SELECT id FROM alpha",
                                 "CREATE VIEW V_Two AS SELECT id, total FROM Orders",
                             });
        executeSql(connect2, {
                                 "CREATE TABLE Alpha (id INTEGER PRIMARY KEY, name TEXT)",
                                 "CREATE TABLE ORDERS (id INTEGER PRIMARY KEY, total TEXT)",
                                 "CREATE TABLE beta (id INTEGER PRIMARY KEY)",
                                 "CREATE TABLE Common (id INTEGER PRIMARY KEY)",
                                 "INSERT INTO Alpha VALUES (1, 'one'), (2, 'deux')",
                                 "INSERT INTO ORDERS VALUES (1, '10'), (3, '30')",
                                 "CREATE VIEW v_one AS SELECT id FROM Alpha",
                                 "CREATE VIEW v_two AS SELECT id, total FROM ORDERS",
                             });
        chooseBothSides();
    }

    void chooseBothSides() {
        const std::string cs1 = connect1;
        const std::string cs2 = connect2;
        EXPECT_TRUE(chooseSide(session(), 1, false, [cs1] { return cs1; }));
        EXPECT_TRUE(chooseSide(session(), 2, false, [cs2] { return cs2; }));
    }

    Session& session() { return window.session(); }

    // What the per-user store holds now.
    Preferences storedPreferences() const {
        CompareSettings settings;
        Preferences preferences;
        PreferenceStore(PreferenceStore::defaultPath()).load(settings, preferences);
        return preferences;
    }

    TempDir dir;
    ScopedEnv xdg{"XDG_CONFIG_HOME", dir.path().string()};
    const std::string connect1 = sqliteConnectString(dir.file("one.db"));
    const std::string connect2 = sqliteConnectString(dir.file("two.db"));
    MainWindow window;
    ScriptedPrompts* prompts = nullptr; // owned by the window's host
};

inline std::vector<std::string> itemTexts(const QListWidget& list) {
    std::vector<std::string> texts;
    for (int row = 0; row < list.count(); ++row) {
        texts.push_back(list.item(row)->text().toStdString());
    }
    return texts;
}

inline std::vector<std::string> selectedTexts(const QListWidget& list) {
    std::vector<std::string> texts;
    for (int row = 0; row < list.count(); ++row) {
        if (list.item(row)->isSelected()) {
            texts.push_back(list.item(row)->text().toStdString());
        }
    }
    return texts;
}

// The child of `parent` named `name`, which must exist.
template <typename T> T& findChild(QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return *found;
}

template <typename Dialog> void press(Dialog& dialog, QDialogButtonBox::StandardButton which) {
    auto* buttons = dialog.template findChild<QDialogButtonBox*>("buttons");
    ASSERT_NE(buttons, nullptr);
    buttons->button(which)->click();
}

} // namespace zentab::test
