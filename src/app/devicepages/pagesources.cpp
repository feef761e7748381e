#include "app/devicepages/pagesources.h"

namespace kvr::app {

namespace {

// Group filter of the logic-source window: the current device's sources.
constexpr int kCurrentDeviceSources = 0;

constexpr PageSource kSources[] = {PageSource::PINInput1, PageSource::PINInput2, PageSource::PreparationMode};

} // namespace

int TargetKindOf(PageSource Source)
{
    switch (Source) {
    case PageSource::PINInput1: return 17;
    case PageSource::PINInput2: return 18;
    case PageSource::PreparationMode: return 22;
    }
    return 0;
}

editors::LogicSourcePicker* PageSources::Window()
{
    editors::LogicSourcePicker* window = FWindow ? FWindow() : nullptr;
    if (window)
        for (const PageSource source : kSources)
            window->SetTarget(TargetKindOf(source), this);
    return window;
}

void PageSources::Select(PageSource Which, std::uint16_t Current)
{
    editors::LogicSourcePicker* window = Window();
    if (!window)
        return;
    window->SetGroupFilter(kCurrentDeviceSources);
    window->BuildSourceTree();
    window->SelectLogicSource(Current);
    window->ShowPicker();
    window->SetTargetKind(TargetKindOf(Which));
}

void PageSources::Drop(PageSource Which)
{
    editors::LogicSourcePicker* window = Window();
    if (!window)
        return;
    window->SetTargetKind(TargetKindOf(Which));
    window->Assign(editors::AssignSender::Page);
}

void PageSources::Release()
{
    if (editors::LogicSourcePicker* window = FWindow ? FWindow() : nullptr)
        for (const PageSource source : kSources)
            window->SetTarget(TargetKindOf(source), nullptr);
}

void PageSources::Refresh(int Kind, const editors::PickedSource& /*Source*/)
{
    for (const PageSource source : kSources)
        if (TargetKindOf(source) == Kind && FShow)
            FShow(source);
}

} // namespace kvr::app
