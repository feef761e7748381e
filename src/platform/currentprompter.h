#pragma once
// The prompter the windows ask through: the Qt dialogs unless a test installs a script.

#include <memory>

#include "platform/prompter.h"

namespace kvr::platform {

Prompter& prompter();
// Null restores the Qt dialogs.
void setPrompter(std::unique_ptr<Prompter> Instance);

} // namespace kvr::platform
