// The host's file dialog answer reaches the caller on either thread: the chosen path as report
// text, nothing when the dialog is cancelled or the host is detached.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "ui/qt_host.h"
#include "ui_fixture.h"

namespace zentab::test {
namespace {

class FilePrompts : public ScriptedPrompts {
public:
    explicit FilePrompts(std::optional<QString> answer) : answer_(std::move(answer)) {}
    std::optional<QString> chooseFile(QWidget*, const FileRequest& request) override {
        filters.push_back(request.filter);
        return answer_;
    }

    std::vector<std::string> filters;

private:
    std::optional<QString> answer_;
};

TEST(QtHost, ChosenFileReachesTheCallerOnEitherThread) {
    struct Case {
        const char* name;
        std::optional<QString> answer;
        std::optional<std::string> expected;
    } cases[] = {
        {"chosen", QString("/data/report.txt"), std::string("/data/report.txt")},
        {"cancelled", std::nullopt, std::nullopt},
    };
    const FileRequest request{"Text Format (*.txt) | *.txt||", "txt", true};
    for (const Case& c : cases) {
        QtHost host;
        auto prompts = std::make_unique<FilePrompts>(c.answer);
        FilePrompts& asked = *prompts;
        host.setPrompts(std::move(prompts));

        EXPECT_EQ(host.chooseFile(request), c.expected) << c.name << ", window thread";

        std::optional<std::string> fromWorker;
        std::atomic<bool> done{false};
        std::thread worker([&] {
            fromWorker = host.chooseFile(request);
            done = true;
        });
        const bool returned = turnEventLoopUntil([&] { return done.load(); });
        worker.join();
        ASSERT_TRUE(returned) << c.name;
        EXPECT_EQ(fromWorker, c.expected) << c.name << ", worker thread";
        EXPECT_EQ(asked.filters, std::vector<std::string>(2, request.filter)) << c.name;
    }
}

TEST(QtHost, ADetachedHostChoosesNoFileAndShowsNoDialog) {
    QtHost host;
    auto prompts = std::make_unique<FilePrompts>(QString("/data/report.txt"));
    FilePrompts& asked = *prompts;
    host.setPrompts(std::move(prompts));
    host.detach();
    EXPECT_EQ(host.chooseFile(FileRequest{}), std::nullopt);
    EXPECT_TRUE(asked.filters.empty());
}

} // namespace
} // namespace zentab::test
