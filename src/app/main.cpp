// Program entry: the application object, the numbered-message dialog and the diagnostic
// switches, then the windows in their fixed order and the message loop.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <QTimer>

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

namespace {

// Hooks for program-level tests, which run without anyone at the screen:
//   KVR_MESSAGE_LOG   a file that takes the numbered messages and the message boxes in place of
//                     their dialogs ("-" for standard error), each answered with its default or
//                     first button; choices of files, folders and texts are cancelled;
//   KVR_EXIT_AFTER_START   ends the program as soon as its main window has started.
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

} // namespace

int main(int argc, char** argv)
{
    // The words as given: the application object takes its own options out of argv.
    const std::vector<std::string> words(argv, argv + argc);

    kvr::platform::TKVRApplication app(argc, argv);
    InfoFormatter->SetMessagePresenter(MessagePresenter());
    if (const char* log = std::getenv("KVR_MESSAGE_LOG"); log && *log)
        kvr::platform::setPrompter(std::make_unique<kvr::platform::LogPrompter>(log));
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
        // A start that ends at once talks to no device: no server is started for it.
        if (!exitAfterStart || !*exitAfterStart) {
            main->SetCommunicationClient(std::make_unique<TKVRCommunicationClient>(nullptr, kvr::client::SystemServices()));
            kvr::app::StartMaintenanceWindow();
        }
        main->show();
        if (exitAfterStart && *exitAfterStart)
            QTimer::singleShot(0, &app, &QCoreApplication::quit);
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
