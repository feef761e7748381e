#include "editors/logic/gporoutinglist.h"

#include "editors/logic/logicpage.h"
#include "model/cardrecords.h"
#include "model/channelname.h"
#include "model/device.h"
#include "model/gpoaccess.h"
#include "model/gporouting.h"
#include "model/recordtext.h"
#include "model/sourceids.h"
#include "model/sourcenames.h"

namespace kvr::editors {

using namespace kvr::model;

namespace {

bool IsGPOCard(int Type)
{
    return Type == 111 || Type == 122 || Type == 123 || Type == 222 || Type == 223 || Type == kCardGPIO;
}

} // namespace

GPORow GPORoutingList::Row(int Slot, int Entry, int CardType, const std::string& Name, int ID) const
{
    GPORow row;
    row.Name = Name;
    row.Address = GetChannelName(MakeChannelID(Slot, Entry, 0xC0), CardType, false);
    row.Ref = GetGPORouting(*FPage.Device(), ID);
    row.Source = GetLogicSourceName(*FPage.Project(), row.Ref & LogicIDMask, FPage.DeviceIndex());
    row.ImageIndex = row.Ref >> 14;
    row.GPOID = ID;
    return row;
}

void GPORoutingList::FillGPOList()
{
    std::vector<GPORow> rows;
    TDevice* dev = FPage.Device();
    for (int s = 0; dev != nullptr && s < dev->GetSlotCount(); ++s) {
        if (s % 10 > 7)
            continue;
        const auto record = dev->GetSetupData(static_cast<std::uint8_t>(s));
        const int type = CardTypeOf(record);
        if (!IsGPOCard(type))
            continue;
        TCardRecord card;
        if (!DecodeCardRecord(record, card))
            continue;
        for (std::size_t e = 0; e < card.GPIOs.size(); ++e) {
            const int id = CalcGPOID(*dev, s, static_cast<int>(e));
            if (id < 0)
                continue;
            GPORow row = Row(s, static_cast<int>(e), type, FieldText(card.GPIOs[e]), id);
            if (!row.Name.empty() || (row.Ref & LogicIDMask) != 0)
                rows.push_back(std::move(row));
        }
    }
    FRows = std::move(rows);
    Select(FSelected < static_cast<int>(FRows.size()) ? FSelected : -1);
}

void GPORoutingList::Select(int Row)
{
    FSelected = Row >= 0 && Row < static_cast<int>(FRows.size()) ? Row : -1;
    FPage.FGPOID = FSelected >= 0 ? FRows[static_cast<std::size_t>(FSelected)].GPOID : -1;
}

void GPORoutingList::Clear()
{
    TDevice* dev = FPage.Device();
    if (dev == nullptr || FSelected < 0)
        return;
    // An unrouted GPO reads as None with condition ON; storing 0 would turn the condition OFF.
    SetGPORouting(*dev, FRows[static_cast<std::size_t>(FSelected)].GPOID, kGPODefault);
    RefreshSelected();
}

void GPORoutingList::ClearAll()
{
    if (TDevice* dev = FPage.Device())
        dev->SetData(stGPORouting, {});
    FillGPOList();
}

void GPORoutingList::RefreshSelected()
{
    if (FSelected < 0 || FPage.Device() == nullptr)
        return;
    GPORow& row = FRows[static_cast<std::size_t>(FSelected)];
    row.Ref = GetGPORouting(*FPage.Device(), row.GPOID);
    row.Source = GetLogicSourceName(*FPage.Project(), row.Ref & LogicIDMask, FPage.DeviceIndex());
    row.ImageIndex = row.Ref >> 14;
}

} // namespace kvr::editors
