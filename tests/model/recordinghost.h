#pragma once
// A host that records what the data model would show, with a settable clock.

#include "model/modelhost.h"

#include <string>
#include <vector>

namespace kvr::model::test {

struct Shown {
    std::string kind; // "error", "message", "warning"
    std::string text;
    std::string caption;
    bool operator==(const Shown&) const = default;
};

class RecordingHost : public ModelHost {
public:
    RecordingHost() { SetModelHost(this); }
    ~RecordingHost() override { SetModelHost(nullptr); }

    void ShowErrorBox(const std::string& text) override { shown.push_back({"error", text, "Error"}); }
    void ShowMessage(const std::string& text, const std::string& caption) override
    {
        shown.push_back({"message", text, caption});
    }
    void ShowWarning(const std::string& text) override { shown.push_back({"warning", text, ""}); }
    void SetProgress(int position) override { progress.push_back(position); }
    std::uint32_t CurrentTime() override { return now; }
    std::string UserName() override { return user; }
    std::string ReportFolder() override { return {}; }
    void SetTreeNodeText(void* node, const std::string& text) override
    {
        nodeTexts.push_back({node, text});
    }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const auto& s : shown)
            texts.push_back(s.text);
        return texts;
    }

    std::vector<Shown> shown;
    std::vector<int> progress;
    std::vector<std::pair<void*, std::string>> nodeTexts;
    std::uint32_t now = 1700000000;
    std::string user = "tester";
};

} // namespace kvr::model::test
