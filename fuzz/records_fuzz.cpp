// Arbitrary bytes as one structure (or setup entry) of a device image, then every typed
// reader and a few edits of the record accessors over it.

#include "model/device.h"
#include "model/faderaccess.h"
#include "model/gpoaccess.h"
#include "model/keyaccess.h"
#include "model/logicaccess.h"
#include "model/potaccess.h"
#include "model/smallrecordaccess.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using namespace kvr::model;

namespace {

constexpr std::uint8_t kTypes[] = {stLogicFkt, stLogicDelay, stScript, stFCH, stChannelAssign, stGPORouting,
                                   stOldLevelDetect, stPots, stMuteLogic, stCleanFeed, stSourceList, stNetwork,
                                   stGLAssign, stPoolNames, stPotiAssign, stRotSelSourceList, stConsoleNames,
                                   stFCHLabels, stGroupLogic, stLevelDetect};

void ReadAll(TDevice& device)
{
    TLogicFunction f;
    TLogicDelay d;
    TScript s;
    TLevelDetect l;
    TFaderChannel c;
    TFader fader;
    TFaderChannelLabel label;
    TSourceList list;
    TNetworkSettings net;
    TKeyRecord key;
    TCardRecord card;
    std::string text;
    std::vector<std::uint8_t> entry;
    int slot = 0;
    int input = 0;
    for (int i = 0; i < 12; ++i) {
        GetLogicFunction(device, i, f);
        GetLogicDelay(device, i, d);
        GetScript(device, i, s);
        GetLevelDetect(device, i, l);
        GetFaderChannelByIndex(device, i, c);
        GetSourceList(device, i, list);
        GetMuteLogicName(device, i);
        GetConsoleName(device, i, text);
        GetPoolNameStr(device, i, text);
        GetFader(device, i, fader);
        GetCardRecord(device, i, card);
    }
    for (int n = 0; n < 256; n += 7) {
        GetFaderChannelName(device, n);
        GetFaderChannelLabel(device, n, label);
        GetPotName(device, n, text);
        GetPotiAssign(device, n, slot, input);
        GetRotSelSourceList(device, n);
        GetGLSource(device, n);
        GetKeyFunction(device, n, key, 100);
        FindPotModule(device, n, entry);
        GetGPORouting(device, n);
        GetGPORouting(device, 0x8000 | (n << 8) | (n & 7));
    }
    GetNetworkSettings(device, net);
    CheckScriptSteps(device);
    GetFreeFaderChannelNumber(device);
}

void EditSome(TDevice& device)
{
    AddLogicFunction(device);
    MoveLogicFunction(device, 0, 1);
    AddLevelDetect(device);
    AddScript(device);
    AddFaderChannel(device);
    DeleteFaderChannel(device, 1);
    SetPoolName(device, 0, "");
    SetGPORouting(device, 0x8502, 0xC001);
    SetGLSource(device, 3, 0xC001);
    TFaderChannelLabel label;
    label.Number = 2;
    SetFaderChannelLabel(device, 2, label);
    FixLevelDetects(device);
    RenumberFaderModules(device);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2 || size > 20000)
        return 0;
    TDevice device;
    const std::vector<std::uint8_t> payload(data + 2, data + size);
    // First byte: where the bytes go; second byte: which reads or edits follow.
    const std::uint8_t where = data[0];
    if (where < sizeof kTypes)
        device.SetData(kTypes[where], payload);
    else if (where < sizeof kTypes + 10)
        device.SetSetupData(static_cast<std::uint8_t>(100 + where - sizeof kTypes), payload);
    else
        device.SetSetupData(static_cast<std::uint8_t>(where % 30), payload);
    ReadAll(device);
    if ((data[1] & 1) != 0)
        EditSome(device);
    return 0;
}
