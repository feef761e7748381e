#include "platform/currentprompter.h"

namespace kvr::platform {

namespace {
std::unique_ptr<Prompter>& Installed()
{
    static std::unique_ptr<Prompter> instance;
    return instance;
}
} // namespace

Prompter& prompter()
{
    auto& instance = Installed();
    if (!instance)
        instance = std::make_unique<QtPrompter>();
    return *instance;
}

void setPrompter(std::unique_ptr<Prompter> Instance)
{
    Installed() = std::move(Instance);
}

} // namespace kvr::platform
