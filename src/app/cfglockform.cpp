#include "app/cfglockform.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/text1252.h"

namespace kvr::app {

TCFGLockForm::TCFGLockForm(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("CFGLockForm");
    setWindowTitle("Operation not allowed");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(525, 296);

    auto* layout = new QVBoxLayout(this);
    auto* info = new QLabel("In the current configuration state you can not save, export or load any data to a device.", this);
    info->setObjectName("Label1");
    info->setWordWrap(true);
    auto* problems = new QLabel("Problems:", this);
    problems->setObjectName("Label2");

    List = new QTreeWidget(this);
    List->setObjectName("List");
    List->setColumnCount(3);
    List->setHeaderLabels({"Device", "Problem", "Possible solution"});
    List->setRootIsDecorated(false);
    List->setSelectionBehavior(QAbstractItemView::SelectRows);
    List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List->header()->setSectionsClickable(false);
    List->header()->setStretchLastSection(true);
    List->setColumnWidth(0, 100);
    List->setColumnWidth(1, 200);

    Button1 = new QPushButton("Close", this);
    Button1->setObjectName("Button1");
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    layout->addWidget(info);
    layout->addWidget(problems);
    layout->addWidget(List, 1);
    layout->addWidget(Button1, 0, Qt::AlignHCenter);
}

void TCFGLockForm::FillList(const std::vector<CheckListRow>& Rows)
{
    List->clear();
    for (const CheckListRow& row : Rows) {
        auto* item = new QTreeWidgetItem(List);
        item->setText(0, platform::fromCp1252(row.Device));
        item->setText(1, platform::fromCp1252(row.Problem));
        item->setText(2, platform::fromCp1252(row.Solution));
    }
}

void TCFGLockForm::showEvent(QShowEvent* Event)
{
    FillList(RowSource ? RowSource() : std::vector<CheckListRow>{});
    QDialog::showEvent(Event);
}

} // namespace kvr::app
