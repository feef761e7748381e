#pragma once
// The tabs of the Audio System page that edit the device directly (monitor functions, input
// pools, synchronisation, potentiometer, mute logics, selector source lists, group logic): each a
// thin widget over its controller, placed into its tab of the page control and filled when the
// tab is shown.

#include <QWidget>

class QTabWidget;
class QTreeWidget;

namespace kvr::model {
class TProject;
class TDevice;
}

namespace kvr::editors {

class EditorHost;
class AudioPageHost;

class AudioTabPage : public QWidget {
public:
    AudioTabPage(EditorHost& Host, QWidget* Parent) : QWidget(Parent), FHost(Host) {}
    // Show and hide events of the tab.
    virtual void TabShow() = 0;
    virtual void TabHide() {}

protected:
    // Null without a project or a current (non-dummy) device.
    model::TDevice* Device() const;
    model::TProject* Project() const;
    int DeviceIndex() const;

    EditorHost& FHost;
};

// Puts the pages into the tabs of the Audio System page control, by tab caption.
void BuildAudioTabPages(EditorHost& Host, QTabWidget* Tabs);
// The frames that live while their tab shows ("Inserts", "Global Pool"), built by the page host into their tab.
void InstallAudioTabFrames(EditorHost& Host, AudioPageHost& Pages, QTabWidget* Tabs);
// The page in a tab, null for the tabs without one.
AudioTabPage* AudioTabPageOf(QWidget* Tab);

// List helpers of the pages.
int CurrentRow(const QTreeWidget* List);
void SelectRow(QTreeWidget* List, int Row);

} // namespace kvr::editors
