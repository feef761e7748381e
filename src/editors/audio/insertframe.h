#pragma once
// The "Inserts" tab's frame: fixed insert points per fader strip and the four switchable insert
// points, over InsertPoints. It exists while the tab shows (the page host builds and frees it)
// and serves the audio-source window's kinds 17 and 19 meanwhile.

#include <QWidget>

#include "editors/audio/audiopagehost.h"
#include "editors/common/sourcepicker.h"

class QDropEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace kvr::controls {
class TUpDown;
}

namespace kvr::editors {

class EditorHost;

class TInsertFrame : public QWidget, public EditorFrame, public SourceTarget {
public:
    TInsertFrame(EditorHost& Host, QWidget* Owner, int DeviceIndex);
    ~TInsertFrame() override;

    void FillFixedInserts();
    void FillSwitchableInserts();
    void EnableFixedInsertEdit(bool Enable);
    void EnableSwitchableInsertEdit(bool Enable);

    // Audio-source window kinds 17 (fixed insert source) and 19 (switchable insert return).
    TargetSelection Selection(int Kind) override;
    void Take(int Kind, const PickedSource& Source, const TargetSelection& Selection) override;

    QTreeWidget* FaderList = nullptr; // "Fader", "Assigned Channel", "Prefader Source"
    QLabel* FixedInsertSource = nullptr;
    QPushButton* Button1 = nullptr;
    QTreeWidget* SIList = nullptr;    // "Insert Point Label", "Insert Send", "Insert Return"
    QLabel* SISource = nullptr;
    QPushButton* Button2 = nullptr;
    QLineEdit* SILabel = nullptr;
    // The routing selector as typed, 1-768; the up-down steps it and hands the focus to it.
    QLineEdit* SISelEdit = nullptr;
    controls::TUpDown* SISelector = nullptr;
    QPushButton* SIClear = nullptr;

    void SelectSource(int Kind);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    bool SourceLandsAt(QTreeWidget* List, const QDropEvent& Drag) const;
    void SourceDropped(QObject* Watched, QTreeWidget* List, QDropEvent& Drop);
    void FixedSelected();
    void SwitchableSelected();
    void RoutingEdited(const QString& Text);

    EditorHost& FHost;
    int FDeviceIndex;
    bool FInRouting = false;
    bool FInLabel = false;
};

} // namespace kvr::editors
