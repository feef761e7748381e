#pragma once
// The data model's messages, progress, clock, user name, report folder and tree captions, served
// by the program's windows.

#include "model/modelhost.h"

namespace kvr::app {

class QtModelHost : public model::ModelHost {
public:
    void ShowErrorBox(const std::string& text) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    void ShowWarning(const std::string& text) override;
    void SetProgress(int position) override;
    std::uint32_t CurrentTime() override;
    std::string UserName() override;
    std::string ReportFolder() override;
    void SetTreeNodeText(void* node, const std::string& text) override;
};

} // namespace kvr::app
