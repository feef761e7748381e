#include "editors/sources/sourcewindow.h"

#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

namespace kvr::editors {

SourceWindow::SourceWindow(EditorHost& Host, SourceDragKind Kind, const char* Name, const char* Caption, int Width,
                           QWidget* Parent)
    : QDialog(Parent), FHost(Host)
{
    setObjectName(QString::fromLatin1(Name));
    setWindowTitle(QString::fromLatin1(Caption));
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(false);
    setFixedWidth(Width);
    setMinimumHeight(200);
    resize(Width, 400);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    TreeView1 = new SourceTreeWidget(Kind, this);
    TreeView1->setObjectName("TreeView1");
    layout->addWidget(TreeView1, 1);
    FBottom = new QWidget(this);
    FBottom->setObjectName("Panel1");
    layout->addWidget(FBottom);
}

bool SourceWindow::FillNow(bool& Refill)
{
    Refill = Refill || FPendingFill;
    const bool now = isVisible() && FHolds == 0;
    FPendingFill = Refill && !now;
    FHeldShow = FHeldShow || (isVisible() && !now);
    return now;
}

void SourceWindow::ReleaseFills()
{
    if (FHolds > 0 && --FHolds == 0 && FHeldShow) {
        FHeldShow = false;
        ShowTree(false);
    }
}

void SourceWindow::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    Rebuild();
    // A window stored for a larger screen comes back onto this one.
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        QPoint at = pos();
        if (at.x() > area.width() - 10)
            at.setX(area.width() - width());
        if (at.y() > area.height() - 10)
            at.setY(area.height() - height());
        if (at != pos())
            move(at);
    }
}

void SourceWindow::keyPressEvent(QKeyEvent* Event)
{
    if (Event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QDialog::keyPressEvent(Event);
}

} // namespace kvr::editors
