#pragma once
// What the two source windows share: a stay-on-top tool window of fixed width around a source
// tree, rebuilt when shown, kept on the screen, closed by Escape.

#include <QDialog>

#include "editors/sources/sourcedrag.h"

namespace kvr::editors {

class EditorHost;

class SourceWindow : public QDialog {
public:
    SourceWindow(EditorHost& Host, SourceDragKind Kind, const char* Name, const char* Caption, int Width, QWidget* Parent);

    SourceTreeWidget* TreeView1 = nullptr;

    // While held, the tree is filled once, when the last hold ends, with what it is to show then:
    // a page switch sets the tree's filter several times on its way to the page.
    void HoldFills() { ++FHolds; }
    void ReleaseFills();

protected:
    // Rebuilds what the window shows (on show and whenever a page asks).
    virtual void Rebuild() = 0;
    // Shows the tree (refilled or not), its selection and the controls that follow them.
    virtual void ShowTree(bool Refill) = 0;
    // The bottom panel the window fills with its controls.
    QWidget* BottomPanel() const { return FBottom; }

    void showEvent(QShowEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;

    EditorHost& FHost;
    // Set while the window fills its tree, so that the selection it restores is no user change.
    bool FFilling = false;
    // A hidden window fills its controls when it is shown; true when a refill waits for that.
    // Gives whether the controls are to be filled now.
    bool FillNow(bool& Refill);

private:
    QWidget* FBottom = nullptr;
    bool FPendingFill = false;
    int FHolds = 0;
    // A show was asked for while held.
    bool FHeldShow = false;
};

} // namespace kvr::editors
