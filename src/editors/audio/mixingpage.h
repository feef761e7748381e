#pragma once
// The "Mixing Functions" tab: bus counts, the bus and clean-feed list with its editor, talk
// sources, talk conditions and talk attenuation, over MixingFunctionsTab.

#include <QSpinBox>

#include <functional>

#include "editors/audio/audiotabpage.h"
#include "editors/common/sourcepicker.h"

class QAction;
class QCheckBox;
class QComboBox;
class QDropEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kvr::controls {
class TKVRPoti3;
}

namespace kvr::editors {

// A count with up and down arrows whose raising can be refused before it happens.
class TBusCountBox : public QSpinBox {
public:
    using QSpinBox::QSpinBox;
    // Asked before a step or a typed value changes the count; false keeps the old one.
    std::function<bool(int From, int To)> Changing;
    // After the count changed by the user.
    std::function<void()> Clicked;
    void stepBy(int Steps) override;
    void Commit();

private:
    int FShown = 0;
    friend class TMixingFunctionsPage;
};

class TMixingFunctionsPage : public AudioTabPage, public SourceTarget {
public:
    TMixingFunctionsPage(EditorHost& Host, QWidget* Parent);

    void TabShow() override;
    void TabHide() override;
    void FillMixingFunctions();

    // Logic window kinds 11 and 12; audio window kinds 12 and 13.
    TargetSelection Selection(int Kind) override;
    void Refresh(int Kind, const PickedSource& Source) override;

    QTreeWidget* ListView13 = nullptr;
    TBusCountBox* Edit24 = nullptr; // "Program Buses"
    TBusCountBox* Edit25 = nullptr; // "Aux Buses"
    QLineEdit* Edit23 = nullptr;    // "Label"
    QCheckBox* CheckBox17 = nullptr; // "Stereo"
    QCheckBox* CheckBox18 = nullptr; // "Limiter"
    QGroupBox* GroupBox23 = nullptr; // "Limiter Configuration"
    controls::TKVRPoti3* Poti6 = nullptr; // threshold
    QLabel* Panel5 = nullptr;
    controls::TKVRPoti3* Poti7 = nullptr; // release
    QLabel* Panel6 = nullptr;
    QLabel* Panel26 = nullptr; // talk 1 source
    QPushButton* Button46 = nullptr;
    QLabel* Panel27 = nullptr; // talk 1 condition
    QPushButton* Button47 = nullptr;
    QLabel* Panel28 = nullptr; // talk 2 source
    QPushButton* Button48 = nullptr;
    QLabel* Panel29 = nullptr; // talk 2 condition
    QPushButton* Button49 = nullptr;
    controls::TKVRPoti3* Poti8 = nullptr; // talk attenuation
    QLabel* Panel30 = nullptr;
    QLabel* Label77 = nullptr;      // "Output Selector Source List"
    QComboBox* ComboBox12 = nullptr;
    QCheckBox* CFOutDisabled = nullptr;
    QAction* MMDelete1 = nullptr;   // "Delete Clean Feed"

    void ListView13SelectItem();
    void BusCountClick(bool Program);
    void SelectTalkSource(int Kind);
    void SelectTalkCondition(int Kind);
    void DeleteCleanFeedClick();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void SourceDropped(QObject* Watched, QDropEvent& Drop);
    // The fill guard counts nested fills; while it is raised the change handlers store nothing.
    struct Guard {
        explicit Guard(int& Count) : FCount(Count) { ++FCount; }
        ~Guard() { --FCount; }
        int& FCount;
    };
    int SelectedRow() const;
    void RebuildAudioWindow();
    void ShowLimiter(bool On);
    int FFilling = 0;
};

} // namespace kvr::editors
