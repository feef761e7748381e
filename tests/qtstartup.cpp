// Widget tests see the windows as a user sees them: the system font and the tab bars' keyboard
// focus are set up as soon as the test's application object exists.
#include <QCoreApplication>

#include "platform/application.h"

namespace {

void SetUpAsTheProgram()
{
    kvr::platform::UseSystemFont();
    kvr::platform::UseKeyboardReachableTabs();
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(SetUpAsTheProgram)
