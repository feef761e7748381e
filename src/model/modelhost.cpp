#include "model/modelhost.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace kvr::model {

std::uint64_t ProgramVersion = DefaultProgramVersion;
TTraceCallback TraceCallback;

namespace {

class ConsoleHost final : public ModelHost {
public:
    void ShowErrorBox(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    void ShowMessage(const std::string& text, const std::string&) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    void ShowWarning(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    void SetProgress(int) override {}
    std::uint32_t CurrentTime() override { return static_cast<std::uint32_t>(std::time(nullptr)); }
    std::string UserName() override
    {
        if (const char* name = std::getenv("USER"); name != nullptr && *name != 0)
            return name;
        return {};
    }
    std::string ReportFolder() override { return {}; }
    void SetTreeNodeText(void*, const std::string&) override {}
};

ConsoleHost consoleHost;
ModelHost* currentHost = &consoleHost;

} // namespace

void SetModelHost(ModelHost* host) { currentHost = host != nullptr ? host : &consoleHost; }

ModelHost& Host() { return *currentHost; }

void ShowError(const std::string& className, const std::string& operation, const std::string& message)
{
    std::string text = "Error: " + className + "->" + operation + ": " + message + "!";
    if (text.size() > 255)
        text.resize(255);
    Host().ShowErrorBox(text);
}

} // namespace kvr::model
