#include "service/firmware/progressform.h"

#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace kvr::service {

TProgressForm::TProgressForm(QWidget* Owner) : QDialog(Owner)
{
    setObjectName("ProgressForm");
    setWindowTitle("Progress");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Update in progress...", this));
    ProgressBar = new QProgressBar(this);
    layout->addWidget(ProgressBar);
    CancelBtn = new QPushButton("Cancel", this);
    layout->addWidget(CancelBtn, 0, Qt::AlignHCenter);
    connect(CancelBtn, &QPushButton::clicked, this, [this] { CancelRequested = true; });
    resize(320, 110);
}

void TProgressForm::changeEvent(QEvent* Event)
{
    QDialog::changeEvent(Event);
    // While the bar runs the window stays in front.
    if (Event->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible() &&
        ProgressBar->value() < ProgressBar->maximum())
        QTimer::singleShot(0, this, [this] {
            raise();
            activateWindow();
        });
}

void TProgressForm::reject()
{
    CancelRequested = true;
}

} // namespace kvr::service
