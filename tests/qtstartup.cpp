// Widget tests see the windows in the font a user sees: the system font is set as soon as the
// test's application object exists.
#include <QCoreApplication>

#include "platform/application.h"

namespace {

void UseSystemFontAtStart()
{
    kvr::platform::UseSystemFont();
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(UseSystemFontAtStart)
