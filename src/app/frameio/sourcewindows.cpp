#include "app/frameio/sourcewindows.h"

#include <algorithm>
#include <iterator>

namespace kvr::app::frameio {

namespace {
bool IsPort2ConditionKind(int Kind)
{
    return std::find(std::begin(kPort2ConditionKinds), std::end(kPort2ConditionKinds), Kind) != std::end(kPort2ConditionKinds);
}
} // namespace

void PickerSourceWindows::SelectLogicSource(int Reference)
{
    if (editors::LogicSourcePicker* window = Logic())
        window->SelectLogicSource(static_cast<std::uint32_t>(Reference));
}

void PickerSourceWindows::SetLogicTargetKind(int Kind)
{
    editors::LogicSourcePicker* window = Logic();
    if (!window)
        return;
    if (IsPort2ConditionKind(Kind))
        window->SetTarget(Kind, this);
    window->SetTargetKind(Kind);
}

void PickerSourceWindows::ShowLogicWindow()
{
    if (editors::LogicSourcePicker* window = Logic())
        window->ShowPicker();
}

void PickerSourceWindows::BuildLogicSourceTree()
{
    if (editors::LogicSourcePicker* window = Logic())
        window->BuildSourceTree();
}

void PickerSourceWindows::SetAudioDeviceIndex(int Device)
{
    if (editors::AudioSourcePicker* window = Audio())
        window->SetDeviceIndex(Device);
}

void PickerSourceWindows::BuildAudioSourceTree()
{
    if (editors::AudioSourcePicker* window = Audio())
        window->BuildSourceTree();
}

void PickerSourceWindows::Refresh(int Kind, const editors::PickedSource& /*Source*/)
{
    if (IsPort2ConditionKind(Kind) && FLinks.Repaint)
        FLinks.Repaint();
}

void PickerSourceWindows::Release()
{
    if (editors::LogicSourcePicker* window = Logic())
        for (const int kind : kPort2ConditionKinds)
            window->SetTarget(kind, nullptr);
}

} // namespace kvr::app::frameio
