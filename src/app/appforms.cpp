#include "app/appforms.h"

#include "app/aboutform.h"
#include "app/cfglockform.h"
#include "app/devselform.h"
#include "app/frameio/linkselectform.h"
#include "app/importwin.h"
#include "app/mainform.h"
#include "app/optionform.h"
#include "app/plainforms.h"
#include "app/printform.h"
#include "app/processform.h"
#include "app/projectpages/glprotoform.h"

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
TPlainForm* AudioResWin = nullptr;
TPlainForm* DevParaForm = nullptr;
TPlainForm* ResWindow = nullptr;
TAboutForm* AboutForm = nullptr;
TPlainForm* MtnForm = nullptr;
TPlainForm* WatchForm = nullptr;

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
    AudioResWin = Created(MakePlainForm(AudioResWinSpec, owner));
    DevParaForm = Created(MakePlainForm(DevParaFormSpec, owner));
    ResWindow = Created(MakePlainForm(ResWindowSpec, owner));
    AboutForm = Created(new TAboutForm(owner));
    MtnForm = Created(MakePlainForm(MtnFormSpec, owner));
    return CX4AppForm;
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
