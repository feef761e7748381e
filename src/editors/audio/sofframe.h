#pragma once
// The "Super Output Functions" page's frame: the SOF list and the sources of one input of the
// selected SOF, over SOFEditor. It exists while the page shows (the page host builds and frees
// it) and serves the audio-source window's kind 16 and the logic-source window's kind 19.

#include <QWidget>

#include "editors/audio/audiopagehost.h"
#include "editors/sources/sourcedrag.h"
#include "editors/common/sourcepicker.h"

class QAction;
class QDropEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace kvr::editors {

class EditorHost;

class TSOFFrame : public QWidget, public EditorFrame, public SourceTarget {
public:
    TSOFFrame(EditorHost& Host, QWidget* Owner, int DeviceIndex);
    ~TSOFFrame() override;

    void FillSOFList();
    void ShowInput();

    TargetSelection Selection(int Kind) override;
    void Take(int Kind, const PickedSource& Source, const TargetSelection& Selection) override;

    QListWidget* SOFList = nullptr;
    QPushButton* AddButton = nullptr;
    QPushButton* RemoveButton = nullptr;
    QLineEdit* txtSOFName = nullptr;
    QListWidget* InputList = nullptr;
    QTreeWidget* SourceList = nullptr; // "Condition", "Source", "Level"
    QLabel* Panel1 = nullptr;          // condition
    QLabel* Panel2 = nullptr;          // source
    QLabel* lblPhase = nullptr;
    QAction* InsertSource = nullptr;
    QAction* RemoveSource = nullptr;
    QAction* SetLevelOff = nullptr;
    QAction* SelectCondition = nullptr;
    QAction* SelectSource = nullptr;

    void AddSOF();
    void DelSOF();
    void SelectSourceClick();
    void SelectConditionClick();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    int SelectedSOF() const;
    int SelectedInput() const;
    int SelectedRow() const;
    void SOFListClick();
    void RowSelected();
    bool SourceLandsAt(const QDropEvent& Drag) const;
    void SourceDropped(QDropEvent& Drop);

    EditorHost& FHost;
    int FDeviceIndex;
    bool FUpdating = false;
    ArmedDrag FRowDrag;
};

// Builds the frame into the page panel while the page shows.
void InstallSOFFrame(EditorHost& Host, AudioPageHost& Pages, QWidget* Panel);

} // namespace kvr::editors
