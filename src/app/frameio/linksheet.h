#pragma once
// The "Device links" tab: the list of defined links with Add and Remove (buttons, popup and the
// Delete key). The rows and the Add flow come from linkpage.h.

#include <QWidget>
#include <functional>

class QMenu;
class QPushButton;
class QTreeWidget;

namespace kvr::model {
class TProject;
}

namespace kvr::app::frameio {

struct LinkDialog;
struct LinkProgress;

class TLinkSheet : public QWidget {
public:
    explicit TLinkSheet(QWidget* Parent = nullptr);

    std::function<model::TProject*()> Project;
    std::function<LinkDialog*()> Dialog;
    LinkProgress* Progress = nullptr;

    // The tab was shown: the list is filled and Remove waits for a selection.
    void LinkSheetShow();
    void FillLinkList();
    void Button1Click();
    void Button61Click();

    QTreeWidget* LinkList = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button61 = nullptr;
    QMenu* LinkPopUp = nullptr;

protected:
    void keyPressEvent(QKeyEvent* Event) override;
};

} // namespace kvr::app::frameio
