// The main window as the printed documentation's host, and the frame I/O export.
#include <QDate>
#include <QLocale>

#include "app/appforms.h"
#include "app/mainform.h"
#include "app/optionform.h"
#include "app/printform.h"
#include "platform/application.h"
#include "platform/currentprompter.h"
#include "model/project.h"
#include "reports/frameiocsv.h"
#include "platform/text1252.h"

#include <QCheckBox>

namespace kvr::app {

model::TProject* TCX4AppForm::Project() { return FProject ? FProject->Model() : nullptr; }

std::string TCX4AppForm::ProjectFileName() const
{
    // The title block shows the name as the model's texts are held: Windows-1252.
    return platform::toCp1252(platform::FromNativePath(FProjectFileName));
}

bool TCX4AppForm::PrinterDebug() const { return OptionForm != nullptr && OptionForm->ShowPrinterDebug->isChecked(); }

// The console editor's selection.
reports::ModuleSelection TCX4AppForm::ConsoleSelection() const
{
    return {FConsoleState.SelectedModule, FConsoleState.SelectedConsole, FConsoleState.SelectedSlot};
}

// "Print module layout": the print run in module-only mode, the window never shown.
void TCX4AppForm::PrintSelectedModule()
{
    if (!PrintForm)
        return;
    PrintForm->SetModuleOnly(true);
    PrintForm->FormShow();
    PrintForm->SetModuleOnly(false);
}

std::string TCX4AppForm::Today() const
{
    return platform::toCp1252(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
}

void TCX4AppForm::ExportFrameIOasCSV1Click()
{
    model::TProject* project = Project();
    if (project == nullptr || FCurDevice < 0 || project->Device(FCurDevice) == nullptr)
        return;
    platform::FileChoice choice;
    choice.filter = "comma separated values|*.csv";
    choice.defaultExt = "csv";
    choice.fileName = "export.csv";
    const std::optional<QString> fileName = platform::prompter().saveFileName(choice);
    if (!fileName || fileName->isEmpty())
        return;
    if (!reports::WriteFrameIOCSV(*project, FCurDevice, platform::ToNativePath(*fileName)))
        platform::prompter().showMessage(reports::CSVCreateErrorText);
}

} // namespace kvr::app
