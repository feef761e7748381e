// One QCoreApplication for the whole test program: the poll timer needs an event loop.
#include "../commserver/qtenvironment.h"

namespace {
const auto* const Environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);
}
