#pragma once
// The "Input Pools" and "Potentiometer" tabs, over InputPools and Potentiometers. A label emptied
// on the way to a new name is stored only when editing ends, so the pool keeps its channels and
// the pot its external input while the user types.

#include <vector>

#include "editors/audio/audiotabpage.h"
#include "editors/audio/inputpools.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kvr::editors {

class TInputPoolsPage : public AudioTabPage {
public:
    TInputPoolsPage(EditorHost& Host, QWidget* Parent);

    void TabShow() override;
    void ListBox3Click();
    void AddClick();
    void RemoveClick();

    QListWidget* ListBox3 = nullptr; // "Input Pools"
    QLineEdit* Edit21 = nullptr;     // "Label"
    QPushButton* Button59 = nullptr; // "Add"
    QPushButton* Button60 = nullptr; // "Remove"

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    int SelectedPool() const;
    void StoreLabel(bool EditingEnded);

    std::vector<int> FPoolIndex;
    bool FFillingPool = false;
};

class TPotentiometerPage : public AudioTabPage {
public:
    TPotentiometerPage(EditorHost& Host, QWidget* Parent);

    void TabShow() override;
    void ListView19Click();

    QTreeWidget* ListView19 = nullptr; // "Module", "Module ID", "Pot. Label", "External Pot."
    QLineEdit* Edit26 = nullptr;       // "Change Label"
    QLabel* Label76 = nullptr;         // "Change External Pot."
    QComboBox* ComboBox11 = nullptr;

private:
    int SelectedPot() const;
    void StoreLabel(bool EditingEnded);

    std::vector<ExternalPot> FExtPotTable;
    bool FFillingPots = false;
};

} // namespace kvr::editors
