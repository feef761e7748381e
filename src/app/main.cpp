// Program entry: the application object, the numbered-message dialog and the diagnostic
// switches, then the windows in their fixed order and the message loop.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/appforms.h"
#include "app/mainform.h"
#include "diagnostics/kvrassert.h"
#include "diagnostics/kvrinfoformat.h"
#include "diagnostics/waitcursor.h"
#include "platform/application.h"
#include "platform/kvrmsgform.h"
#include "platform/qtcursorhook.h"

namespace {

// KVR_MESSAGE_LOG names a file that takes the numbered messages in place of the dialog, each
// answered with its default button: program-level tests run without anyone at the screen.
TMessagePresenter MessagePresenter()
{
    const char* log = std::getenv("KVR_MESSAGE_LOG");
    if (!log || !*log)
        return kvr::platform::ShowKVRMessage;
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
    kvr::diag::SetPlainMessageHook(kvr::platform::ShowAssertionReport);
    kvr::diag::SetCursorHook(std::make_shared<kvr::platform::QtCursorHook>());

    std::vector<const char*> switches;
    for (const std::string& word : words)
        switches.push_back(word.c_str());
    InfoFormatter->ParseSwitches(static_cast<int>(switches.size()), switches.data());

    int result = 0;
    try {
        kvr::app::TCX4AppForm* main = kvr::app::CreateApplicationForms();
        main->SetStartWords(std::vector<std::string>(words.begin() + (words.empty() ? 0 : 1), words.end()));
        main->show();
        result = app.exec();
    } catch (const std::exception& e) {
        kvr::platform::TKVRApplication::ShowException(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        kvr::platform::TKVRApplication::ShowException(QString());
    }
    kvr::app::DestroyApplicationForms();
    kvr::diag::SetCursorHook(nullptr);
    return result;
}
