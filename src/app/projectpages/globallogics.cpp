#include "app/projectpages/globallogics.h"

#include <cstdio>

#include "model/device.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/sourcenames.h"

namespace kvr::app {

namespace {
constexpr int Count = model::kGlobalLogicCount;
const std::string NoneText = "None";

std::string Printed(const char* Format, auto... Args)
{
    char text[256];
    std::snprintf(text, sizeof text, Format, Args...);
    return text;
}
} // namespace

std::vector<std::vector<std::uint16_t>> GlobalLogics::SenderTable(bool All) const
{
    std::vector<std::vector<std::uint16_t>> table;
    for (int d = 0; d < FProject.DeviceCount(); ++d) {
        model::TDevice& device = *FProject.Device(d);
        std::vector<std::uint16_t> sources(Count, 0);
        if (All || !device.IsDummy()) {
            // Read from the stored list itself: the maintenance table shows fixed-model devices too.
            const std::vector<std::uint8_t> list = device.GetData(model::stGLAssign);
            for (int i = 0; i < Count; ++i)
                sources[static_cast<std::size_t>(i)] = model::ReadGLSource(list, i);
        }
        table.push_back(std::move(sources));
    }
    return table;
}

void GlobalLogics::SetRowSender(GlobalLogicRow& Row, std::uint16_t Source, int Device) const
{
    Row.ImageIndex = Source;
    Row.StateIndex = Device;
    Row.Device = Device >= 0 ? FProject.Device(Device)->GetName() : NoneText;
    Row.Source = Device >= 0 ? model::GetLogicSourceName(FProject, Source, Device) : NoneText;
}

void GlobalLogics::Show()
{
    FPicker.RebuildWith(SourceFilterAllDevices);
    auto table = SenderTable(false);
    FRows.resize(Count);
    for (int i = 0; i < Count; ++i) {
        GlobalLogicRow& row = FRows[static_cast<std::size_t>(i)];
        row.Nr = std::to_string(i + 1);
        row.Name = model::GetGlobalLogicName(FProject, i);
        int sender = -1;
        std::uint16_t source = 0;
        for (int d = 0; d < static_cast<int>(table.size()); ++d) {
            std::uint16_t& entry = table[static_cast<std::size_t>(d)][static_cast<std::size_t>(i)];
            if (entry == 0)
                continue;
            if (sender < 0) {
                sender = d;
                source = entry;
                continue;
            }
            const std::uint16_t cleared = entry;
            entry = 0;
            model::SetGLSource(*FProject.Device(d), i, 0);
            if (FLog)
                FLog(Printed("GL %d sent by multiple devices, source (%s) cleared.", i + 1,
                             model::GetLogicSourceName(FProject, cleared, d).c_str()),
                     0);
        }
        SetRowSender(row, source, sender);
    }
    if (FSelected >= Count)
        FSelected = -1;
}

void GlobalLogics::Select(int Row)
{
    FSelected = Row >= 0 && Row < static_cast<int>(FRows.size()) ? Row : -1;
}

void GlobalLogics::SetName(std::string_view Text)
{
    if (FSelected < 0)
        return;
    const std::string_view name = Text.substr(0, GlobalLogicNameMaxLength);
    model::SetGlobalLogicName(FProject, FSelected, name);
    FRows[static_cast<std::size_t>(FSelected)].Name = std::string(name);
}

void GlobalLogics::PickSender()
{
    if (FSelected < 0 || !FPicker.PickSender)
        return;
    const GlobalLogicRow& row = FRows[static_cast<std::size_t>(FSelected)];
    FPicker.PickSender(row.ImageIndex, row.StateIndex);
}

void GlobalLogics::DropOnSource()
{
    if (FSelected >= 0 && FPicker.AssignDropped)
        FPicker.AssignDropped();
}

void GlobalLogics::DropOnRow(int Row)
{
    Select(Row);
    DropOnSource();
}

void GlobalLogics::AssignSender(std::uint16_t Source, int Device, std::string_view NodeText)
{
    // A fixed-model device takes no sender: clearing the others first would lose the old one.
    if (FSelected < 0 || Device < 0 || Device >= FProject.DeviceCount() || FProject.Device(Device)->IsDummy())
        return;
    // The node's condition bits mean nothing to a sender.
    Source &= 0x3FFF;
    for (int d = 0; d < FProject.DeviceCount(); ++d)
        model::SetGLSource(*FProject.Device(d), FSelected, 0);
    model::SetGLSource(*FProject.Device(Device), FSelected, Source);
    GlobalLogicRow& row = FRows[static_cast<std::size_t>(FSelected)];
    SetRowSender(row, Source, Device);
    if (row.Name.starts_with("GL ")) {
        const std::string_view name = NodeText.substr(0, GlobalLogicNameMaxLength);
        model::SetGlobalLogicName(FProject, FSelected, name);
        row.Name = std::string(name);
    }
}

void GlobalLogics::RefreshSelected()
{
    if (FSelected < 0)
        return;
    GlobalLogicRow& row = FRows[static_cast<std::size_t>(FSelected)];
    row.Name = model::GetGlobalLogicName(FProject, FSelected);
    for (int d = 0; d < FProject.DeviceCount(); ++d) {
        const std::uint16_t source = model::GetGLSource(*FProject.Device(d), FSelected);
        if (source != 0) {
            SetRowSender(row, source, d);
            return;
        }
    }
    SetRowSender(row, 0, -1);
}

void GlobalLogics::Decode()
{
    FPicker.RebuildWith(SourceFilterAllDevices);
    if (!FLog)
        return;
    const auto table = SenderTable(true);
    FLog("GL#   + Dev#1  Dev#2  Dev#3  Dev#4  Dev#5  Dev#6  Dev#7  Dev#8  Dev#9", 2);
    for (int i = 0; i < Count; ++i) {
        std::string line = Printed("GL%03d - ", i + 1);
        for (const auto& sources : table)
            line += Printed("%04X - ", sources[static_cast<std::size_t>(i)]);
        FLog(line, 2);
    }
}

} // namespace kvr::app
