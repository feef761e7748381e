#pragma once
// The "Group Logic" and "Mute Logics" tabs, over GroupLogic and MuteLogics.

#include <array>

#include "editors/audio/audiotabpage.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;

namespace kvr::editors {

class TGroupLogicPage : public AudioTabPage {
public:
    TGroupLogicPage(EditorHost& Host, QWidget* Parent);

    void TabShow() override { FillGroupLogicPage(); }
    // Leaving the tab clears the groups that lack a bus or a channel.
    void TabHide() override;
    void FillGroupLogicPage();

    std::array<QComboBox*, 4> GroupPGMLogicBox{}; // "Group program bus 1" ...
    std::array<QComboBox*, 4> GroupFCHLogicBox{}; // "Group fader channel 1" ...

private:
    void BusChosen(int Group);
    void ChannelChosen(int Group);
};

class TMuteLogicsPage : public AudioTabPage {
public:
    TMuteLogicsPage(EditorHost& Host, QWidget* Parent);

    void TabShow() override;

    QCheckBox* PFL_ML_Box = nullptr; // "PFL activates Mute Logic"
    QListWidget* ListBox5 = nullptr; // "Mute Logics"
    QLineEdit* Edit1 = nullptr;      // "Label"

private:
    bool FTabGuard = false;
    bool FEditGuard = false;
};

} // namespace kvr::editors
