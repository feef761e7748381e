#include "app/qtmodelhost.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QStandardPaths>
#include <QTreeWidgetItem>

#include <cstdlib>
#include <ctime>

#include "app/appforms.h"
#include "app/processform.h"
#include "platform/application.h"
#include "platform/currentprompter.h"
#include "platform/text1252.h"

namespace kvr::app {

using platform::fromCp1252;

void QtModelHost::ShowErrorBox(const std::string& text)
{
    platform::prompter().messageBox(fromCp1252(text), "Error", platform::Buttons::Ok, platform::Icon::Error);
}

void QtModelHost::ShowMessage(const std::string& text, const std::string& caption)
{
    if (caption.empty())
        platform::prompter().showMessage(fromCp1252(text));
    else
        platform::prompter().messageBox(fromCp1252(text), fromCp1252(caption), platform::Buttons::Ok, platform::Icon::None);
}

void QtModelHost::ShowWarning(const std::string& text)
{
    platform::prompter().messageBox(fromCp1252(text), "Warning", platform::Buttons::Ok, platform::Icon::Exclamation);
}

void QtModelHost::SetProgress(int position)
{
    if (ProcessForm)
        ProcessForm->ProgressBar->setValue(position);
}

std::uint32_t QtModelHost::CurrentTime()
{
    return static_cast<std::uint32_t>(std::time(nullptr));
}

std::string QtModelHost::UserName()
{
    for (const char* variable : {"USER", "LOGNAME", "USERNAME"}) {
        if (const char* name = std::getenv(variable); name && *name)
            return name;
    }
    return {};
}

std::string QtModelHost::ReportFolder()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (data.isEmpty() || !QDir().mkpath(data))
        return {};
    return platform::ToNativePath(data + '/');
}

void ShowReportFile(const std::string& File, const std::function<bool(const QUrl&)>& Open)
{
    const QString path = platform::FromNativePath(File);
    if (Open(QUrl::fromLocalFile(path)))
        return;
    platform::prompter().showMessage("No program to show the report was found. The report was written to\n" + path);
}

void QtModelHost::SetTreeNodeText(void* node, const std::string& text)
{
    if (node)
        static_cast<QTreeWidgetItem*>(node)->setText(0, fromCp1252(text));
}

} // namespace kvr::app
