#pragma once
// The fader channel frame on the "Fader Channels" page: "Defined Channels" on the left, the
// selected channel's groups on the right, over FaderChannelEditor. It exists only while the page
// shows; the source windows reach it through the targets its editor registers.

#include <QWidget>

#include <array>
#include <memory>

#include "editors/audio/audiopagehost.h"
#include "editors/audio/faderchanneleditor.h"

class QAction;
class QCheckBox;
class QComboBox;
class QDropEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMimeData;
class QPushButton;
class QTimer;

namespace kvr::controls {
class TKVRPoti3;
}

namespace kvr::editors {

class RowDragList;

class TFaderChannelFrame : public QWidget, public EditorFrame {
public:
    TFaderChannelFrame(EditorHost& Host, model::TProject& Project, int DeviceIndex, QWidget* Owner);
    ~TFaderChannelFrame() override;

    FaderChannelEditor& Editor() { return *FEditor; }
    // Restarts the 50 ms timer that shows the selected channel.
    void ScheduleRefresh();
    void RefreshFaderChannelList();

    RowDragList* FCHList = nullptr; // "Channel", "Source", "Pool"
    QPushButton* AddButton = nullptr;
    QPushButton* InsertButton = nullptr;
    QPushButton* RemoveButton = nullptr;
    QAction* AddActn = nullptr;
    QAction* InsertActn = nullptr;
    QAction* DelActn = nullptr;
    QGroupBox* GeneralGroup = nullptr;
    QGroupBox* FaderstartGroup = nullptr;
    QGroupBox* OutputMuteGroup = nullptr;
    QGroupBox* LogicGroup = nullptr;
    // General.
    QLabel* Panel10 = nullptr; // source
    QPushButton* FCHSourceSel = nullptr;
    QLineEdit* FCHLabelEdit = nullptr;
    QLabel* Panel11 = nullptr; // monitor L
    QPushButton* FCHMonitorLSel = nullptr;
    QLabel* Panel12 = nullptr; // monitor R
    QPushButton* FCHMonitorRSel = nullptr;
    QComboBox* FCHPoolBox = nullptr;
    QComboBox* FCHGRSelect = nullptr;
    QCheckBox* FCHStereo = nullptr;
    QCheckBox* FCHCF = nullptr;
    QCheckBox* FCHGlobalPool = nullptr;
    // Faderstart.
    controls::TKVRPoti3* FCHFSLevelPot = nullptr;
    QLabel* FSLevelText = nullptr;
    QCheckBox* FSOnStart = nullptr;
    QCheckBox* FSAutoOff = nullptr;
    // Output Mute Functions.
    std::array<QCheckBox*, 5> FSMuteLogic{};
    // Logic Functions, in the order of FaderLogic: lamp 2, lamp, mute condition, ready, timer.
    std::array<QLabel*, 5> LogicPanels{};
    std::array<QPushButton*, 5> LogicSelects{};
    QCheckBox* CheckBox14 = nullptr; // "Timer Reset"
    QCheckBox* CheckBox16 = nullptr; // "Voice"
    QCheckBox* CheckBox15 = nullptr; // "PGM1 Logic"
    QCheckBox* CheckBox1 = nullptr;  // "Solo effect return"
    QTimer* Timer1 = nullptr;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void BuildList();
    QGroupBox* BuildGeneral();
    QGroupBox* BuildFaderstart();
    QGroupBox* BuildOutputMute();
    QGroupBox* BuildLogic();
    void Timer1Timer();
    void ShowNoChannel();
    void Fill(const FaderChannelView& View);
    void ShowRows();
    void ListActionStates();
    void FCHListSelectItem();
    void DisableGroup(QGroupBox* Group);
    bool Takes(QObject* Watched, const QMimeData* Data) const;
    bool LandsAt(QObject* Watched, const QDropEvent& Drag) const;
    void Dropped(QObject* Watched, QDropEvent& Event);

    EditorHost& FHost;
    std::unique_ptr<FaderChannelEditor> FEditor;
    bool FFillingList = false;
};

} // namespace kvr::editors
