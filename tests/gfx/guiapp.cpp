#include "guiapp.h"

namespace {
const auto* const Environment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);
}
