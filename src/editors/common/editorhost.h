#pragma once
// The main window's services to the editors: the open project, the current device, the
// preferences the editors read, the resource gauges, the progress window and the log. The main
// window implements it; editors never include the application layer.

#include <string>

namespace kvr::model {
class TProject;
}

namespace kvr::editors {

class LogicSourcePicker;
class AudioSourcePicker;

class EditorHost {
public:
    virtual ~EditorHost() = default;
    // Null without an open project.
    virtual model::TProject* Project() = 0;
    // Index of the current device, -1 when the project root is selected.
    virtual int CurrentDevice() const = 0;
    // Preference "Hide sources without name in audio and logic source trees".
    virtual bool HideUnnamedSources() const = 0;
    // Preference "Select next output routing after assign".
    virtual bool SelectNextRoutingAfterAssign() const = 0;
    // Reruns the fitting of the current device and redraws the three gauges.
    virtual void UpdateResourceGauges() = 0;
    virtual void ShowProgress(int Minimum, int Maximum, int Position) = 0;
    virtual void HideProgress() = 0;
    virtual void Log(const std::string& Line, int Level) = 0;
    // Lets pending messages run.
    virtual void PumpMessages() = 0;
    // Starts (or stops) the 50 ms timer that hides the Channel Assignment page's "Fader
    // configuration" once no fader is selected.
    virtual void ScheduleFaderConfigurationHide(bool /*Start*/) {}
    virtual LogicSourcePicker* LogicSources() = 0;
    virtual AudioSourcePicker* AudioSources() = 0;
};

} // namespace kvr::editors
