#pragma once
// The Logic System page on the main window's LogicPanel: the element list ("Logics") with the
// editor of the selected element, or the GPO list. A thin view over LogicPage and the editor
// controllers; sources are assigned only through the two source windows.

#include <QWidget>

#include <array>

#include "editors/logic/delayscripteditors.h"
#include "editors/logic/gporoutinglist.h"
#include "editors/logic/leveldetecteditor.h"
#include "editors/logic/logicfunctioneditor.h"
#include "editors/logic/logicpage.h"

class QCheckBox;
class QDropEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace kvr::controls {
class TKVRPoti3;
}

namespace kvr::editors {

class LogicPageWidget : public QWidget {
public:
    LogicPageWidget(EditorHost& Host, QWidget* Parent);

    // ShowLogicPage for the selected node's kind (100-105) and HideLogicPage.
    void ShowLogicPage(int Kind);
    void HideLogicPage();
    LogicPage& Page() { return FPage; }

    QGroupBox* Logics = nullptr;
    QTreeWidget* ListView3 = nullptr;
    QPushButton* Button10 = nullptr; // "Add"
    QPushButton* Button11 = nullptr; // "Remove"
    // Logic function.
    QGroupBox* FunctionPanel = nullptr;
    QLineEdit* Edit14 = nullptr;
    QRadioButton* RadioButton1 = nullptr; // "AND"
    QRadioButton* RadioButton2 = nullptr; // "OR"
    QCheckBox* CheckBox1 = nullptr;
    QLineEdit* Edit15 = nullptr;
    QPushButton* BusUp = nullptr;
    QPushButton* BusDown = nullptr;
    QTreeWidget* ListView4 = nullptr;
    QPushButton* Button13 = nullptr; // "Add Source ..."
    QPushButton* Button14 = nullptr; // "Remove Source"
    // Logic delay.
    QGroupBox* DelayPanel = nullptr;
    QLineEdit* Edit17 = nullptr;
    QLabel* Panel18 = nullptr;
    QPushButton* Button17 = nullptr;
    QLineEdit* LDDelayEdit = nullptr;
    QLineEdit* LDImpulsLenEdit = nullptr;
    // Script.
    QGroupBox* ScriptPanel = nullptr;
    QLineEdit* Edit18 = nullptr;
    QLabel* Panel20 = nullptr;
    QPushButton* Button18 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button62 = nullptr; // "Apply commands"
    QLabel* Label75 = nullptr;
    // Level detection.
    QGroupBox* DetectionPanel = nullptr;
    QLineEdit* Edit16 = nullptr;
    QLabel* Panel17 = nullptr;
    QPushButton* Button16 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    std::array<controls::TKVRPoti3*, 5> Knobs{};
    std::array<QLabel*, 5> KnobPanels{};
    // GPO routing.
    QGroupBox* GPOPanel = nullptr;
    QTreeWidget* ListView14 = nullptr;
    QPushButton* Button5 = nullptr; // "Assign ..."
    QPushButton* Button9 = nullptr; // "Clear All"

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void BuildList();
    void BuildFunctionPanel();
    void BuildDelayPanel();
    void BuildScriptPanel();
    void BuildDetectionPanel();
    void BuildGPOPanel();
    void FillLogicList();
    void ShowRows();
    void RefreshLogicEditor();
    void ShowFunction();
    void ShowDelay();
    void ShowScript();
    void ShowDetection();
    void ShowGPOList();
    void ShowGPORow(int Row);
    void SelectedRowChanged();
    void Written(int Kind);
    void PickLogicSource(int Kind, std::uint16_t Current);
    bool LandsAt(QObject* Watched, const QDropEvent& Drag) const;
    void Dropped(QObject* Watched, QDropEvent& Event);

    EditorHost& FHost;
    LogicPage FPage;
    LogicFunctionEditor FFunction;
    LogicDelayEditor FDelay;
    ScriptEditor FScript;
    LevelDetectEditor FDetection;
    GPORoutingList FGPOs;
    bool FShowing = false;
};

} // namespace kvr::editors
