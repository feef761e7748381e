#pragma once
// The windows created at start, in their fixed order, reached through global form objects. The
// main window is created first and owns the others.

#include <QStringList>

class QDialog;

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

extern TCX4AppForm* CX4AppForm;
extern TDevSelForm* DevSelForm;
extern TGLProtoForm* GLProtoForm;
extern TImportWin* ImportWin;
extern frameio::TLinkSelectForm* LinkSelectForm;
extern TCFGLockForm* CFGLockForm;
extern TOptionForm* OptionForm;
extern TPrintForm* PrintForm;
extern TProcessForm* ProcessForm;
extern TPlainForm* AudioResWin;
extern TPlainForm* DevParaForm;
extern TPlainForm* ResWindow;
extern TAboutForm* AboutForm;
extern TPlainForm* MtnForm;
// The global watch window: the last one opened.
extern TPlainForm* WatchForm;

// Creates every window in the start-up order; returns the main window.
TCX4AppForm* CreateApplicationForms();
// Destroys them (the main window takes the others with it) and clears the globals.
void DestroyApplicationForms();
// The object names of the start-up windows in the order they were created.
QStringList StartupFormNames();

} // namespace kvr::app
