#include "service/maintenance/accesscode.h"

#include "platform/settingsstore.h"

namespace kvr::service {

bool ServiceAccessGranted(const platform::SettingsStore& Store)
{
    const auto text = Store.readString(platform::DefinitionKey, "Kolm");
    return text && *text == "KOLM";
}

} // namespace kvr::service
