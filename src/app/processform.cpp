#include "app/processform.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QProgressBar>
#include <QScreen>

namespace kvr::app {

TProcessForm::TProcessForm(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("ProcessForm");
    setWindowTitle("Process");
    // Single border without any border icons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(407, 33);
    setModal(false);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setGeometry(7, 8, 393, 16);
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

bool TProcessForm::Complete() const
{
    return ProcessMayClose(isVisible(), ProgressBar->value(), ProgressBar->maximum());
}

void TProcessForm::closeEvent(QCloseEvent* Event)
{
    if (Complete())
        Event->accept();
    else
        Event->ignore();
}

void TProcessForm::reject()
{
    // Escape and the window manager's close both come here; neither may end the window early.
    if (Complete())
        QDialog::reject();
}

void TProcessForm::keyPressEvent(QKeyEvent* Event)
{
    if (Event->key() == Qt::Key_Escape) {
        if (ProgressBar->value() >= ProgressBar->maximum()) {
            show();
            close();
        }
        return;
    }
    QDialog::keyPressEvent(Event);
}

void TProcessForm::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    raise();
}

void TProcessForm::changeEvent(QEvent* Event)
{
    QDialog::changeEvent(Event);
    if (Event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow()) {
        raise();
        activateWindow();
    }
}

} // namespace kvr::app
