#include "service/factorytest/factorytestform.h"

#include <QDateTime>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/currentprompter.h"
#include "platform/documentprintservice.h"
#include "platform/printer.h"
#include "platform/prompter.h"
#include "platform/text1252.h"
#include "service/factorytest/factorytestprint.h"

namespace kvr::service {

namespace {

QString Text(const std::string& S) { return platform::fromCp1252(S); }

} // namespace

TFactoryTestFrm::TFactoryTestFrm(MaintenanceFrame& Frame, const TDeviceInfo_cza& Device, std::unique_ptr<HttpFetcher> Http,
                                 std::string BaseUrl, std::unique_ptr<platform::PrintService> Printers, QWidget* Parent)
    : QDialog(Parent), FHttp(std::move(Http)), FPrinters(std::move(Printers))
{
    FRun = std::make_unique<FactoryTestRun>(Frame, Device, *FHttp, std::move(BaseUrl));
    FStatusName = Device.Status.Name.substr(0, 10);
    FStatusName.erase(std::min(FStatusName.find('\0'), FStatusName.size()));
    if (!FPrinters)
        FPrinters = std::make_unique<platform::DocumentPrintService>(this);

    setObjectName("FactoryTestFrm");
    setWindowTitle("Factory Test Protocol");
    setModal(true);
    resize(720, 560);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setFont(QFont("Courier New", 9));
    layout->addWidget(Memo1, 1);

    FTControlPanel = new QWidget(this);
    FTControlPanel->setObjectName("FTControlPanel");
    FTControlPanel->setFixedHeight(80);
    auto* panel = new QVBoxLayout(FTControlPanel);
    Label1 = new QLabel(Text(FRun->Status), FTControlPanel);
    Label1->setObjectName("Label1");
    panel->addWidget(Label1);
    Progress = new QProgressBar(FTControlPanel);
    Progress->setObjectName("Progress");
    Progress->setRange(0, std::max(FRun->ProgressMax, 1));
    Progress->setValue(0);
    auto* row = new QHBoxLayout;
    row->addWidget(Progress, 1);
    btnPrint = new QPushButton("Print", FTControlPanel);
    btnPrint->setObjectName("btnPrint");
    btnSave = new QPushButton("Save to file ...", FTControlPanel);
    btnSave->setObjectName("btnSave");
    btnClose = new QPushButton("Close", FTControlPanel);
    btnClose->setObjectName("btnClose");
    btnPrint->setEnabled(false);
    btnSave->setEnabled(false);
    row->addWidget(btnPrint);
    row->addWidget(btnSave);
    row->addWidget(btnClose);
    panel->addLayout(row);
    layout->addWidget(FTControlPanel);

    connect(btnPrint, &QPushButton::clicked, this, &TFactoryTestFrm::Print);
    connect(btnSave, &QPushButton::clicked, this, &TFactoryTestFrm::Save);
    connect(btnClose, &QPushButton::clicked, this, [this] { done(1); });
    FRun->Changed = [this] { ShowState(); };
}

TFactoryTestFrm::~TFactoryTestFrm() = default;

bool TFactoryTestFrm::event(QEvent* Event)
{
    // The run starts when the window is first activated, after the activation is through. Later
    // activations (after its own message boxes and dialogs) keep what was read.
    if (Event->type() == QEvent::WindowActivate && !FStarted) {
        FStarted = true;
        QTimer::singleShot(0, this, [this] { StartRun(); });
    }
    return QDialog::event(Event);
}

void TFactoryTestFrm::ShowState()
{
    Label1->setText(Text(FRun->Status));
    Progress->setRange(0, std::max(FRun->ProgressMax, 1));
    Progress->setValue(FRun->Progress);
}

bool TFactoryTestFrm::StartRun()
{
    btnClose->setEnabled(false);
    btnPrint->setEnabled(false);
    btnSave->setEnabled(false);
    Memo1->clear();
    const bool ok = FRun->Run();
    QStringList lines;
    for (const std::string& l : FRun->Memo)
        lines << Text(l);
    Memo1->setPlainText(lines.join('\n'));
    ShowState();
    btnPrint->setEnabled(ok);
    btnSave->setEnabled(ok);
    btnClose->setEnabled(true);
    return ok;
}

void TFactoryTestFrm::Print()
{
    if (!FPrinters->ExecuteDialog())
        return;
    platform::Printer* p = FPrinters->CurrentPrinter();
    if (!p)
        return;
    FLayout = ComputePrintLayout(p->PageWidth(), p->PageHeight(), p->Orientation() == platform::PrinterOrientation::Landscape);
    FDoc.Clear();
    FDoc.LinesPerPage = FLayout.LinesPerPage;
    FRun->SetStatus("Preparing protocol output ...");
    BuildDocument(FDoc, FRun->Entries, FRun->DeviceName());
    FRun->SetStatus(std::to_string(FDoc.Pages.size() + 1) + " pages processed");
    const TPrintContext context{FRun->ProjectText(), FRun->DeviceName(),
                                platform::toCp1252(QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat))};
    PrintDocument(*p, FDoc, FRun->Entries, FLayout, context);
    const auto errors = p->TakeErrors();
    if (!errors.empty())
        FRun->SetStatus(errors.front());
}

void TFactoryTestFrm::Save()
{
    platform::FileChoice choice;
    choice.filter = "Text|*.txt";
    choice.defaultExt = "txt";
    choice.fileName = Text(ProposedFileName(FRun->DeviceName()));
    const auto path = platform::prompter().saveFileName(choice);
    if (!path)
        return;
    FDoc.Clear();
    FDoc.LinesPerPage = 255;
    FRun->SetStatus("Preparing protocol output ...");
    BuildDocument(FDoc, FRun->Entries, FRun->DeviceName());
    FRun->SetStatus(std::to_string(FDoc.Pages.size() + 1) + " pages processed");
    if (!WriteProtocolFile(path->toStdString(), FDoc, FRun->Entries, {FRun->ProjectText(), FStatusName}))
        FRun->SetStatus("The protocol could not be written to " + platform::toCp1252(*path));
}

void TFactoryTestFrm::reject()
{
    // Escape and the window's close box wait for the run like "Close" does.
    if (btnClose->isEnabled())
        QDialog::reject();
}

} // namespace kvr::service
