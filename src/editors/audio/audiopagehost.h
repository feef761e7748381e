#pragma once
// Shows and hides the Audio System pages as the project tree's selection changes: which panel
// shows, which sources the two source windows offer, and the frames that exist exactly while
// their page or tab shows.

#include <array>
#include <functional>
#include <memory>

namespace kvr::editors {

class EditorHost;

// A frame placed into a page at run time (fader channel, super output function, insert, pool).
class EditorFrame {
public:
    virtual ~EditorFrame() = default;
};

enum class AudioFrame { FaderChannel, SOF, Insert, GlobalPool };

// Page panels of the audio system.
inline constexpr const char* kAudioPanel = "AudioPanel";
inline constexpr const char* kFaderChannelPanel = "FaderChannelPanel";
inline constexpr const char* kAssiPanel = "AssiPanel";
inline constexpr const char* kOutFktPanel = "OutFktPanel";
inline constexpr const char* kSOFPanel = "SOFPanel";
inline constexpr const char* kFixFunctionPanel = "FixFunctionPanel";
inline constexpr const char* kOutputRoutePanel = "OutputRoutePanel";

// What the host needs of the main window's page area. The fills belong to pages built later;
// until then they do nothing.
class AudioPageView {
public:
    virtual ~AudioPageView() = default;
    virtual void ShowPanel(const char* Panel, bool Visible) = 0;
    virtual bool PanelVisible(const char* Panel) const = 0;
    // The show handler of the active tab of the Audio System page.
    virtual void ShowActiveAudioTab() {}
    // Fills the page of a panel from the current device.
    virtual void FillPage(const char* /*Panel*/) {}
    // Empties the logic page's lists and script text.
    virtual void ClearLogicPage() {}
    // Writes the Output Routing page's table back into the device.
    virtual void WriteBackOutputRouting() {}
};

class AudioPageHost {
public:
    AudioPageHost(EditorHost& Host, AudioPageView& View) : FHost(Host), FView(View) {}

    // Builds a frame for the current device; a frame that cannot be built gives null.
    using FrameFactory = std::function<std::unique_ptr<EditorFrame>(int Device)>;
    void SetFrameFactory(AudioFrame Frame, FrameFactory Factory);
    // Null while its page or tab is not shown.
    EditorFrame* Frame(AudioFrame Frame) const { return FFrames[Index(Frame)].get(); }

    // By the selected node's image index (90-97).
    void ShowAudioSystemPage(int ImageIndex);
    // On every selection change, before the current device changes.
    void HideAudioSystemPages();
    void ShowFaderChannelPage();
    void HideFaderChannelPage();
    // Show and hide of the "Inserts" and "Global Pool" tabs.
    void TabShow(AudioFrame Frame) { Build(Frame); }
    void TabHide(AudioFrame Frame) { Free(Frame); }

private:
    static std::size_t Index(AudioFrame Frame) { return static_cast<std::size_t>(Frame); }
    void Build(AudioFrame Frame);
    void Free(AudioFrame Frame) { FFrames[Index(Frame)].reset(); }
    void AudioSourcesFor(int Filter);
    void OptionPanel(bool Visible);

    EditorHost& FHost;
    AudioPageView& FView;
    std::array<FrameFactory, 4> FFactories;
    std::array<std::unique_ptr<EditorFrame>, 4> FFrames;
};

} // namespace kvr::editors
