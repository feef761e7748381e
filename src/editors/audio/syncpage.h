#pragma once
// The "Synchronisation" tab: sync sources, sample rate and sync switches, over Synchronisation.

#include "editors/audio/audiotabpage.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QRadioButton;

namespace kvr::editors {

struct SyncView;

class TSynchronisationPage : public AudioTabPage {
public:
    TSynchronisationPage(EditorHost& Host, QWidget* Parent);

    void TabShow() override;

    QGroupBox* Group = nullptr;           // "Synchronisation"
    QComboBox* ComboBox9 = nullptr;       // "Sync Source 1"
    QComboBox* ComboBox10 = nullptr;      // "Sync Source 2"
    QRadioButton* RadioButton5 = nullptr; // "48 kHz"
    QRadioButton* RadioButton6 = nullptr; // "44.1 kHz"
    QCheckBox* SyncBNCOut = nullptr;      // "Slot 10 BNC as Output"
    QCheckBox* SyncVCXO = nullptr;        // "Disable VCXO on BP2/3"
    QCheckBox* SyncVariSpeed = nullptr;   // "VariSpeed"

private:
    void SourceChosen(int Source);
    void ShowBNCOut(const SyncView& View);
    bool FFillingSync = false;
};

} // namespace kvr::editors
