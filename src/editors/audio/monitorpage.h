#pragma once
// The "Monitor Functions" tab: default monitor-bus sources and the source lists of the rotary
// monitor selectors, over MonitorFunctions.

#include "editors/audio/audiotabpage.h"
#include "editors/common/sourcepicker.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace kvr::editors {

class TMonitorFunctionsPage : public AudioTabPage, public SourceTarget {
public:
    TMonitorFunctionsPage(EditorHost& Host, QWidget* Parent);

    void TabShow() override;
    void Fill();

    // Audio-source window kind 9.
    TargetSelection Selection(int Kind) override;
    void Refresh(int Kind, const PickedSource& Source) override;

    QTreeWidget* ListView18 = nullptr; // "Monitor Bus", "Source", "Info"
    QPushButton* Button3 = nullptr;    // "Assign ..."
    QPushButton* Button4 = nullptr;    // "Clear All"
    QTreeWidget* ListView22 = nullptr; // "Rotary Monitor Selector", "Source List", "Info"
    QLabel* Label78 = nullptr;         // "Select Source List"
    QComboBox* ComboBox13 = nullptr;

    void AssignClick();
    void ClearClick();
    void ClearAllClick();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void SelectorChosen();
    bool FSelectingSelector = false;
};

} // namespace kvr::editors
