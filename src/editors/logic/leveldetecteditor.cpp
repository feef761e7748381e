#include "editors/logic/leveldetecteditor.h"

#include <algorithm>
#include <cstdio>

#include "editors/logic/logicpage.h"
#include "model/device.h"
#include "model/logicaccess.h"
#include "model/recordtext.h"
#include "model/sourcenames.h"

namespace kvr::editors {

using namespace kvr::model;

std::string LevelKnobText(int Knob, int Position)
{
    char text[32];
    switch (Knob) {
    case lkLevel: return std::to_string(Position - 40) + " dB int";
    case lkHold: std::snprintf(text, sizeof text, "%d.%d s", Position / 10, Position % 10); return text;
    case lkCorrelation: std::snprintf(text, sizeof text, "%1.1f", Position * 0.1); return text;
    case lkAttack: return std::to_string(Position) + " ms";
    case lkRelease: std::snprintf(text, sizeof text, "%3.1f s", Position * 0.01); return text;
    default: return {};
    }
}

LevelDetectEditor::LevelDetectEditor(LogicPage& Page) : FPage(Page)
{
    for (std::size_t k = 0; k < kLevelKnobs.size(); ++k) {
        Knobs[k] = kLevelKnobs[k].Start;
        KnobTexts[k] = LevelKnobText(static_cast<int>(k), Knobs[k]);
    }
}

void LevelDetectEditor::Fill()
{
    TLevelDetect l;
    if (!ReadSelected(FPage, GetLevelDetect, l))
        return;
    Label = LabelText(l.Label);
    SourceTag = l.Source;
    Stereo = l.Stereo != 0;
    const TProject& project = *FPage.Project();
    SourceText = GetAudioSourceName(project, l.Source, FPage.DeviceIndex(), false);
    if (Stereo)
        SourceText += " + " + GetAudioSourceName(project, l.Source + 1, FPage.DeviceIndex(), false);
    SetKnob(lkLevel, l.Level);
    SetKnob(lkHold, l.HoldTime);
    SetKnob(lkCorrelation, l.Correlation);
    SetKnob(lkAttack, l.Attack);
    SetKnob(lkRelease, l.Release);
}

void LevelDetectEditor::SetKnob(int Knob, int Position)
{
    if (Knob < 0 || Knob >= static_cast<int>(Knobs.size()))
        return;
    const auto k = static_cast<std::size_t>(Knob);
    const int position = std::clamp(Position, kLevelKnobs[k].Min, kLevelKnobs[k].Max);
    if (position == Knobs[k])
        return;
    Knobs[k] = position;
    KnobTexts[k] = LevelKnobText(Knob, position);
    ChangeSelected<TLevelDetect>(FPage, GetLevelDetect, SetLevelDetect, [&](TLevelDetect& l) {
        switch (Knob) {
        case lkLevel: l.Level = static_cast<std::uint8_t>(position); break;
        case lkHold: l.HoldTime = static_cast<std::uint16_t>(position); break;
        case lkCorrelation: l.Correlation = static_cast<std::int8_t>(position); break;
        case lkAttack: l.Attack = static_cast<std::uint8_t>(position); break;
        default: l.Release = static_cast<std::uint8_t>(position); break;
        }
    });
}

void LevelDetectEditor::SetLabel(const std::string& Text)
{
    if (FPage.FEditGuard)
        return;
    Label = Text.substr(0, 10);
    ChangeSelected<TLevelDetect>(FPage, GetLevelDetect, SetLevelDetect, [&](TLevelDetect& l) { model::SetLabel(l.Label, Label); });
}

void LevelDetectEditor::SetStereo(bool Ticked)
{
    if (FPage.FEditGuard)
        return;
    // A pair is taken by its first, even channel.
    const bool stored = ChangeSelected<TLevelDetect>(FPage, GetLevelDetect, SetLevelDetect, [&](TLevelDetect& l) {
        if (Ticked)
            l.Source = static_cast<std::uint16_t>(l.Source & ~1u);
        l.Stereo = Ticked ? 1 : 0;
    });
    if (stored)
        FPage.RefreshLogicEditor([this] { Fill(); });
}

} // namespace kvr::editors
