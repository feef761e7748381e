#include "platform/application.h"

#include <QDir>
#include <QFile>
#include <QProxyStyle>
#include <QTabBar>

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

// The desktop's own style, except that tab bars take the focus like the other controls: some
// desktops let Tab pass only over fields and lists, and a tab bar's own focus is Tab-only.
class KeyboardTabsStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void polish(QWidget* Widget) override
    {
        QProxyStyle::polish(Widget);
        if (qobject_cast<QTabBar*>(Widget) != nullptr)
            Widget->setFocusPolicy(Qt::StrongFocus);
    }
    using QProxyStyle::polish;
};

} // namespace

TKVRApplication::TKVRApplication(int& Argc, char** Argv) : QApplication(Argc, Argv)
{
    UseSystemFont();
    UseKeyboardReachableTabs();
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

void UseKeyboardReachableTabs()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr ||
        dynamic_cast<KeyboardTabsStyle*>(QApplication::style()) != nullptr)
        return;
    QApplication::setStyle(new KeyboardTabsStyle(QApplication::style()->name()));
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
