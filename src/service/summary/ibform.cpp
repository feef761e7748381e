#include "service/summary/ibform.h"

#include <QApplication>
#include <QClipboard>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "model/atomicfile.h"
#include "platform/currentprompter.h"
#include "platform/prompter.h"
#include "platform/text1252.h"

namespace kvr::service {

namespace {

QString Text(const std::string& S) { return platform::fromCp1252(S); }

} // namespace

TIBForm::TIBForm(const model::TProject& Project, std::unique_ptr<TKVRCommunicationClient> Client, TSummaryServices Services,
                 QWidget* Parent)
    : QDialog(Parent), FSummary(std::make_unique<ProjectSummary>(std::move(Client), Project, std::move(Services)))
{
    setObjectName("IBForm");
    setWindowTitle("Create project summary");
    setFixedSize(631, 501);

    auto* layout = new QVBoxLayout(this);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    layout->addWidget(PageControl1, 1);

    auto* input = new QWidget;
    input->setObjectName("TabSheet1");
    auto* grid = new QGridLayout(input);
    auto edit = [input](const char* Name, const QString& Value) {
        auto* e = new QLineEdit(Value, input);
        e->setObjectName(Name);
        platform::RefuseBeyondCp1252(e);
        return e;
    };
    txtPRID = edit("txtPRID", {});
    txtPRID->setReadOnly(true);
    txtCustomer = edit("txtCustomer", "Customer");
    txtOrder = edit("txtOrder", "Order");
    grid->addWidget(new QLabel("Project", input), 0, 0);
    grid->addWidget(txtPRID, 0, 1, 1, 3);
    grid->addWidget(new QLabel("Customer", input), 1, 0);
    grid->addWidget(txtCustomer, 1, 1, 1, 3);
    grid->addWidget(new QLabel("Order number", input), 2, 0);
    grid->addWidget(txtOrder, 2, 1, 1, 3);
    grid->addWidget(new QLabel("Devices:", input), 3, 0, 1, 4);
    DevList = new QTreeWidget(input);
    DevList->setObjectName("DevList");
    DevList->setRootIsDecorated(false);
    DevList->setSelectionBehavior(QAbstractItemView::SelectRows);
    DevList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DevList->setHeaderLabels({"Device", "Type", "Frm SN", "Pwr SN", "Online", "Address", "MAC/SN"});
    for (const auto& [column, width] : std::vector<std::pair<int, int>>{{0, 100}, {1, 80}, {4, 45}, {5, 90}, {6, 70}})
        DevList->setColumnWidth(column, width);
    grid->addWidget(DevList, 4, 0, 1, 4);
    lblFrameSN = new QLabel("Frame Serial Number:", input);
    lblFrameSN->setObjectName("lblFrameSN");
    txtFrameSN = edit("txtFrameSN", "0");
    lblPowerSN = new QLabel("Power supply frame Serial Number:", input);
    lblPowerSN->setObjectName("lblPowerSN");
    txtPowerSN = edit("txtPowerSN", "0");
    grid->addWidget(lblFrameSN, 5, 0);
    grid->addWidget(txtFrameSN, 5, 1);
    grid->addWidget(lblPowerSN, 6, 0);
    grid->addWidget(txtPowerSN, 6, 1);
    btnGen = new QPushButton("Generate!", input);
    btnGen->setObjectName("btnGen");
    grid->addWidget(btnGen, 5, 3);
    btnStop = new QPushButton("Stop", input);
    btnStop->setObjectName("btnStop");
    btnStop->setEnabled(false);
    grid->addWidget(btnStop, 6, 3);
    PB = new QProgressBar(input);
    PB->setObjectName("PB");
    PB->setRange(0, 100);
    PB->setValue(0);
    grid->addWidget(PB, 7, 0, 1, 4);
    lblProgress = new QLabel(input);
    lblProgress->setObjectName("lblProgress");
    grid->addWidget(lblProgress, 8, 0, 1, 4);
    PageControl1->addTab(input, "Input");

    auto* output = new QWidget;
    output->setObjectName("TabSheet2");
    auto* outLayout = new QVBoxLayout(output);
    Out = new QPlainTextEdit(output);
    Out->setObjectName("Out");
    Out->setLineWrapMode(QPlainTextEdit::NoWrap);
    Out->setFont(QFont("Courier New", 9));
    outLayout->addWidget(Out, 1);
    auto* outButtons = new QHBoxLayout;
    Button1 = new QPushButton("Save to File ...", output);
    Button1->setObjectName("Button1");
    Button3 = new QPushButton("Copy to Clipboard", output);
    Button3->setObjectName("Button3");
    outButtons->addWidget(Button1);
    outButtons->addWidget(Button3);
    outButtons->addStretch(1);
    outLayout->addLayout(outButtons);
    PageControl1->addTab(output, "Output");

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    Button2 = new QPushButton("Close", this);
    Button2->setObjectName("Button2");
    bottom->addWidget(Button2);
    layout->addLayout(bottom);

    Update = new QTimer(this);
    Update->setInterval(1000);

    connect(Button2, &QPushButton::clicked, this, [this] {
        if (FSummary->Running())
            CloseWhenStopped();
        else
            done(1);
    });
    connect(btnGen, &QPushButton::clicked, this, &TIBForm::Generate);
    connect(btnStop, &QPushButton::clicked, this, [this] { FSummary->Stop(); });
    connect(Button1, &QPushButton::clicked, this, &TIBForm::SaveToFile);
    connect(Button3, &QPushButton::clicked, this, &TIBForm::CopyToClipboard);
    connect(DevList, &QTreeWidget::itemClicked, this, [this] { DevListClick(); });
    connect(txtFrameSN, &QLineEdit::textEdited, this, [this](const QString& T) {
        FSummary->FrameSNChanged(SelectedRow(), platform::toCp1252(T));
        ShowList();
    });
    connect(txtPowerSN, &QLineEdit::textEdited, this, [this](const QString& T) {
        FSummary->PowerSNChanged(SelectedRow(), platform::toCp1252(T));
        ShowList();
    });
    connect(Update, &QTimer::timeout, this, &TIBForm::ShowList);
    FSummary->Changed = [this] {
        PB->setRange(0, std::max(FSummary->ProgressMax, 1));
        PB->setValue(FSummary->Progress);
        lblProgress->setText(Text(FSummary->ProgressText));
    };
}

TIBForm::~TIBForm() = default;

void TIBForm::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    if (FShown)
        return;
    FShown = true;
    FSummary->Show();
    txtPRID->setText(Text(FSummary->ProjectText()));
    PageControl1->setCurrentIndex(0);
    DevListClick();
    Update->start();
}

int TIBForm::SelectedRow() const
{
    const auto* item = DevList->currentItem();
    return item && item->isSelected() ? DevList->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) : -1;
}

void TIBForm::ShowList()
{
    const int selected = SelectedRow();
    const auto rows = FSummary->ShowList();
    DevList->setUpdatesEnabled(false);
    DevList->clear();
    for (const TSummaryRow& r : rows)
        new QTreeWidgetItem(DevList, {Text(r.Device), Text(r.Type), Text(r.FrameSN), Text(r.PowerSN), Text(r.Online),
                                      Text(r.Address), Text(r.MacSN)});
    if (selected >= 0 && selected < DevList->topLevelItemCount())
        DevList->setCurrentItem(DevList->topLevelItem(selected));
    DevList->setUpdatesEnabled(true);
}

void TIBForm::DevListClick()
{
    if (SelectedRow() < 0)
        return;
    const TSerialEdits e = FSummary->Select(SelectedRow());
    lblFrameSN->setEnabled(e.FrameEnabled);
    txtFrameSN->setEnabled(e.FrameEnabled);
    txtFrameSN->setText(Text(e.FrameText));
    lblPowerSN->setEnabled(e.PowerEnabled);
    txtPowerSN->setEnabled(e.PowerEnabled);
    txtPowerSN->setText(Text(e.PowerText));
}

void TIBForm::Generate()
{
    btnGen->setEnabled(false);
    btnStop->setEnabled(true);
    const bool made = FSummary->Generate(platform::toCp1252(txtOrder->text()), platform::toCp1252(txtCustomer->text()));
    btnStop->setEnabled(false);
    if (made) {
        // The memo is never cleared: each run appends, after whatever the user typed there.
        for (const std::string& l : FSummary->LastRun)
            Out->appendPlainText(Text(l));
        PageControl1->setCurrentIndex(1);
    }
    btnGen->setEnabled(true);
    if (FCloseWhenStopped) {
        FCloseWhenStopped = false;
        done(1);
    }
}

void TIBForm::CloseWhenStopped()
{
    FCloseWhenStopped = true;
    FSummary->Stop();
}

void TIBForm::SaveToFile()
{
    platform::FileChoice choice;
    choice.filter = "Text|*.txt";
    choice.defaultExt = "txt";
    choice.fileName = Text(SummaryFileName(FSummary->ProjectName()));
    const auto path = platform::prompter().saveFileName(choice);
    if (!path)
        return;
    std::string text;
    for (const QString& line : Out->toPlainText().split('\n'))
        text += platform::toCp1252(line) + "\n";
    model::AtomicFileWriter w(path->toStdString());
    if (!w.Open() || !w.Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())) || !w.Commit())
        platform::prompter().showMessage("The summary could not be saved to " + *path + ".");
}

void TIBForm::CopyToClipboard()
{
    Out->selectAll();
    QApplication::clipboard()->setText(Out->toPlainText());
}

void TIBForm::keyPressEvent(QKeyEvent* Event)
{
    // Escape stops a run and leaves the dialog open; without a run it closes the dialog.
    if (Event->key() == Qt::Key_Escape && FSummary->Running()) {
        FSummary->Stop();
        return;
    }
    QDialog::keyPressEvent(Event);
}

void TIBForm::reject()
{
    // The window's own close during a run waits for the scan to stop, as Close does.
    if (FSummary->Running())
        CloseWhenStopped();
    else
        QDialog::reject();
}

} // namespace kvr::service
