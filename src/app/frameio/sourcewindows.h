#pragma once
// The logic-source and audio-source windows as the frame I/O editor uses them: the windows live
// in the editors layer; the program hands them in through this interface, tests fake it.

#include <functional>

#include "editors/common/sourcepicker.h"

namespace kvr::app::frameio {

class SourceWindows {
public:
    virtual ~SourceWindows() = default;
    // Logic-source window.
    virtual void SelectLogicSource(int Reference) = 0;
    virtual void SetLogicTargetKind(int Kind) = 0;
    virtual void ShowLogicWindow() = 0;
    // The device's logic sources changed (a card record written marks them): the window lists them
    // anew.
    virtual void BuildLogicSourceTree() = 0;
    // Audio-source window.
    virtual void SetAudioDeviceIndex(int Device) = 0;
    // The device's audio sources changed: the window lists them anew.
    virtual void BuildAudioSourceTree() = 0;
};

// Target kinds of the logic-source window: the MADI port-2 condition of DSP slot 10, 20 and 30.
inline constexpr int kPort2ConditionKinds[] = {14, 15, 16};

// The two windows of the program behind SourceWindows. The windows come after the main window, so
// they are looked up at each use; the window that writes a port-2 condition hands it back here,
// and the table is drawn again.
class PickerSourceWindows final : public SourceWindows, public editors::SourceTarget {
public:
    struct Links {
        std::function<editors::LogicSourcePicker*()> Logic;
        std::function<editors::AudioSourcePicker*()> Audio;
        // A port-2 condition was written.
        std::function<void()> Repaint;
    };
    explicit PickerSourceWindows(Links L) : FLinks(std::move(L)) {}

    void SelectLogicSource(int Reference) override;
    void SetLogicTargetKind(int Kind) override;
    void ShowLogicWindow() override;
    void BuildLogicSourceTree() override;
    void SetAudioDeviceIndex(int Device) override;
    void BuildAudioSourceTree() override;

    void Refresh(int Kind, const editors::PickedSource& Source) override;
    // The frame page goes away: the logic-source window forgets it.
    void Release();

private:
    editors::LogicSourcePicker* Logic() const { return FLinks.Logic ? FLinks.Logic() : nullptr; }
    editors::AudioSourcePicker* Audio() const { return FLinks.Audio ? FLinks.Audio() : nullptr; }
    Links FLinks;
};

} // namespace kvr::app::frameio
