#pragma once
// The Output Functions page: the list of output functions and the editor of the selected one,
// over the OutputFunctionsPage rules.

#include <QWidget>

#include "editors/audio/outfktpage.h"
#include "editors/sources/sourcedrag.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTreeWidget;

namespace kvr::editors {

class TOutputFunctionsPage : public QWidget {
public:
    TOutputFunctionsPage(EditorHost& Host, QWidget* Parent);

    OutputFunctionsPage& Rules() { return FPage; }
    // What the page host runs when it shows the page.
    void FillOutputFunctions();

    QListWidget* ListBox1 = nullptr;
    QPushButton* Button30 = nullptr; // "Add"
    QPushButton* Button31 = nullptr; // "Remove"
    QGroupBox* GroupBox30 = nullptr; // "Edit Output Function"
    QLineEdit* Edit6 = nullptr;      // "Label"
    QTreeWidget* ListView15 = nullptr;
    QPushButton* Button32 = nullptr; // "Insert Source"
    QPushButton* Button33 = nullptr; // "Condition ..."
    QPushButton* Button35 = nullptr; // "Source &1 ..."
    QPushButton* Button34 = nullptr; // "Source &2 ..."
    QPushButton* Button36 = nullptr; // "Remove Source"
    QLabel* lblOutfktCond = nullptr;
    QLabel* lblOutfktSrcL = nullptr;
    QLabel* lblOutfktPotL = nullptr;
    QLabel* lblOutfktSrcR = nullptr;
    QLabel* lblOutfktPotR = nullptr;
    QLabel* Label80 = nullptr; // phase of source 1
    QLabel* Label79 = nullptr; // phase of source 2
    QMenu* PopupMenu18 = nullptr;
    QAction* SetLevel1 = nullptr;
    QAction* SetLevel2 = nullptr;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void Show();
    void ShowRows();
    void PopupMenu18Popup();
    bool Takes(const class QMimeData* Data) const;
    bool LandsAt(const class QDropEvent& Event);
    void Drop(class QDropEvent* Event);

    OutputFunctionsPage FPage;
    // What the lists show; they are refilled only when it changes.
    std::vector<std::string> FShownLines;
    std::vector<OutFktRowView> FShownRows;
    QAction* AddItem = nullptr;
    QAction* InsertItem = nullptr;
    QAction* ConditionItem = nullptr;
    QAction* Source1Item = nullptr;
    QAction* Source2Item = nullptr;
    QAction* RemoveSourceItem = nullptr;
    ArmedDrag FRowDrag;
    bool FShowing = false;
};

} // namespace kvr::editors
