// One QApplication for the whole test program: widgets need it, and Qt allows only one.

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "support/temp_dir.h"

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        // The window writes its preferences when it closes: never into the user's own.
        ::setenv("XDG_CONFIG_HOME", config_.path().c_str(), 1);
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[8] = "test_ui";
    char* argv_[2] = {name_, nullptr};
    zentab::test::TempDir config_;
    std::unique_ptr<QApplication> app_;
};

// GoogleTest takes ownership of the environment.
[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(std::make_unique<QtEnvironment>().release());

} // namespace
