#include "editors/logic/logicfunctioneditor.h"

#include <algorithm>
#include <cctype>

#include "editors/logic/logicpage.h"
#include "model/device.h"
#include "model/logicaccess.h"
#include "model/recordtext.h"
#include "model/sourcenames.h"

namespace kvr::editors {

using namespace kvr::model;

namespace {

inline constexpr std::uint8_t kAndFlag = 0x80;
inline constexpr std::uint8_t kInterlockFlag = 0x40;

// Reads, edits and stores the selected function; false without one.
template <typename Edit>
bool Change(LogicPage& page, Edit edit)
{
    const auto set = [](TDevice& dev, int index, const TLogicFunction& f) { SetLogicFunction(dev, index, &f); };
    return ChangeSelected<TLogicFunction>(page, GetLogicFunction, set, edit);
}

} // namespace

void LogicFunctionEditor::Fill()
{
    TLogicFunction f;
    if (!ReadSelected(FPage, GetLogicFunction, f)) {
        Sources.clear();
        SelectedSource = -1;
        return;
    }
    Label = LabelText(f.Label);
    And = (f.Head & kAndFlag) != 0;
    Interlock = (f.Head & kInterlockFlag) != 0;
    BusPosition = Interlock ? std::clamp<int>(f.InterlockBus, 1, kMaxInterlockBus) : 1;
    const int count = std::min<int>(f.SourceCount(), static_cast<int>(f.Source.size()));
    Sources.clear();
    for (int i = 0; i < count; ++i) {
        const std::uint16_t ref = f.Source[static_cast<std::size_t>(i)];
        Sources.push_back({GetLogicSourceName(*FPage.Project(), ref, FPage.DeviceIndex()), ref >> 14, ref});
    }
    if (SelectedSource >= count)
        SelectedSource = -1;
}

void LogicFunctionEditor::SetLabel(const std::string& Text)
{
    if (FPage.FEditGuard)
        return;
    Label = Text.substr(0, 10);
    Change(FPage, [&](TLogicFunction& f) { model::SetLabel(f.Label, Label); });
}

void LogicFunctionEditor::SetAnd(bool IsAnd)
{
    if (Change(FPage, [&](TLogicFunction& f) {
            f.Head = static_cast<std::uint8_t>(IsAnd ? (f.Head | kAndFlag) : (f.Head & ~kAndFlag));
        }))
        And = IsAnd;
}

void LogicFunctionEditor::SetInterlock(bool Ticked)
{
    if (FPage.FEditGuard)
        return;
    if (Change(FPage, [&](TLogicFunction& f) {
            if (Ticked) {
                f.Head |= kInterlockFlag;
                f.InterlockBus = static_cast<std::uint8_t>(BusPosition);
            } else {
                f.Head = static_cast<std::uint8_t>(f.Head & ~kInterlockFlag);
                f.InterlockBus = 0;
            }
        }))
        Interlock = Ticked;
}

void LogicFunctionEditor::TypeBus(const std::string& Text)
{
    // Leading digits only; anything else reads as 0, which the up-down lifts to its minimum.
    long value = 0;
    std::size_t i = 0;
    while (i < Text.size() && Text[i] == ' ')
        ++i;
    for (; i < Text.size() && std::isdigit(static_cast<unsigned char>(Text[i])) && value <= kMaxInterlockBus; ++i)
        value = value * 10 + (Text[i] - '0');
    BusPosition = static_cast<int>(std::clamp<long>(value, 1, kMaxInterlockBus));
}

void LogicFunctionEditor::StepBus(int Position)
{
    BusPosition = std::clamp(Position, 1, kMaxInterlockBus);
    if (FPage.FEditGuard || !Interlock)
        return;
    Change(FPage, [&](TLogicFunction& f) { f.InterlockBus = static_cast<std::uint8_t>(BusPosition); });
}

void LogicFunctionEditor::SelectSource(int Row)
{
    SelectedSource = Row >= 0 && Row < static_cast<int>(Sources.size()) ? Row : -1;
    FPage.FSourceRow = SelectedSource;
}

void LogicFunctionEditor::RemoveSource()
{
    if (SelectedSource < 0)
        return;
    const auto row = static_cast<std::size_t>(SelectedSource);
    const bool removed = Change(FPage, [&](TLogicFunction& f) {
        const int count = f.SourceCount();
        if (static_cast<int>(row) >= count)
            return;
        std::copy(f.Source.begin() + static_cast<std::ptrdiff_t>(row) + 1, f.Source.begin() + count,
                  f.Source.begin() + static_cast<std::ptrdiff_t>(row));
        f.Source[static_cast<std::size_t>(count - 1)] = 0;
        f.Head = static_cast<std::uint8_t>((f.Head & 0xC0) | (count - 1));
    });
    if (removed)
        Fill();
}

} // namespace kvr::editors
