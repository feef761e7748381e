#pragma once
// "Restrict key access to user groups" (AuthPanel): the selected key's preview and one box per
// named user group. Filling the boxes stores nothing; a click runs Clicked.

#include "console/usergroupboxes.h"

#include <QWidget>

#include <array>
#include <functional>

class QCheckBox;

namespace kvr::console {

class KeyPreviewImage;

class UserGroupsPanel : public QWidget {
    Q_OBJECT
public:
    explicit UserGroupsPanel(QWidget* parent);
    void Show(const UserGroupBoxes& boxes, int moduleType, const model::TKeyRecord& record);

    // group 1-8 and its new state.
    std::function<void(int group, bool ticked)> Clicked;

    KeyPreviewImage* KeyImg = nullptr;
    std::array<QCheckBox*, 8> UGroupBoxes{}; // UGroup1Box ... UGroup8Box
};

} // namespace kvr::console
