#pragma once
// The logic-source and audio-source windows as the frame I/O editor uses them: the windows live
// in the editors layer; the program hands them in through this interface, tests fake it.

namespace kvr::app::frameio {

class SourceWindows {
public:
    virtual ~SourceWindows() = default;
    // Logic-source window.
    virtual void SelectLogicSource(int Reference) = 0;
    virtual void SetLogicTargetKind(int Kind) = 0;
    virtual void ShowLogicWindow() = 0;
    virtual void BuildLogicSourceTree() = 0;
    // Audio-source window.
    virtual void SetAudioDeviceIndex(int Device) = 0;
    virtual void BuildAudioSourceTree() = 0;
};

} // namespace kvr::app::frameio
