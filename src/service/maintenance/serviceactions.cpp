#include "service/maintenance/serviceactions.h"

#include "client/setupservices.h"
#include "diagnostics/kvrinfoformat.h"
#include "diagnostics/waitcursor.h"
#include "service/maintenance/maintenanceframe.h"
#include "service/maintenance/mtnmessages.h"

namespace kvr::service {

namespace {

constexpr std::uint32_t CmdReset = 0x0103;
constexpr std::uint32_t CmdTestMode = 0x01F2;
constexpr std::uint32_t CmdHourMeter = 0x01FA;
constexpr std::uint32_t CmdModuleID = 0x01FE;
constexpr std::uint32_t CmdCardWrite = 0x0120;
constexpr std::uint32_t IdLoadSave = 0x111C0000;
constexpr std::uint32_t IdClearParams = 0x111CFFFF;
constexpr std::uint8_t SaveSetupCode = 11;
constexpr std::uint8_t ClearParamsCode = 9;
constexpr std::uint8_t MLCardSlot = 9;
constexpr std::uint8_t MLCardCode = 100;

KVRCANBlock Block(std::uint32_t Command, std::uint32_t Address, std::initializer_list<std::uint8_t> Data)
{
    KVRCANBlock cb;
    cb.ID = Command << 16 | (Address & 0xFFFF);
    cb.Len = static_cast<std::uint8_t>(Data.size());
    std::copy(Data.begin(), Data.end(), cb.Data.begin());
    return cb;
}

int Ask(std::uint32_t Code, const char* Buttons)
{
    return InfoFormatter->ShowMessage(Code, Buttons);
}

void Refuse(std::uint32_t Code)
{
    InfoFormatter->ShowMessage(Code, "");
}

} // namespace

void ServiceActions::Reset(std::uint32_t Address, bool DeviceNode)
{
    MaintenanceFrame::BusyScope busy(F);
    if (!busy.Taken)
        return;
    if (!F.Connected()) {
        Refuse(mmResetFailed);
        return;
    }
    F.SendLoggedBlock(Block(CmdReset, Address, {}));
    F.Wait(F.KVRCC().Retries * ResetWaitPerRetryMs);
    if (DeviceNode)
        F.CloseAfterDeviceReset();
}

void ServiceActions::ResetDevice()
{
    TModuleNode* node = F.Focused();
    if (!node)
        return;
    Reset(DeviceNodeAddress, node->Level() == 0);
}

void ServiceActions::ResetModule()
{
    TModuleNode* node = F.Focused();
    if (!node)
        return;
    // On a card the reset goes to its module.
    if (node->Level() == 2 && F.SetFocus(node->Parent))
        node = node->Parent;
    if (F.Focused() != node)
        return;
    Reset(static_cast<std::uint32_t>(node->Rec.Address), node->Level() == 0);
}

void ServiceActions::LampTest(bool On)
{
    TModuleNode* node = F.Focused();
    if (!node || node->Level() != 1)
        return;
    // The node keeps the state even when the block does not go out.
    node->Rec.TestMode = On ? 1 : 0;
    F.MutableItem("LampTestActn").Checked = On;
    if (!F.Connected()) {
        Refuse(mmLamptestFailed);
        return;
    }
    F.SendLoggedBlock(Block(CmdTestMode, static_cast<std::uint32_t>(node->Rec.Address), {static_cast<std::uint8_t>(On ? 1 : 0)}));
}

void ServiceActions::ClearParamMem()
{
    TModuleNode* node = F.Focused();
    if (!node || node->Level() != 0)
        return;
    if (!F.Connected()) {
        Refuse(mmClearParamFailed);
        return;
    }
    if (Ask(mmClearParamQuestion, "YN") != mrYes)
        return;
    KVRCANBlock cb;
    cb.ID = IdClearParams;
    cb.Len = 1;
    cb.Data[0] = ClearParamsCode;
    F.SendLoggedBlock(cb);
}

void ServiceActions::ResetHourMeter()
{
    TModuleNode* node = F.Focused();
    if (!node)
        return;
    MaintenanceFrame::BusyScope busy(F);
    if (!busy.Taken)
        return;
    if (!F.Connected()) {
        Refuse(mmResetHourMeterFailed);
        return;
    }
    F.SendLoggedBlock(Block(CmdHourMeter, static_cast<std::uint32_t>(node->Rec.Address), {}));
    F.Wait(F.KVRCC().Retries * ResetWaitPerRetryMs);
}

void ServiceActions::SetModuleID(int Tag)
{
    TModuleNode* node = F.Focused();
    if (!node || node->Level() != 1 || !F.Connected() || Tag < 0 || Tag > 11)
        return;
    F.SendLoggedBlock(Block(CmdModuleID, static_cast<std::uint32_t>(node->Rec.Address), {static_cast<std::uint8_t>(Tag)}));
}

void ServiceActions::SaveSetup0()
{
    TModuleNode* node = F.Focused();
    if (!node || node->Level() != 0 || Ask(mmSaveSetup0Question, "YN") != mrYes)
        return;
    KVRCANBlock cb;
    cb.ID = IdLoadSave;
    cb.Len = 2;
    cb.Data[0] = SaveSetupCode;
    F.KVRCC().SendBlock(cb);
}

void ServiceActions::SaveSetup1_6()
{
    TModuleNode* node = F.Focused();
    if (!node || node->Level() != 0 || Ask(mmSaveSetupQuestion, "YN") != mrYes)
        return;
    for (std::uint8_t n = 1; n <= 6; ++n) {
        KVRCANBlock cb;
        cb.ID = IdLoadSave;
        cb.Len = 2;
        cb.Data[0] = SaveSetupCode;
        cb.Data[1] = n;
        F.KVRCC().SendBlock(cb);
    }
}

template <class Delete>
void ServiceActions::DeleteRange(std::uint32_t Question, std::uint32_t Failure, int Last, Delete Del)
{
    if (Ask(Question, "OC") != mrOk)
        return;
    MaintenanceFrame::BusyScope busy(F);
    if (!busy.Taken)
        return;
    bool failed = false;
    {
        TWaitCursor cursor;
        kvr::client::SetupServices services(F.KVRCC());
        for (int n = 1; n <= Last && !failed; ++n)
            failed = !Del(services, n);
    }
    if (failed)
        Refuse(Failure);
}

void ServiceActions::DeleteMixerSetupNames()
{
    DeleteRange(mmDeleteMixerNamesQuestion, mmDeleteMixerNamesFailed, 6,
                [](kvr::client::SetupServices& s, int n) { return s.DeleteMixerSetupName(n); });
}

void ServiceActions::DeleteChannelSetupNames()
{
    DeleteRange(mmDeleteChannelNamesQuestion, mmDeleteChannelNamesFailed, 250,
                [](kvr::client::SetupServices& s, int n) { return s.DeleteChannelSetupName(n); });
}

void ServiceActions::DeleteChannelSetups()
{
    DeleteRange(mmDeleteChannelSetupsQuestion, mmDeleteChannelSetupsFailed, 250,
                [](kvr::client::SetupServices& s, int n) { return s.DeleteChannelSetup(n); });
}

void ServiceActions::SetDHCP()
{
    if (Ask(mmDHCPQuestion, "YN") != mrYes)
        return;
    TUDPMsg msg = Kvrdata_ns::MakeSetDHCPMsg();
    F.KVRCC().SendUDPBlock(msg);
}

bool ServiceActions::WriteCardInfoByte(std::uint16_t Module, std::uint8_t Slot, std::uint8_t Offset, std::uint8_t Value)
{
    return F.SendLoggedBlock(Block(CmdCardWrite, Module, {static_cast<std::uint8_t>(Slot * 16), Offset, 1, 0, Value}));
}

void ServiceActions::SwitchMLCard()
{
    TModuleNode* node = F.Focused();
    if (!node || node->Level() != 2 || node->Rec.Type != 8)
        return;
    // Always slot index 9 of the module, whichever card is focused.
    WriteCardInfoByte(static_cast<std::uint16_t>(node->Rec.Address), MLCardSlot, 0, MLCardCode);
}

} // namespace kvr::service
