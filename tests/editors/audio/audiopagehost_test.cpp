#include <gtest/gtest.h>

#include <map>
#include <set>

#include "editors/audio/audiopagehost.h"
#include "fakehost.h"
#include "editors/common/sourceassign.h"
#include "model/superoutputs.h"
#include "sourcefixture.h"

namespace kvr::editors::test {
namespace {

struct FakeLogic : LogicSourcePicker {
    int kind = 0, filter = 0, builds = 0;
    void SetTarget(int, SourceTarget*) override {}
    void SetTargetKind(int k) override { kind = k; }
    int TargetKind() const override { return kind; }
    void SetGroupFilter(int f) override { filter = f; }
    int GroupFilter() const override { return filter; }
    void SetConditionVisible(bool) override {}
    void BuildSourceTree() override { ++builds; }
    void SelectLogicSource(std::uint32_t) override {}
    void SelectLogicSourceAt(std::uint32_t, int) override {}
    std::int64_t GetDeviceID() const override { return -1; }
    void ShowPicker() override {}
    void Assign(AssignSender) override {}
};

struct FakeAudio : AudioSourcePicker {
    int kind = 0, filter = 0, device = -1, builds = 0;
    bool options = false;
    void SetTarget(int, SourceTarget*) override {}
    void SetTargetKind(int k) override { kind = k; }
    int TargetKind() const override { return kind; }
    void SetGroupFilter(int f) override { filter = f; }
    int GroupFilter() const override { return filter; }
    void SetDeviceIndex(int d) override { device = d; }
    void BuildSourceTree() override { ++builds; }
    void SelectAudioSource(std::uint32_t) override {}
    void SetOptionPanelVisible(bool v) override { options = v; }
    void SetLevel(int) override {}
    void SelectPot(int) override {}
    void ShowPicker() override {}
    void Assign() override {}
};

struct Host : FakeHost {
    FakeLogic logicWindow;
    FakeAudio audioWindow;
    Host()
    {
        logic = &logicWindow;
        audio = &audioWindow;
    }
};

struct View : AudioPageView {
    std::set<std::string> shown;
    std::vector<std::string> fills;
    int routingWrites = 0;
    int tabShows = 0;
    void ShowPanel(const char* panel, bool visible) override
    {
        if (visible)
            shown.insert(panel);
        else
            shown.erase(panel);
    }
    bool PanelVisible(const char* panel) const override { return shown.count(panel) != 0; }
    void ShowActiveAudioTab() override { ++tabShows; }
    void FillPage(const char* panel) override { fills.push_back(panel); }
    void WriteBackOutputRouting() override { ++routingWrites; }
};

// A frame that records the device it was built for and when it goes.
struct Frame : EditorFrame {
    Frame(int device, std::vector<std::string>& log, std::string name) : log(log), name(std::move(name))
    {
        log.push_back("+" + this->name + std::to_string(device));
    }
    ~Frame() override { log.push_back("-" + name); }
    std::vector<std::string>& log;
    std::string name;
};

class AudioPages : public SourceProject {
public:
    AudioPages() : pages(host, view)
    {
        host.project = &project;
        project.AddDevice();
        FillStudio(*project.Device(1), "Studio B");
        for (const auto& [frame, name] : {std::pair{AudioFrame::FaderChannel, "FC"}, std::pair{AudioFrame::SOF, "SOF"},
                                          std::pair{AudioFrame::Insert, "INS"}, std::pair{AudioFrame::GlobalPool, "GP"}})
            pages.SetFrameFactory(frame, [this, n = std::string(name)](int device) {
                return std::make_unique<Frame>(device, log, n);
            });
    }
    // The tree's page switch: hide on the old device, then show on the new one.
    void Select(int device, int image)
    {
        pages.HideAudioSystemPages();
        host.device = device;
        pages.ShowAudioSystemPage(image);
    }

    std::vector<std::string> log; // outlives the frames
    Host host;
    View view;
    AudioPageHost pages;
};

struct PageCase {
    int image;
    std::set<std::string> panels;
    int audioFilter;
    bool options;
    int logicFilter;
    std::vector<std::string> frames; // frames alive after the show
};

TEST_F(AudioPages, EachNodeShowsItsPanelAndSetsTheSourceWindows)
{
    const PageCase cases[] = {
        {90, {"AudioPanel"}, 0, false, 0, {}},
        {91, {"FaderChannelPanel"}, 0xC1, false, 1, {"FC"}},
        {92, {"AssiPanel"}, 0, false, 0, {}},
        {94, {"OutFktPanel"}, 0x27, true, 0, {}},
        {97, {"SOFPanel"}, 0x27, true, 0, {"SOF"}},
        {95, {"FixFunctionPanel"}, 1, false, 0, {}},
        {96, {"OutputRoutePanel"}, 0x27, false, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.image);
        host.logicWindow.kind = ltLogicDelay;
        host.audioWindow.kind = atTalk1;
        host.audioWindow.filter = 0;
        Select(0, c.image);
        EXPECT_EQ(view.shown, c.panels);
        EXPECT_EQ(host.audioWindow.filter, c.audioFilter);
        EXPECT_EQ(host.audioWindow.device, 0);
        EXPECT_EQ(host.audioWindow.options, c.options);
        EXPECT_EQ(host.logicWindow.filter, c.logicFilter);
        // A new page starts without a pending assignment.
        EXPECT_EQ(host.logicWindow.kind, 0);
        EXPECT_EQ(host.audioWindow.kind, 0);
        std::vector<std::string> alive;
        for (const auto& [frame, name] : {std::pair{AudioFrame::FaderChannel, "FC"}, std::pair{AudioFrame::SOF, "SOF"}})
            if (pages.Frame(frame))
                alive.push_back(name);
        EXPECT_EQ(alive, c.frames);
    }
    EXPECT_EQ(view.tabShows, 1);
}

TEST_F(AudioPages, FramesLiveExactlyWhileTheirPageShows)
{
    Select(0, 91);
    Select(1, 91); // another device's node: a new frame for that device
    Select(1, 97);
    Select(1, 97); // the same node again builds anew
    Select(1, 92);
    EXPECT_EQ(log, (std::vector<std::string>{"+FC0", "-FC", "+FC1", "-FC", "+SOF1", "-SOF", "+SOF1", "-SOF"}));
    EXPECT_EQ(pages.Frame(AudioFrame::FaderChannel), nullptr);
    EXPECT_EQ(pages.Frame(AudioFrame::SOF), nullptr);

    log.clear();
    pages.TabShow(AudioFrame::Insert);
    pages.TabShow(AudioFrame::Insert);
    pages.TabHide(AudioFrame::Insert);
    pages.TabShow(AudioFrame::GlobalPool);
    EXPECT_NE(pages.Frame(AudioFrame::GlobalPool), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"+INS1", "-INS", "+INS1", "-INS", "+GP1"}));

    // Any other node frees the tab's frame.
    Select(1, 91);
    EXPECT_EQ(pages.Frame(AudioFrame::GlobalPool), nullptr);

    // A frame that cannot be built leaves its pointer null.
    pages.SetFrameFactory(AudioFrame::Insert, [](int) { return std::unique_ptr<EditorFrame>(); });
    pages.TabShow(AudioFrame::Insert);
    EXPECT_EQ(pages.Frame(AudioFrame::Insert), nullptr);
}

TEST_F(AudioPages, LeavingCancelsOnlyAPendingWatch)
{
    Select(0, 94);
    host.logicWindow.kind = ltScript;
    host.audioWindow.kind = atOutFktSource1;
    pages.HideAudioSystemPages();
    EXPECT_EQ(host.logicWindow.kind, ltScript);
    EXPECT_EQ(host.audioWindow.kind, 0);
    EXPECT_FALSE(host.audioWindow.options);
    host.logicWindow.kind = ltWatch;
    pages.HideAudioSystemPages();
    EXPECT_EQ(host.logicWindow.kind, 0);
}

TEST_F(AudioPages, HidingRepairsGroupLogicAndWritesBackTheRoutingOfTheDeviceShown)
{
    // A group with a bus but without its fader channel.
    project.Device(1)->SetData(stGroupLogic, Bytes{3, 0, 0, 0, 0, 0, 0, 0});
    Select(1, 96);
    EXPECT_EQ(view.routingWrites, 0);
    Select(0, 95);
    EXPECT_EQ(view.routingWrites, 1);
    EXPECT_EQ(GetGroupLogic(*project.Device(1))[0], 0);
    // Without a current device nothing is written.
    Select(-1, 96);
    pages.HideAudioSystemPages();
    EXPECT_EQ(view.routingWrites, 1);
}

} // namespace
} // namespace kvr::editors::test
