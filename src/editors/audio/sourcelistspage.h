#pragma once
// The "Selector Source Lists" tab: lists 0-9 with their labels, the entries of the selected list
// and the editor of the selected entry, over SelectorSourceLists.

#include "editors/audio/audiotabpage.h"
#include "editors/common/sourcepicker.h"

class QCheckBox;
class QDropEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kvr::editors {

class SelectorSourceLists;

class TSourceListsPage : public AudioTabPage, public SourceTarget {
public:
    TSourceListsPage(EditorHost& Host, QWidget* Parent);
    ~TSourceListsPage() override;

    void TabShow() override;
    void FillSelectorSourceList();
    void RefreshSourceListEntry();

    // Audio-source window kinds 14 and 15.
    TargetSelection Selection(int Kind) override;
    void Refresh(int Kind, const PickedSource& Source) override;

    QListWidget* ListBox6 = nullptr;  // "Select Source List"
    QLineEdit* Edit27 = nullptr;      // "Source List Label"
    QTreeWidget* ListView20 = nullptr; // "Sources"
    QPushButton* Button53 = nullptr;  // "Add"
    QPushButton* Button55 = nullptr;  // "Insert"
    QPushButton* Button54 = nullptr;  // "Remove"
    QPushButton* Button56 = nullptr;  // "Clear List"
    QLabel* Label103 = nullptr;       // entries available
    QLabel* Panel31 = nullptr;        // left source
    QPushButton* Button12 = nullptr;  // "Select ..." left
    QLabel* Panel32 = nullptr;        // right source
    QPushButton* Button52 = nullptr;  // "Select ..." right
    QLineEdit* Edit28 = nullptr;      // "Display Text"
    QCheckBox* RSGlobalPoolSource = nullptr; // "Global Pool"

    void AddClick();
    void InsertClick();
    void RemoveClick();
    void ClearListClick();
    void SelectSource(int Kind);
    // Drops: a row of the table onto another row (move) or onto a list line (copy).
    void MoveEntry(int From, int To);
    void CopyEntry(int Row, int List);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void Dropped(QObject* Watched, QDropEvent& Drop);
    std::unique_ptr<SelectorSourceLists> Lists();
    int SelectedList() const;
    int SelectedEntry() const { return CurrentRow(ListView20); }
    void Register(SourceTarget* Target);
    void EnableEdits(bool Add, bool Remove);
    void ListLabels();
    // Sets the audio-source window to the device of the selected row.
    void PickerToRowDevice();

    bool FSourceListFilling = false;
};

} // namespace kvr::editors
