// One QApplication for the whole test program: widgets and fonts need it.
#include <QApplication>

#include <gtest/gtest.h>

#include "platform/application.h"

namespace {

class WidgetEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "test";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
        kvr::platform::UseSystemFont();
    }
    void TearDown() override { delete app_; }

private:
    QApplication* app_ = nullptr;
};

const auto* const Environment = ::testing::AddGlobalTestEnvironment(new WidgetEnvironment);

} // namespace
