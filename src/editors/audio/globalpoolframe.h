#pragma once
// The "Global Pool" tab's frame: the line source device, the pool lines and each line's local
// input and reservation, over GlobalPoolEditor. It exists while the tab shows.

#include <QWidget>

#include "editors/audio/audiopagehost.h"

class QAction;
class QComboBox;
class QPushButton;
class QTreeWidget;

namespace kvr::editors {

class EditorHost;

class TGlobalPoolFrame : public QWidget, public EditorFrame {
public:
    TGlobalPoolFrame(EditorHost& Host, QWidget* Owner, int DeviceIndex);

    void Refresh();

    QComboBox* SourceDevBox = nullptr; // "Line Source Device"
    QTreeWidget* Lines = nullptr;      // "#", "Line", "Local Input", "Remote Output", "Reserved for"
    QComboBox* InputBox = nullptr;     // "Local Input"
    QComboBox* ReserveLineBox = nullptr; // "Reserve for"
    QPushButton* AddLineButton = nullptr;
    QPushButton* RemoveLineButton = nullptr;
    QAction* AddLine = nullptr;
    QAction* RemoveLine = nullptr;

private:
    void LinesSelectItem();
    void Changed(int SelectRow);

    EditorHost& FHost;
    int FDeviceIndex;
};

} // namespace kvr::editors
