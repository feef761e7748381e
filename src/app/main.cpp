// Program entry: the application object, the numbered-message dialog and the diagnostic
// switches, then the windows in their fixed order and the message loop.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "app/appforms.h"
#include "app/mainform.h"
#include "app/qtmodelhost.h"
#include "client/kvrcommunicationclient.h"
#include "diagnostics/kvrassert.h"
#include "diagnostics/kvrinfoformat.h"
#include "diagnostics/waitcursor.h"
#include "platform/application.h"
#include "platform/currentprompter.h"
#include "platform/kvrmsgform.h"
#include "platform/logprompter.h"
#include "platform/qtcursorhook.h"
#include "platform/settingsstore.h"

namespace {

// Hooks for program-level tests, which run without anyone at the screen:
//   KVR_MESSAGE_LOG   a file that takes the numbered messages and the message boxes in place of
//                     their dialogs ("-" for standard error), each answered with its default or
//                     first button; choices of files, folders and texts are cancelled;
//   KVR_EXIT_AFTER_START   ends the program as soon as its main window has started;
//   KVR_START_REPORT   the start is measured: the program prints "kvrconfig shown after N ms"
//                     once the main window is on screen and "kvrconfig server connected after
//                     N ms" once its client has the server (N counted from the time, in
//                     nanoseconds since 1970, that the variable holds), then ends.
TMessagePresenter MessagePresenter()
{
    const char* log = std::getenv("KVR_MESSAGE_LOG");
    if (!log || !*log)
        return kvr::platform::ShowKVRMessage;
    if (std::string(log) == "-")
        return StderrMessagePresenter;
    const std::string file = log;
    return [file](int Kind, const std::string& Text, unsigned Code, const std::string& Buttons) {
        std::ofstream out(file, std::ios::app);
        char code[16];
        std::snprintf(code, sizeof code, "%08X", Code);
        out << code << ' ' << Kind << " [" << Buttons << "] " << Text << '\n';
        return DefaultModalResult(Buttons);
    };
}

double MsSince(long long StartNs)
{
    const auto now =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    return static_cast<double>(now - StartNs) / 1e6;
}

// Runs Then once the window is on screen.
void WhenShown(QWidget& Window, std::function<void()> Then)
{
    auto* poll = new QTimer(&Window);
    poll->setInterval(1);
    QObject::connect(poll, &QTimer::timeout, &Window, [&Window, poll, Then = std::move(Then)] {
        if (!Window.windowHandle() || !Window.windowHandle()->isExposed())
            return;
        poll->stop();
        poll->deleteLater();
        Then();
    });
    poll->start();
}

} // namespace

int main(int argc, char** argv)
{
    // The words as given: the application object takes its own options out of argv.
    const std::vector<std::string> words(argv, argv + argc);

    kvr::platform::TKVRApplication app(argc, argv);
    InfoFormatter->SetMessagePresenter(MessagePresenter());
    if (const char* log = std::getenv("KVR_MESSAGE_LOG"); log && *log)
        kvr::platform::setPrompter(std::make_unique<kvr::platform::LogPrompter>(log));
    // Settings come from a regular file only; anything else there is said once, and the
    // program goes on with its defaults.
    auto settings = std::make_unique<kvr::platform::IniSettingsStore>();
    if (const std::string reason = settings->unusableReason(); !reason.empty())
        kvr::platform::prompter().messageBox(kvr::platform::FromNativePath(reason), "Warning", kvr::platform::Buttons::Ok,
                                             kvr::platform::Icon::Exclamation);
    kvr::platform::setSettingsStore(std::move(settings));
    kvr::diag::SetPlainMessageHook(kvr::platform::ShowAssertionReport);
    kvr::diag::SetCursorHook(std::make_shared<kvr::platform::QtCursorHook>());

    std::vector<const char*> switches;
    for (const std::string& word : words)
        switches.push_back(word.c_str());
    InfoFormatter->ParseSwitches(static_cast<int>(switches.size()), switches.data());

    kvr::app::QtModelHost modelHost;
    kvr::model::SetModelHost(&modelHost);

    int result = 0;
    try {
        kvr::app::TCX4AppForm* main = kvr::app::CreateApplicationForms();
        main->SetStartWords(std::vector<std::string>(words.begin() + (words.empty() ? 0 : 1), words.end()));
        const char* exitAfterStart = std::getenv("KVR_EXIT_AFTER_START");
        const char* report = std::getenv("KVR_START_REPORT");
        const long long startNs = report && *report ? std::strtoll(report, nullptr, 10) : 0;
        main->show();
        // The window comes first; the client, which may install and start the server, right
        // after it is on screen. A start that ends at once talks to no device: no server then.
        if (exitAfterStart && *exitAfterStart) {
            QTimer::singleShot(0, &app, &QCoreApplication::quit);
        } else {
            WhenShown(*main, [main, startNs] {
                if (startNs != 0)
                    std::printf("kvrconfig shown after %.1f ms\n", MsSince(startNs));
                main->SetCommunicationClient(std::make_unique<TKVRCommunicationClient>(nullptr, kvr::client::SystemServices()));
                if (startNs != 0) {
                    std::printf("kvrconfig server %s after %.1f ms\n",
                                main->DCC()->GetStatus() == dcsServerInitFailed ? "failed" : "connected", MsSince(startNs));
                    std::fflush(stdout);
                    QCoreApplication::quit();
                }
                kvr::app::StartMaintenanceWindow();
            });
        }
        result = app.exec();
    } catch (const std::exception& e) {
        kvr::platform::TKVRApplication::ShowException(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        kvr::platform::TKVRApplication::ShowException(QString());
    }
    kvr::app::DestroyApplicationForms();
    kvr::model::SetModelHost(nullptr);
    kvr::diag::SetCursorHook(nullptr);
    return result;
}
