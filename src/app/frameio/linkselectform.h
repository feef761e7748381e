#pragma once
// "Create device link": the small modal tool window in which one end of a link is picked. The
// tree and the checks come from linkpage.h; the window only shows them.

#include <QDialog>
#include <vector>

#include "app/frameio/linkpage.h"

class QGroupBox;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QWidget;

namespace kvr::app::frameio {

class TLinkSelectForm : public QDialog, public LinkDialog {
public:
    explicit TLinkSelectForm(QWidget* Parent = nullptr);

    model::TProject* Project = nullptr;
    // Presets the fields, shows the window modally and answers the choice after Select.
    bool Choose(int Mode, LinkChoice& Choice) override;

    QGroupBox* GroupBox1 = nullptr;
    QTreeWidget* TreeView1 = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QRadioButton* Uni = nullptr;
    QRadioButton* Bi = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

private:
    void BuildLinkTree();
    void Button1Click();
    int Direction() const;

    int FMode = lsSource;
    LinkChoice FChoice;
    std::vector<LinkTreeNode> FNodes;
};

} // namespace kvr::app::frameio
