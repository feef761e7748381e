// Fonts and images of the rendering test need a QGuiApplication.
#include "../../gfx/guiapp.h"

namespace {
const auto* const Environment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);
}
