// One QCoreApplication for the whole test program: the poll timer needs an event loop.
#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {
class QtApp : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "test_client";
        static char* argv[] = {name, nullptr};
        App = new QCoreApplication(argc, argv);
    }
    void TearDown() override { delete App; }

private:
    QCoreApplication* App = nullptr;
};
const auto* const Environment = ::testing::AddGlobalTestEnvironment(new QtApp);
} // namespace
