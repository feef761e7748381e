#include "service/moduleinfo/moduleinformation.h"

#include <chrono>
#include <cstdio>

#include "client/configtransfer.h"
#include "diagnostics/kvrinfoformat.h"
#include "diagnostics/waitcursor.h"
#include "platform/settingsstore.h"
#include "service/maintenance/mtnmessages.h"

namespace kvr::service {

namespace {
constexpr std::uint32_t CmdCardRead = 0x0110;
constexpr std::uint32_t CmdModuleInfo = 0x0600;
constexpr int CardModuleType = 4;
constexpr int CarrierSlotIndex = 8;
} // namespace

ModuleInformation::ModuleInformation(MaintenanceFrame& Frame) : F(Frame)
{
    Now = [] {
        return static_cast<std::int64_t>(
            std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count());
    };
}

void ModuleInformation::Open()
{
    Lines.clear();
    if (Show)
        Show();
}

void ModuleInformation::ModuleInfoAction()
{
    TModuleNode* node = F.Focused();
    if (!node || node->Level() == 0)
        return;
    MaintenanceFrame::RefreshHold hold(F);
    TWaitCursor cursor;
    F.MutableItem("ModuleInfoActn").Enabled = false;
    Open();
    if (node->Level() == 1)
        ShowModuleInfo();
    else
        ShowCardInfo(static_cast<std::uint16_t>(node->Rec.Address), node->Rec.Index);
    F.MutableItem("ModuleInfoActn").Enabled = true;
    if (Changed)
        Changed();
    F.NotifyChanged();
}

void ModuleInformation::ShowModuleInfo()
{
    TModuleNode* node = F.Focused();
    if (!node)
        return;
    Add("Module Information:");
    Add(" ");
    if (!F.Connected()) {
        InfoFormatter->ShowMessage(mmModuleInfoFailed, "");
    } else {
        std::vector<std::uint8_t> page(StatusPageBufferSize, 0xFF);
        F.KVRCC().OnProgress = [this](TKVRCommunicationClient*, int Bytes, int, int BytesTotal) {
            if (F.OnProgress)
                F.OnProgress(Bytes, BytesTotal);
        };
        if (F.OnProgress)
            F.OnProgress(0, static_cast<int>(StatusPageBufferSize));
        const bool ok = kvr::client::ConfigTransfer(F.KVRCC()).LoadStatusInfo(node->Rec.Address, page);
        if (F.OnProgress)
            F.OnProgress(0, 0);
        if (ok) {
            F.SetProgressText("collecting module information finished");
            for (std::string& line : StatusPageText(page, static_cast<std::uint16_t>(node->Rec.Address)))
                Add(std::move(line));
        } else {
            InfoFormatter->ShowMessage(mmModuleInfoNoAnswer, "");
        }
    }
    Add(" ");
    Add(" ");
    if (Changed)
        Changed();
}

bool ModuleInformation::ReadCardChunk(std::uint16_t ModuleNumber, std::uint8_t SlotIndex, std::uint8_t Offset, std::uint8_t* Out)
{
    KVRCANBlock request;
    request.ID = CmdCardRead << 16 | ModuleNumber;
    request.Len = 2;
    request.Data[0] = static_cast<std::uint8_t>(SlotIndex * 16);
    request.Data[1] = Offset;
    KVRCANBlock reply = request;
    if (!F.RequestLoggedBlock(request, reply, 0xFFFFFFFF, 0, 0))
        return false;
    std::copy_n(reply.Data.begin(), 8, Out);
    return true;
}

void ModuleInformation::ShowCardInfo(std::uint16_t ModuleNumber, int Slot)
{
    if (!F.Connected()) {
        InfoFormatter->ShowMessage(mmCardInfoFailed, "");
        return;
    }
    F.KVRCC().SetFilter(0);
    F.KVRCC().SetFilterMask(0);
    MaintenanceFrame::RefreshHold hold(F);
    std::vector<std::uint8_t> page(CardPageSize, 0xFF);
    bool ok = true;
    for (std::size_t offset = 0; offset < CardPageSize && ok; offset += 8) {
        // The bar spans the page, so it is full after the last read.
        if (F.OnProgress)
            F.OnProgress(static_cast<int>(offset), static_cast<int>(CardPageSize));
        ok = ReadCardChunk(ModuleNumber, static_cast<std::uint8_t>(Slot - 1), static_cast<std::uint8_t>(offset), &page[offset]);
    }
    if (F.OnProgress)
        F.OnProgress(0, 0);
    if (!ok) {
        InfoFormatter->ShowMessage(mmIncompleteData, "");
        return;
    }
    for (std::string& line : CardPageText(page, Slot, Now()))
        Add(std::move(line));
    if (Changed)
        Changed();
}

bool ModuleInformation::ReadCardHeader(std::uint16_t ModuleNumber, std::uint8_t SlotIndex, TCardHeader& Header)
{
    std::uint8_t data[8] = {};
    Header = {};
    if (!ReadCardChunk(ModuleNumber, SlotIndex, 0, data))
        return false;
    Header = DecodeCardHeader(data);
    return true;
}

void ModuleInformation::ReadCardSlots(TModuleNode& Module)
{
    F.Tree().DeleteChildren(&Module);
    for (std::uint8_t slot = 0; slot < 10; ++slot) {
        TCardHeader card;
        if (!ReadCardHeader(static_cast<std::uint16_t>(Module.Rec.Address), slot, card))
            continue;
        const TCardTypeRow* row = FindCardCode(card.TypeCode);
        if (!row)
            continue;
        char text[64];
        std::snprintf(text, sizeof text, "Slot %2i - %s SN %i", slot + 1, row->Name, static_cast<int>(card.Serial));
        F.Tree().AddTreeNode(&Module, Module.Rec.Address, row->Index, 0, Module.Rec.Device, slot + 1, text);
    }
    Module.Expanded = true;
    F.KVRCC().SetFilterMask(0);
    F.KVRCC().SetFilter(0);
    F.NotifyChanged();
}

void ModuleInformation::GetCardsAction()
{
    if (TModuleNode* node = F.Focused(); node && node->Level() == 1)
        ReadCardSlots(*node);
}

void ModuleInformation::ListModuleSerialNumbers(std::uint8_t Type, std::uint16_t ModuleNumber)
{
    KVRCANBlock request;
    request.ID = CmdModuleInfo << 16 | ModuleNumber;
    KVRCANBlock reply = request;
    if (F.RequestLoggedBlock(request, reply, 0xFFFFFFFF, 0, 0))
        Add(ModuleSerialLine(std::span<const std::uint8_t>(reply.Data.data(), 8), ModuleNumber));
    else
        InfoFormatter->ShowMessage(mmModuleNoAnswer, "");
    if (Type != CardModuleType)
        return;
    for (std::uint8_t slot = 0; slot < 10; ++slot) {
        TCardHeader card;
        ReadCardHeader(ModuleNumber, slot, card);
        // The carrier itself sits in slot 9, whatever the read gave.
        if (slot == CarrierSlotIndex)
            Add(CarrierSlotLine(ModuleNumber, card.Revision));
        if (FindCardCode(card.TypeCode))
            Add(CardSlotLine(slot, card));
    }
}

void ModuleInformation::ListSerialNumbers()
{
    TModuleNode* node = F.Focused();
    if (!node)
        return;
    TModuleNode* device = node->DeviceNode();
    F.SetFocus(device);
    const TDeviceInfo_cza* d = device->Rec.Device;
    char mac[48];
    std::snprintf(mac, sizeof mac, "MAC address of device: %06X", d ? d->MAC & 0xFFFFFF : 0);
    Add("Serial numbers");
    Add(" ");
    Add(mac);
    Add(" ");
    if (!F.Connected()) {
        InfoFormatter->ShowMessage(mmSerialNumbersFailed, "");
    } else if (d) {
        const auto entries = d->Status.Entries; // a copy: the reads let the refresh run
        for (const auto& e : entries)
            ListModuleSerialNumbers(e.B1, e.Value);
    }
    Add(" ");
    Add(" ");
}

void ModuleInformation::SerialNumbersAction()
{
    if (!F.Focused())
        return;
    TWaitCursor cursor;
    Open();
    ListSerialNumbers();
    if (Changed)
        Changed();
    F.NotifyChanged();
}

void ModuleInformation::AllModuleInfoAction()
{
    const int delay = F.Settings().readInteger(platform::DefinitionKey, "ModuleInfoDelay").value_or(0);
    TModuleNode* start = F.Focused();
    if (!start)
        return;
    MaintenanceFrame::RefreshHold hold(F);
    TWaitCursor cursor;
    F.MutableItem("ModuleInfoActn").Enabled = false;
    F.MutableItem("AllModuleInfoActn").Enabled = false;
    const bool expanded = start->Expanded;
    TModuleNode* device = start->DeviceNode();
    Open();
    for (std::size_t i = 0; i < device->Children.size(); ++i) {
        TModuleNode* module = device->Children[i].get();
        F.SetFocus(module);
        ShowModuleInfo();
        if (delay > 0)
            F.Wait(static_cast<unsigned>(delay));
    }
    if (F.Tree().Contains(start)) {
        F.SetFocus(start);
        start->Expanded = expanded;
    }
    F.MutableItem("ModuleInfoActn").Enabled = true;
    F.MutableItem("AllModuleInfoActn").Enabled = true;
    if (Changed)
        Changed();
    F.NotifyChanged();
}

} // namespace kvr::service
