// The main window's side of the project root's page and of the global logic monitor: the page
// on its panel, the menu command that opens the monitor, and the hand-over of what the client
// receives. The rules live in projectpages/.
#include <QAction>
#include <QGridLayout>
#include <QProgressBar>
#include <QTreeWidgetItem>

#include "app/appforms.h"
#include "app/devicepages/devicepanel.h"
#include "app/frameio/linkadapt.h"
#include "app/frameio/linkselectform.h"
#include "app/frameio/linksheet.h"
#include "app/frameio/slotpanel.h"
#include "app/frameio/sourcewindows.h"
#include "app/processform.h"
#include "app/mainform.h"
#include "app/projectpages/glprotoform.h"
#include "app/projectpages/projectpanel.h"
#include "client/kvrcommunicationclient.h"
#include "editors/audio/outfktpagewidget.h"
#include "editors/audio/outputroutingwidget.h"
#include "editors/common/sourceassign.h"
#include "editors/sources/reswindow.h"
#include "editors/sources/sourcedrag.h"

namespace kvr::app {

namespace {

// The Global Logics tab as the logic-source window's kind-13 target: the window writes the
// sender of the selected row itself, then the tab shows that row again.
class GlobalLogicTarget : public editors::SourceTarget {
public:
    explicit GlobalLogicTarget(ProjectPanel& Page) : FPage(Page) {}
    editors::TargetSelection Selection(int) override
    {
        return {FPage.Logics() ? FPage.Logics()->Selected() : -1};
    }
    void Refresh(int, const editors::PickedSource&) override { FPage.RefreshGlobalLogicRow(); }

private:
    ProjectPanel& FPage;
};

// AdaptLink's stereo-user progress on the progress window.
struct ProcessFormProgress : frameio::LinkProgress {
    void Start(int Maximum) override
    {
        if (!ProcessForm)
            return;
        ProcessForm->ProgressBar->setRange(0, Maximum);
        ProcessForm->ProgressBar->setValue(0);
        ProcessForm->show();
    }
    void Step() override
    {
        if (ProcessForm)
            ProcessForm->ProgressBar->setValue(ProcessForm->ProgressBar->value() + 1);
    }
    void Finish() override
    {
        if (ProcessForm)
            ProcessForm->hide();
    }
};
ProcessFormProgress LinkProgressWindow;
} // namespace


editors::LogicSourcePicker* TCX4AppForm::GlobalLogicPicker()
{
    editors::LogicSourcePicker* picker = LogicSources();
    if (picker && FGlobalLogicTarget)
        picker->SetTarget(editors::ltGlobalLogic, FGlobalLogicTarget.get());
    return picker;
}

void TCX4AppForm::BuildProjectPage()
{
    auto* page = findChild<QWidget*>("ProjectPanel");
    if (!page)
        return;
    ProjectPanelHost host;
    host.Project = [this] { return FProject ? FProject->Model() : nullptr; };
    host.ServiceLevel = [this] { return FServiceLevel; };
    host.ProjectRenamed = [this](const QString& Text) {
        if (FTreeRoot)
            FTreeRoot->setText(0, Text);
        UpdateCaption();
    };
    host.Log = [this](const std::string& Text, int Level) { KVRLog.Message(Text, Level); };
    host.IsLogicSourceDrag = [](const QMimeData* Data) {
        return editors::IsSourceDrag(Data, editors::SourceDragKind::Logic);
    };
    PageControl1 = new ProjectPanel(std::move(host), page);
    FGlobalLogicTarget = std::make_unique<GlobalLogicTarget>(*PageControl1);
    // The logic-source window is created after the main window: it is looked up at each use.
    PageControl1->Picker.Rebuild = [this](int GroupFilter) {
        if (editors::LogicSourcePicker* picker = GlobalLogicPicker()) {
            picker->SetGroupFilter(GroupFilter);
            picker->BuildSourceTree();
        }
    };
    PageControl1->Picker.PickSender = [this](std::uint16_t Source, int Device) {
        if (editors::LogicSourcePicker* picker = GlobalLogicPicker()) {
            picker->ShowPicker();
            picker->SetTargetKind(editors::ltGlobalLogic);
            picker->SetGroupFilter(SourceFilterAllDevices);
            picker->BuildSourceTree();
            picker->SelectLogicSourceAt(Source, Device);
        }
    };
    PageControl1->Picker.AssignDropped = [this] {
        if (editors::LogicSourcePicker* picker = GlobalLogicPicker()) {
            picker->SetTargetKind(editors::ltGlobalLogic);
            picker->Assign(editors::AssignSender::Page);
        }
    };
    auto* layout = new QGridLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PageControl1, 0, 0);
    auto* links = new frameio::TLinkSheet(PageControl1->LinkSheet);
    (new QGridLayout(PageControl1->LinkSheet))->addWidget(links, 0, 0);
    links->Project = [this] { return FProject ? FProject->Model() : nullptr; };
    links->Dialog = [this]() -> frameio::LinkDialog* {
        if (LinkSelectForm)
            LinkSelectForm->Project = FProject ? FProject->Model() : nullptr;
        return LinkSelectForm;
    };
    links->Progress = &LinkProgressWindow;
    PageControl1->LinkSheetShow = [links] { links->LinkSheetShow(); };
    if (auto* slotPanel = findChild<frameio::TSlotPanel*>())
        slotPanel->LinkProgressSink = &LinkProgressWindow;
    if (QAction* action = Action("GlobalLogicStates1"))
        connect(action, &QAction::triggered, this, &TCX4AppForm::GlobalLogicStates1Click);
}

void TCX4AppForm::ReleasePages()
{
    DestroyLogicPage();
    delete OutputFunctionsPage;
    OutputFunctionsPage = nullptr;
    delete OutputRoutingPage;
    OutputRoutingPage = nullptr;
    if (PageControl1)
        PageControl1->Picker = {};
    if (ResWindow)
        ResWindow->SetTarget(editors::ltGlobalLogic, nullptr);
    if (FDevicePage)
        FDevicePage->ReleaseSources();
    if (FFrameSources)
        FFrameSources->Release();
}

void TCX4AppForm::GlobalLogicStates1Click()
{
    if (!GLProtoForm)
        return;
    std::function<void(TUDPMsg&)> send;
    if (FDCC)
        send = [this](TUDPMsg& Msg) {
            if (FDCC)
                FDCC->SendUDPBlock(Msg);
        };
    GLProtoForm->Open([this] { return FProject ? FProject->Model() : nullptr; }, std::move(send));
}

void TCX4AppForm::DCCBroadcastReceived(const TUDPMsg& Msg)
{
    if (GLProtoForm && !FTerminating)
        GLProtoForm->DCCBroadcastReceived(Msg);
}

void TCX4AppForm::DCCCANBlockReceived(const KVRCANBlock& Block)
{
    if (GLProtoForm && FDCC && !FTerminating)
        GLProtoForm->DCCCANBlockReceived(Block, FDCC->GetHostIP());
}

} // namespace kvr::app
