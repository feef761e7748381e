// The main window as host of the audio and logic editors and of the two source windows.

#include <QCoreApplication>
#include <QProgressBar>

#include "app/appforms.h"
#include "app/mainform.h"
#include "app/processform.h"
#include "editors/audioreswin.h"
#include "editors/audiosourcetree.h"
#include "editors/reswindow.h"

namespace kvr::app {

model::TProject* TCX4AppForm::Project()
{
    return FProject ? FProject->Model() : nullptr;
}

bool TCX4AppForm::SelectNextRoutingAfterAssign() const
{
    return FPrefs.SelectNextOutputRouting();
}

void TCX4AppForm::ShowProgress(int Minimum, int Maximum, int Position)
{
    if (!ProcessForm)
        return;
    ProcessForm->ProgressBar->setRange(Minimum, Maximum);
    ProcessForm->ProgressBar->setValue(Position);
    ProcessForm->show();
}

void TCX4AppForm::HideProgress()
{
    if (ProcessForm)
        ProcessForm->hide();
}

void TCX4AppForm::PumpMessages()
{
    QCoreApplication::processEvents();
}

editors::LogicSourcePicker* TCX4AppForm::LogicSources()
{
    return ResWindow;
}

editors::AudioSourcePicker* TCX4AppForm::AudioSources()
{
    return AudioResWin;
}

void TCX4AppForm::SourceWindowsFollowDevice()
{
    if (!AudioResWin || !ResWindow)
        return;
    if (FCurDevice < 0) {
        AudioResWin->SetDeviceIndex(-1);
        return;
    }
    ResWindow->BuildSourceTree();
    // Rotary monitor selectors are offered only while the key editor asks for them.
    AudioResWin->SetGroupFilter(AudioResWin->GroupFilter() & ~editors::afRotaryMonitorSelect);
    AudioResWin->SetDeviceIndex(FCurDevice);
    AudioResWin->BuildSourceTree();
}

void TCX4AppForm::RebuildSourceWindows()
{
    if (ResWindow)
        ResWindow->BuildSourceTree();
    if (AudioResWin)
        AudioResWin->BuildSourceTree();
}

} // namespace kvr::app
