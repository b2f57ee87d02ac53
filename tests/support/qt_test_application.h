#pragma once
// The one QApplication of a Qt test program (header only: the support library stays Qt-free).
// It is created on first use and ends with the test run, before static destruction: Qt's own
// globals (the pointing devices the test events use) must still exist when it goes.

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace kestrave::test {

class QtTestApplication : public ::testing::Environment {
public:
    QApplication& get() {
        if (!app_) app_ = std::make_unique<QApplication>(argc_, argv_);
        return *app_;
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[15] = "kestrave_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

inline QtTestApplication* const qtTestApplication =
    static_cast<QtTestApplication*>(::testing::AddGlobalTestEnvironment(new QtTestApplication));

inline QApplication& app() {
    return qtTestApplication->get();
}

}  // namespace kestrave::test
