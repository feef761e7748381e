#include "platform/application.h"

#include <QDir>
#include <QFile>

#include <exception>

#include "gfx/fontroles.h"
#include "platform/currentprompter.h"
#include "platform/text1252.h"

namespace kvr::platform {

namespace {

std::function<void(const QString&)>& ExceptionPresenter()
{
    static std::function<void(const QString&)> presenter;
    return presenter;
}

} // namespace

TKVRApplication::TKVRApplication(int& Argc, char** Argv) : QApplication(Argc, Argv)
{
    UseSystemFont();
}

bool TKVRApplication::notify(QObject* Receiver, QEvent* Event)
{
    try {
        return QApplication::notify(Receiver, Event);
    } catch (const std::exception& e) {
        ShowException(fromCp1252(e.what()));
    } catch (...) {
        // Any other thrown object counts as an exception with an empty message.
        ShowException(QString());
    }
    return false;
}

void TKVRApplication::ShowException(const QString& Message)
{
    if (auto& presenter = ExceptionPresenter()) {
        presenter(Message);
        return;
    }
    prompter().messageBox(Message, QApplication::applicationName(), Buttons::Ok, Icon::Error);
}

void TKVRApplication::SetExceptionPresenter(std::function<void(const QString&)> Presenter)
{
    ExceptionPresenter() = std::move(Presenter);
}

void UseSystemFont()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
        QApplication::setFont(gfx::systemFont());
}

void ShowAssertionReport(const std::string& Report)
{
    prompter().showMessage(fromCp1252(Report));
}

std::string ProgramFolder()
{
    QString folder = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    if (!folder.endsWith('/'))
        folder += '/';
    return ToNativePath(folder);
}

std::string ToNativePath(const QString& Path)
{
    return QFile::encodeName(Path).toStdString();
}

QString FromNativePath(const std::string& Path)
{
    return QFile::decodeName(QByteArray::fromStdString(Path));
}

} // namespace kvr::platform
