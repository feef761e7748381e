#pragma once
// A host that shows nothing and answers with fixed values: for programs that run the data model
// without a user (fuzz targets, benchmarks).

#include "model/modelhost.h"

namespace kvr::model {

class QuietModelHost final : public ModelHost {
public:
    void ShowErrorBox(const std::string&) override {}
    void ShowMessage(const std::string&, const std::string&) override {}
    void ShowWarning(const std::string&) override {}
    void SetProgress(int) override {}
    std::uint32_t CurrentTime() override { return 1700000000; }
    std::string UserName() override { return "quiet"; }
    std::string ReportFolder() override { return {}; }
    void SetTreeNodeText(void*, const std::string&) override {}
};

} // namespace kvr::model
