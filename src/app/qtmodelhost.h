#pragma once
// The data model's messages, progress, clock, user name, report folder and tree captions, served
// by the program's windows.

#include <functional>
#include <string>

#include <QUrl>

#include "model/modelhost.h"

namespace kvr::app {

// Shows a report file written by the program with the desktop's viewer; where none opens it,
// a message says where the file is. Open stands in for the desktop in tests.
void ShowReportFile(const std::string& File, const std::function<bool(const QUrl&)>& Open);

class QtModelHost : public model::ModelHost {
public:
    void ShowErrorBox(const std::string& text) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    void ShowWarning(const std::string& text) override;
    void SetProgress(int position) override;
    std::uint32_t CurrentTime() override;
    std::string UserName() override;
    // The user's data folder: the program's folder is no place for files of the user's.
    std::string ReportFolder() override;
    void SetTreeNodeText(void* node, const std::string& text) override;
};

} // namespace kvr::app
