#include "widget_test_support.h"

#include <memory>

namespace kestrave::test {

namespace {

// The application ends with the test run, before static destruction: Qt's own globals (the
// pointing devices the test events use) must still exist when it goes.
class ApplicationEnvironment : public ::testing::Environment {
public:
    QApplication& get() {
        if (!app_) app_ = std::make_unique<QApplication>(argc_, argv_);
        return *app_;
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[23] = "kestrave_widgets_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

ApplicationEnvironment* const environment =
    static_cast<ApplicationEnvironment*>(::testing::AddGlobalTestEnvironment(new ApplicationEnvironment));

}  // namespace

QApplication& app() {
    return environment->get();
}

}  // namespace kestrave::test
