// A file handed to the desktop program at start: its kind by extension, and a snapshot file that
// becomes Database 1 of a comparison whose Parameters dialog is then shown.

#include <QApplication>
#include <QDialog>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "db/database_source.h"
#include "support/run_fixture.h"
#include "support/temp_dir.h"
#include "ui/main_window.h"
#include "ui/start_file.h"
#include "ui_fixture.h"

namespace zentab::test {
namespace {

TEST(StartFileKindTest, FollowsTheExtensionInAnyCase) {
    const struct {
        const char* path;
        StartFileKind kind;
    } cases[] = {
        {"/home/ann/nightly.zcf", StartFileKind::Configuration},
        {"NIGHTLY.ZCF", StartFileKind::Configuration},
        {"/tmp/orders.Zsn", StartFileKind::Snapshot},
        {"orders.zsn.bak", StartFileKind::Other},
        {"zcf", StartFileKind::Other},
        {"/tmp/orders.db", StartFileKind::Other},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(startFileKind(QString::fromUtf8(c.path)), c.kind) << c.path;
    }
}

// What the Parameters dialog showed of Database 1 while it was open.
struct DialogSeen {
    QString name;
    bool snapshotChosen = false;
    bool side1IsSnapshotOn = false;
    std::string side1File;
};

TEST(StartFromSnapshotTest, TakesTheFileAsDatabase1AndShowsTheParameters) {
    TempDir dir;
    writeEmptySnapshot(dir.file("orders.zsn"));
    const struct {
        std::string file;
        bool readable;
    } cases[] = {{dir.file("orders.zsn"), true}, {dir.file("missing.zsn"), false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        MainWindow window;
        auto owned = std::make_unique<ScriptedPrompts>();
        ScriptedPrompts& prompts = *owned;
        window.host().setPrompts(std::move(owned));
        window.show();

        DialogSeen seen;
        QTimer::singleShot(0, &window, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return; // the expectations below name what was missing
            }
            seen.name = dialog->objectName();
            auto* snapshot = dialog->findChild<QRadioButton*>("snapshot1");
            seen.snapshotChosen = snapshot != nullptr && snapshot->isChecked();
            const Session& session = window.session();
            seen.side1IsSnapshotOn = session.settings.side1IsSnapshot;
            if (const DatabaseSource* side = session.side1.get(); side && side->b_IsSnapshot) {
                seen.side1File = side->s_SnapshotFile;
            }
            dialog->reject();
        });
        startFromSnapshot(window, c.file);

        EXPECT_EQ(seen.name, "ParametersDialog");
        EXPECT_TRUE(seen.snapshotChosen);
        EXPECT_TRUE(seen.side1IsSnapshotOn);
        EXPECT_EQ(seen.side1File, c.file);
        ASSERT_NE(window.session().side1, nullptr);
        EXPECT_EQ(window.session().side1->notUsable, !c.readable);
        // An unreadable snapshot says so before the dialog; a readable one opens silently.
        EXPECT_EQ(prompts.shown.empty(), c.readable);
        EXPECT_EQ(window.session().side2, nullptr);
    }
}

} // namespace
} // namespace zentab::test
