// Fixed and switchable insert points.

#include "editors/audio/insertpoints.h"

#include <charconv>

#include "model/device.h"
#include "model/faderaccess.h"
#include "model/project.h"
#include "model/recordtext.h"
#include "model/sourceids.h"
#include "model/sourcenames.h"

namespace kvr::editors {

using namespace kvr::model;

namespace {
std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::uint16_t EvenSource(std::uint16_t source)
{
    return static_cast<std::uint16_t>(source & AudioStereoPairMask);
}
} // namespace

InsertPoints::InsertPoints(TProject& Project, int Device)
    : FProject(Project), FDeviceIndex(Device), FDev(*Project.Device(Device))
{
}

std::string InsertPoints::PairText(std::uint16_t Source)
{
    return GetAudioSourceName(FProject, Source & ~1, FDeviceIndex, false) + " + " +
           GetAudioSourceName(FProject, Source | 1, FDeviceIndex, false);
}

std::vector<FixedInsertRow> InsertPoints::FixedRows()
{
    std::vector<FixedInsertRow> rows;
    const int strips = FDev.GetHeader()[dh::FaderCount];
    for (int f = 0; f < strips; ++f) {
        FixedInsertRow row;
        row.Fader = std::to_string(f + 1);
        TFader fader;
        GetFader(FDev, f, fader);
        TFaderChannel channel;
        row.Channel = GetFaderChannel(FDev, fader.FaderChannel, channel) == 1
                          ? GetFaderChannelName(FDev, fader.FaderChannel)
                          : "(none)";
        TFixedInsert insert;
        GetFixedInsert(FDev, f, insert);
        row.Ref = insert.Source;
        row.Source = PairText(insert.Source);
        rows.push_back(row);
    }
    return rows;
}

std::vector<SwitchableInsertRow> InsertPoints::SwitchableRows()
{
    std::vector<SwitchableInsertRow> rows;
    for (int i = 0; i < kSwitchable; ++i) {
        TSwitchableInsert point;
        GetSwitchableInsert(FDev, i, point);
        SwitchableInsertRow row;
        row.Label = Trimmed(LabelText(point.Label));
        row.Routing = point.Routing + 1;
        row.Send = "Routing " + std::to_string(row.Routing);
        row.Ref = point.Source;
        row.Return = PairText(point.Source);
        rows.push_back(row);
    }
    return rows;
}

void InsertPoints::SetFixedInsertSource(int Fader, std::uint16_t Source)
{
    if (Fader < 0 || Fader >= FDev.GetHeader()[dh::FaderCount])
        return;
    TFixedInsert insert;
    GetFixedInsert(FDev, Fader, insert);
    insert.Fader = static_cast<std::uint8_t>(Fader);
    insert.Source = EvenSource(Source);
    SetFixedInsert(FDev, Fader, insert);
}

void InsertPoints::SetSwitchableInsertReturn(int Point, std::uint16_t Source)
{
    if (Point < 0 || Point >= kSwitchable)
        return;
    TSwitchableInsert point;
    GetSwitchableInsert(FDev, Point, point);
    point.Source = EvenSource(Source);
    SetSwitchableInsert(FDev, Point, point);
}

std::optional<int> InsertPoints::SetRouting(int Point, const std::string& Text)
{
    if (Point < 0 || Point >= kSwitchable)
        return std::nullopt;
    long number = 0;
    const std::string text = Trimmed(Text);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || number < 0)
        return std::nullopt;
    TSwitchableInsert point;
    GetSwitchableInsert(FDev, Point, point);
    // Routing 0 (number 0) wraps to the top selector through the data model's limit.
    point.Routing = number == 0 ? std::uint16_t{0xFFFF}
                                : static_cast<std::uint16_t>(std::min<long>(number - 1, kMaxRoutingValue));
    SetSwitchableInsert(FDev, Point, point);
    GetSwitchableInsert(FDev, Point, point);
    return point.Routing + 1;
}

void InsertPoints::SetLabel(int Point, const std::string& Text)
{
    if (Point < 0 || Point >= kSwitchable)
        return;
    TSwitchableInsert point;
    GetSwitchableInsert(FDev, Point, point);
    model::SetLabel(point.Label, Text.substr(0, point.Label.size()));
    SetSwitchableInsert(FDev, Point, point);
}

void InsertPoints::Clear(int Point)
{
    if (Point < 0 || Point >= kSwitchable)
        return;
    TSwitchableInsert point;
    GetSwitchableInsert(FDev, Point, point);
    point.Source = 0;
    point.Label = {};
    point.Routing = 0;
    SetSwitchableInsert(FDev, Point, point);
}

} // namespace kvr::editors
