// The PDF printer needs a QGuiApplication.
#include "../gfx/guiapp.h"

namespace {
const auto* const Environment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);
}
