#include "../commserver/qtenvironment.h"

namespace {
const auto* const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);
}
