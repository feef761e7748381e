#include "app/appforms.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "app/aboutform.h"
#include "app/cfglockform.h"
#include "app/connectdialog.h"
#include "app/devselform.h"
#include "app/frameio/linkselectform.h"
#include "app/importwin.h"
#include "app/mainform.h"
#include "app/optionform.h"
#include "app/plainforms.h"
#include "app/printform.h"
#include "app/processform.h"
#include "app/projectpages/glprotoform.h"
#include "editors/sources/audioreswin.h"
#include "editors/dsp/devparaform.h"
#include "editors/audio/fixedprocessingpage.h"
#include "editors/sources/reswindow.h"
#include "client/kvrcommunicationclient.h"
#include "commserver/commserverproxy.h"
#include "service/maintenance/mtnform.h"
#include "service/watch/watchform.h"

namespace kvr::app {

TCX4AppForm* CX4AppForm = nullptr;
TDevSelForm* DevSelForm = nullptr;
TGLProtoForm* GLProtoForm = nullptr;
TImportWin* ImportWin = nullptr;
frameio::TLinkSelectForm* LinkSelectForm = nullptr;
TCFGLockForm* CFGLockForm = nullptr;
TOptionForm* OptionForm = nullptr;
TPrintForm* PrintForm = nullptr;
TProcessForm* ProcessForm = nullptr;
editors::TAudioResWin* AudioResWin = nullptr;
editors::TDevParaForm* DevParaForm = nullptr;
editors::TResWindow* ResWindow = nullptr;
TAboutForm* AboutForm = nullptr;
service::TMtnForm* MtnForm = nullptr;
QPointer<service::TWatchForm> WatchForm;

namespace {
QStringList CreatedNames;

template <typename T>
T* Created(T* Form)
{
    CreatedNames.push_back(Form->objectName());
    return Form;
}
} // namespace

TCX4AppForm* CreateApplicationForms()
{
    CreatedNames.clear();
    CX4AppForm = Created(new TCX4AppForm);
    QWidget* owner = CX4AppForm;
    DevSelForm = Created(new TDevSelForm(owner));
    GLProtoForm = Created(new TGLProtoForm(owner));
    ImportWin = Created(new TImportWin(owner));
    LinkSelectForm = Created(new frameio::TLinkSelectForm(owner));
    CFGLockForm = Created(new TCFGLockForm(owner));
    OptionForm = Created(new TOptionForm(owner));
    PrintForm = Created(new TPrintForm(*CX4AppForm, owner));
    ProcessForm = Created(new TProcessForm(owner));
    AudioResWin = Created(new editors::TAudioResWin(*CX4AppForm, owner));
    DevParaForm = Created(new editors::TDevParaForm(owner));
    if (CX4AppForm->FixedProcessingPage)
        CX4AppForm->FixedProcessingPage->SetParamForm(DevParaForm);
    ResWindow = Created(new editors::TResWindow(*CX4AppForm, owner));
    AboutForm = Created(new TAboutForm(owner));
    MtnForm = Created(new service::TMtnForm(owner));
    return CX4AppForm;
}

void StartMaintenanceWindow()
{
    if (!MtnForm)
        return;
    auto client = std::make_unique<TKVRCommunicationClient>(nullptr, client::SystemServices());
    TKVRCommunicationClient* kvrcc = client.get();
    service::TMaintenanceServices services = service::SystemMaintenanceServices();
    QWidget* parent = MtnForm;
    services.ConnectionDialog = [kvrcc, parent](TDeviceAddr& Addr) {
        return ConnectionDialog(*kvrcc, Addr, false, QtConnectionDialog(*kvrcc, parent));
    };
    services.ServerLogFile = [] {
        const QString path = QString::fromStdString(commserver::defaultServerFolder() + "/rurez.log");
        return QFileInfo::exists(path) ? path.toStdString() : std::string();
    };
    services.OpenFile = [](const std::string& Path) { QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(Path))); };
    MtnForm->SetCommunicationClient(std::move(client), std::move(services));
}

void DestroyApplicationForms()
{
    delete CX4AppForm;
    CX4AppForm = nullptr;
    DevSelForm = nullptr;
    ImportWin = nullptr;
    GLProtoForm = nullptr;
    LinkSelectForm = nullptr;
    PrintForm = nullptr;
    AudioResWin = nullptr;
    DevParaForm = nullptr;
    ResWindow = nullptr;
    MtnForm = nullptr;
    WatchForm = nullptr;
    CFGLockForm = nullptr;
    OptionForm = nullptr;
    ProcessForm = nullptr;
    AboutForm = nullptr;
}

QStringList StartupFormNames()
{
    return CreatedNames;
}

} // namespace kvr::app
