#pragma once
// "Watches": a new watch window at every use, wired to the logic-source window. The newest one is
// the global one the logic-source window adds watches to.

#include <functional>
#include <string>

class QWidget;

namespace kvr::model {
class TProject;
}

namespace kvr::service {
class TWatchForm;
}

namespace kvr::app {

service::TWatchForm* OpenWatchWindow(QWidget* Owner, std::function<model::TProject*()> Project,
                                     std::function<std::string()> ProjectFileName);

} // namespace kvr::app
