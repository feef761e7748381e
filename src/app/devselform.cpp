#include "app/devselform.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace kvr::app {

TDevSelForm::TDevSelForm(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("DevSelForm");
    setWindowTitle("Device Selection");
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(475, 238);

    auto* group = new QGroupBox("Select the device you want to use", this);
    group->setObjectName("GroupBox1");
    ListBox1 = new QListWidget(group);
    ListBox1->setObjectName("ListBox1");
    // Three columns: items flow top to bottom and wrap into the next column.
    ListBox1->setFlow(QListView::TopToBottom);
    ListBox1->setWrapping(true);
    ListBox1->setResizeMode(QListView::Adjust);
    ListBox1->setGridSize(QSize(145, 18));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(ListBox1);

    Button1 = new QPushButton("Select", this);
    Button1->setObjectName("Button1");
    Button2 = new QPushButton("Cancel", this);
    Button2->setObjectName("Button2");
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, &TDevSelForm::ListBox1Click);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { accept(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group, 1);
    layout->addLayout(buttons);
}

void TDevSelForm::ListBox1Click()
{
    Button1->setEnabled(!ListBox1->selectedItems().isEmpty());
}

void TDevSelForm::showEvent(QShowEvent* Event)
{
    ListBox1Click();
    QDialog::showEvent(Event);
}

} // namespace kvr::app
