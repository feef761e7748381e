#pragma once
// The Channel Assignment page: fader strips and their channels, the chain of the selected fader
// and its global potentiometer, over the ChannelAssignment rules.

#include <QWidget>

#include <memory>

class QComboBox;
class QDropEvent;
class QMimeData;
class QTreeWidgetItem;
class QGroupBox;
class QPushButton;
class QTreeWidget;

namespace kvr::editors {

class EditorHost;
class ChannelAssignment;

class TChannelAssignmentPage : public QWidget {
public:
    TChannelAssignmentPage(EditorHost& Host, QWidget* Parent);

    void FillChannelAssignment();
    // The selected fader's configuration; hides it (after 50 ms) without a selected fader.
    void ListView6SelectItem();

    QTreeWidget* ListView6 = nullptr; // "Fader", "Assigned channel"
    QTreeWidget* ListView7 = nullptr; // "Defined Channels"
    QPushButton* Button26 = nullptr;  // "<<" assign
    QPushButton* Button27 = nullptr;  // ">>" unassign
    QGroupBox* GroupBox22 = nullptr;  // "Fader configuration"
    QTreeWidget* ListView9 = nullptr; // "Selected DSP-Functions"
    QTreeWidget* ListView8 = nullptr; // "Available DSP-Functions"
    QPushButton* Button28 = nullptr;  // "<<" add a function
    QPushButton* Button29 = nullptr;  // ">>" remove a function
    QComboBox* ComboBox8 = nullptr;   // "Global Potentiometer"

    void AssignClick();
    void UnassignClick();
    void AddFunctionClick();
    void RemoveFunctionClick();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // The device's rules; null without a current device.
    std::unique_ptr<ChannelAssignment> Rules();
    // The list a drag over Target comes from, when Target takes it; null otherwise.
    QTreeWidget* DragSource(QTreeWidget* Target, const QMimeData* Data) const;
    bool LandsAt(QTreeWidget* Target, const QDropEvent& Drag) const;
    void Drop(QTreeWidget* Target, QTreeWidget* From, QTreeWidgetItem* Under);
    int SelectedFader() const;
    void SelectFader(int Fader);

    EditorHost& FHost;
    bool FFillingAssignment = false;
};

} // namespace kvr::editors
