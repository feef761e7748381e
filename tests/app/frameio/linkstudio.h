#pragma once
// Two frames with analog, digital and MADI cards and a fixed-model device, for the device-link
// page and its dialog; and the dialog scripted.

#include <deque>
#include <string>
#include <vector>

#include "../../model/recordinghost.h"
#include "app/frameio/linkadapt.h"
#include "app/frameio/linkpage.h"
#include "framefixture.h"

namespace kvr::app::frameio::test {

// Device "A": analog 122 in slot 1 (4 inputs, 4 outputs, outputs 5/6 stereo), digital 111 in
// slot 2, one-port MADI in slot 10. Device "B": the same cards and a two-port MADI in slot 20.
// Device "Fixed" is a fixed model and never offered.
struct Studio {
    model::test::RecordingHost Host;
    model::TProject Project;
    int A = 0, B = 0, Fixed = 0;
    Studio()
    {
        Project.InitProject();
        A = Project.AddDevice();
        B = Project.AddDevice();
        Fixed = Project.AddDevice();
        for (int d : {A, B}) {
            model::TDevice& dev = *Project.Device(d);
            SetFrameType(dev, 1);
            dev.SetName(d == A ? "A" : "B");
            Bytes analog = IOCard(122, 0, 8, 0);
            JoinStereoEntry(analog, 6);
            dev.SetSetupData(0, analog);
            dev.SetSetupData(1, IOCard(111, 1, 4, 0));
        }
        Project.Device(A)->SetSetupData(9, DSPCard(2, 0, 0, Stereo(9, 2, 0, "I") + Stereo(9, 2, 0x80, "O")));
        Project.Device(B)->SetSetupData(19, DSPCard(3, 0x40, 0x40,
                                                    Stereo(19, 1, 0, "a") + Stereo(19, 1, 0x80, "b") +
                                                        Stereo(19, 1, 0x40, "c") + Stereo(19, 1, 0xC0, "d")));
        Project.Device(Fixed)->SetName("Fixed");
        Project.Device(Fixed)->SetSetupData(0, IOCard(122, 0, 8, 0));
        auto h = Project.Device(Fixed)->GetHeader();
        h[model::dh::DummyDevModel] = 1;
        Project.Device(Fixed)->SetHeader(h, false);
    }
    std::vector<std::string> Texts(int mode, int device, int type)
    {
        std::vector<std::string> out;
        for (const auto& n : BuildLinkTree(Project, mode, device, type))
            out.push_back(std::string(static_cast<std::size_t>(n.Level) * 2, ' ') + n.Text);
        return out;
    }
};

// The dialog scripted: each pass takes the next choice, none left cancels.
struct ScriptedDialog : LinkDialog {
    std::deque<LinkChoice> Choices;
    std::vector<LinkChoice> Presets;
    bool Choose(int, LinkChoice& c) override
    {
        Presets.push_back(c);
        if (Choices.empty())
            return false;
        c = Choices.front();
        Choices.pop_front();
        return true;
    }
};

} // namespace kvr::app::frameio::test
