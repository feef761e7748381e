#pragma once
// The windows created at start, in their fixed order, reached through global form objects. The
// main window is created first and owns the others.

#include <QPointer>
#include <QStringList>

class QDialog;

namespace kvr::editors {
class TAudioResWin;
class TDevParaForm;
class TResWindow;
}

namespace kvr::app {

namespace frameio {
class TLinkSelectForm;
}

class TCX4AppForm;
class TDevSelForm;
class TCFGLockForm;
class TOptionForm;
class TProcessForm;
class TAboutForm;
class TPlainForm;
class TPrintForm;
class TImportWin;
class TGLProtoForm;
} // namespace kvr::app

namespace kvr::service {
class TMtnForm;
class TWatchForm;
} // namespace kvr::service

namespace kvr::app {

extern TCX4AppForm* CX4AppForm;
extern TDevSelForm* DevSelForm;
extern TGLProtoForm* GLProtoForm;
extern TImportWin* ImportWin;
extern frameio::TLinkSelectForm* LinkSelectForm;
extern TCFGLockForm* CFGLockForm;
extern TOptionForm* OptionForm;
extern TPrintForm* PrintForm;
extern TProcessForm* ProcessForm;
extern editors::TAudioResWin* AudioResWin;
extern editors::TDevParaForm* DevParaForm;
extern editors::TResWindow* ResWindow;
extern TAboutForm* AboutForm;
extern service::TMtnForm* MtnForm;
// The global watch window: the last one opened; null once it is closed.
extern QPointer<service::TWatchForm> WatchForm;

// Creates every window in the start-up order; returns the main window.
TCX4AppForm* CreateApplicationForms();
// Gives the maintenance window its own client, so it collects device broadcasts from now on.
void StartMaintenanceWindow();
// Destroys them (the main window takes the others with it) and clears the globals.
void DestroyApplicationForms();
// The object names of the start-up windows in the order they were created.
QStringList StartupFormNames();

} // namespace kvr::app
