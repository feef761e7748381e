// The main window's side of the project root's page and of the global logic monitor: the page
// on its panel, the menu command that opens the monitor, and the hand-over of what the client
// receives. The rules live in projectpages/.
#include <QAction>
#include <QGridLayout>
#include <QTreeWidgetItem>

#include "app/appforms.h"
#include "app/mainform.h"
#include "app/projectpages/glprotoform.h"
#include "app/projectpages/projectpanel.h"
#include "client/kvrcommunicationclient.h"

namespace kvr::app {

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
    PageControl1 = new ProjectPanel(std::move(host), page);
    auto* layout = new QGridLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PageControl1, 0, 0);
    if (QAction* action = Action("GlobalLogicStates1"))
        connect(action, &QAction::triggered, this, &TCX4AppForm::GlobalLogicStates1Click);
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
