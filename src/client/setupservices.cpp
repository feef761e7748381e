// Setups, names and small services of the communication client.

#include "client/setupservices.h"

#include <algorithm>
#include <array>

#include "client/configtransfer.h"
#include "client/transferblocks.h"
#include "diagnostics/kvrassert.h"
#include "diagnostics/kvrinfoformat.h"
#include "kvrdata/blockstream.h"
#include "kvrdata/byteorder.h"

namespace kvr::client {

using namespace transfer;

namespace {
constexpr int DefaultWait = -1; // the client's TicksRead
constexpr const char* Unit = "KVRCC_Advanced";

void CheckNameType(unsigned Type, const char* Operation)
{
    if (Type != CBID_CH_SETUP_NAME && Type != CBID_MX_SETUP_NAME)
        AssertionFailed(Unit, Operation, __LINE__, "Type == CBID_CH_SETUP_NAME || Type == CBID_MX_SETUP_NAME");
}
} // namespace

bool SetupServices::GetSerialNumber(unsigned& Serial)
{
    TKVRFI fi("TKVRCommunicationClient::GetSerialNumber");
    KVRCANBlock Request = MakeBlock(SerialClass);
    KVRCANBlock Answer = MakeBlock(SerialClass);
    Answer.Len = 8;
    if (!Client.RequestBlockFiltered(Request, Answer, ClassMask, 0xFF, 0, DefaultWait))
        return false;
    Serial = kvr::readBE32(Answer.Data, 0);
    return true;
}

bool SetupServices::GetSetupName(unsigned Type, unsigned char Number, std::string& Name)
{
    TKVRFI fi("TKVRCommunicationClient::GetSetupName");
    CheckNameType(Type, "TKVRCommunicationClient::GetSetupName");
    TDisableTimerTempl<THighResTimer> NoPoll(Client.GetTimer());
    const std::uint8_t Ask[] = {Number};
    KVRCANBlock Request = MakeBlock(Type, Ask);
    if (!Client.SendBlock(Request))
        return false;
    std::string Text;
    for (std::uint8_t Part = 0; Part < 2; ++Part) {
        const std::uint8_t Key[] = {Number, Part};
        KVRCANBlock Answer = MakeBlock(Type, Key);
        if (!Client.ReadBlockFiltered(Answer, ClassMask, 0, FirstBytesMask(2), DefaultWait))
            return false;
        Text.append(reinterpret_cast<const char*>(Answer.Data.data() + 2), SetupNamePartLength);
        Name = Text;
    }
    Name = TrimText(Text);
    return true;
}

bool SetupServices::SetSetupName(unsigned Type, unsigned char Number, const std::string& Name)
{
    TKVRFI fi("TKVRCommunicationClient::SetSetupName");
    CheckNameType(Type, "TKVRCommunicationClient::SetSetupName");
    KVRCANBlock First = SetupNamePart(Type, Number, 0, Name);
    if (!Client.SendBlock(First))
        return false;
    KVRCANBlock Second = SetupNamePart(Type, Number, 1, Name);
    return Client.SendBlock(Second);
}

bool SetupServices::DeleteChannelSetupName(int Number)
{
    return SetSetupName(CBID_CH_SETUP_NAME, static_cast<unsigned char>(Number), {});
}

bool SetupServices::DeleteMixerSetupName(int Number)
{
    return SetSetupName(CBID_MX_SETUP_NAME, static_cast<unsigned char>(Number), {});
}

bool SetupServices::GetFaderChName(unsigned short Channel, std::string& Name)
{
    TKVRFI fi("TKVRCommunicationClient::GetFaderChName");
    TDisableTimerTempl<THighResTimer> NoPoll(Client.GetTimer());
    Name.clear();
    std::string Text;
    for (std::uint8_t Part = 0; Part < FaderNameParts; ++Part) {
        KVRCANBlock Request = FaderNameRequest(Channel, Part);
        if (!Client.SendBlock(Request))
            return false;
        // First the device's echo of the request, then the part itself.
        KVRCANBlock Echo = Request;
        if (!Client.ReadBlockFiltered(Echo, ClassMask, 0xFF, FirstBytesMask(3), DefaultWait))
            return false;
        KVRCANBlock Answer = Request;
        Answer.Len = 8;
        if (!Client.ReadBlockFiltered(Answer, ClassMask, 0xFF, FirstBytesMask(3), DefaultWait))
            return false;
        Text += NamePartText(Answer, 4, FaderNamePartLength);
        if (Part == 0 && TrimText(Text).empty())
            return true;
    }
    Name = TrimText(Text);
    return true;
}

bool SetupServices::SetFaderChName(unsigned short Channel, const std::string& Name)
{
    TKVRFI fi("TKVRCommunicationClient::SetFaderChName");
    TDisableTimerTempl<THighResTimer> NoPoll(Client.GetTimer());
    if (Name.empty()) {
        const std::uint8_t Data[] = {static_cast<std::uint8_t>(Channel >> 8), static_cast<std::uint8_t>(Channel)};
        KVRCANBlock Clear = MakeBlock(FaderNameClass, Data);
        return Client.SendBlock(Clear);
    }
    for (std::uint8_t Part = 0; Part < FaderNameParts; ++Part) {
        KVRCANBlock CB = FaderNamePart(Channel, Part, Name);
        if (!Client.SendBlock(CB))
            return false;
    }
    return true;
}

bool SetupServices::SendSetup(unsigned char SetupType, unsigned char Number, Kvrdata_ns::TStream* Stream)
{
    TKVRFI fi("TKVRCommunicationClient::SendSetup");
    if (Client.GetTransferActive() || !Stream)
        return false;
    const std::int64_t Size = Stream->GetSize();
    // The store command carries the size in 16 bits; a larger setup would be stored cut short.
    if (Size > static_cast<std::int64_t>(SetupMaxSize))
        return false;
    TTransferActive Busy(Client);
    TDisableTimerTempl<THighResTimer> NoPoll(Client.GetTimer());
    Stream->SetPosition(0);
    Client.SetProgress(0, static_cast<int>(Size));
    for (std::int64_t At = 0; At < Size; At += SetupChunkSize) {
        std::array<std::uint8_t, SetupChunkSize> Chunk{};
        const int N = static_cast<int>(std::min<std::int64_t>(SetupChunkSize, Size - At));
        Stream->ReadBuffer(Chunk.data(), N);
        KVRCANBlock Request = SetupChunkBlock(static_cast<std::uint16_t>(At), std::span(Chunk).first(N));
        KVRCANBlock Answer = Request;
        if (!Client.RequestBlockFiltered(Request, Answer, ClassMask, 0xFF, FirstBytesMask(8), DefaultWait))
            return false;
        Client.SetProgress(static_cast<int>(At), static_cast<int>(Size));
    }
    KVRCANBlock Store = SetupStoreBlock(SetupType, Number, static_cast<std::uint16_t>(Size));
    return Client.SendBlock(Store);
}

bool SetupServices::RequestSetupSize(unsigned char SetupType, unsigned char Number, unsigned short& Size)
{
    KVRCANBlock Request = SetupSizeRequest(SetupType, Number);
    KVRCANBlock Answer = Request;
    Answer.Len = 4;
    if (!Client.RequestBlockFiltered(Request, Answer, ClassMask, 0xFF, FirstBytesMask(2), DefaultWait))
        return false;
    Size = kvr::readBE16(Answer.Data, 2);
    return true;
}

bool SetupServices::ReadSetup(unsigned char SetupType, unsigned char Number, Kvrdata_ns::TStream* Stream)
{
    TKVRFI fi("TKVRCommunicationClient::ReadSetup");
    if (Client.GetTransferActive() || !Stream)
        return false;
    TTransferActive Busy(Client);
    TDisableTimerTempl<THighResTimer> NoPoll(Client.GetTimer());
    unsigned short Size = 0;
    if (!RequestSetupSize(SetupType, Number, Size))
        return false;
    Stream->SetPosition(0);
    for (unsigned At = 0;; At += SetupChunkSize) {
        Client.SetProgress(static_cast<int>(std::min<unsigned>(At, Size)), Size);
        if (At >= Size)
            return true;
        const std::uint8_t Offset[] = {static_cast<std::uint8_t>(At >> 8), static_cast<std::uint8_t>(At)};
        KVRCANBlock Request = MakeBlock(SetupChunkClass, Offset);
        KVRCANBlock Answer = Request;
        Answer.Len = 8;
        if (!Client.RequestBlockFiltered(Request, Answer, ClassMask, 0xFF, FirstBytesMask(2), DefaultWait))
            return false;
        const int N = static_cast<int>(std::min<unsigned>(SetupChunkSize, Size - At));
        Stream->WriteBuffer(Answer.Data.data() + 2, N);
    }
}

bool SetupServices::ReadSetupSize(unsigned char SetupType, unsigned char Number, unsigned short& Size)
{
    TKVRFI fi("TKVRCommunicationClient::ReadSetupSize");
    if (Client.GetTransferActive())
        return false;
    TTransferActive Busy(Client);
    TDisableTimerTempl<THighResTimer> NoPoll(Client.GetTimer());
    return RequestSetupSize(SetupType, Number, Size);
}

bool SetupServices::LoadSaveSetup(unsigned char A, unsigned char B, unsigned char C, unsigned char D)
{
    TKVRFI fi("TKVRCommunicationClient::LoadSaveSetup");
    TDisableTimerTempl<THighResTimer> NoPoll(Client.GetTimer());
    const std::uint8_t Data[] = {static_cast<std::uint8_t>(A + B), C, D};
    KVRCANBlock CB = MakeBlock(LoadSaveClass, Data);
    return Client.SendBlock(CB);
}

bool SetupServices::DeleteChannelSetup(int Number)
{
    // The blocks SendSetup sends for setup type 11 and four zero bytes.
    constexpr std::uint8_t Zeros[4] = {};
    KVRCANBlock Chunk = SetupChunkBlock(0, Zeros);
    Client.SendBlock(Chunk);
    KVRCANBlock Store = SetupStoreBlock(11, static_cast<std::uint8_t>(Number), sizeof Zeros);
    return Client.SendBlock(Store);
}

bool SetupServices::SetConsoleID(unsigned A, unsigned char B, unsigned char C, unsigned char D, bool E)
{
    Kvrdata_ns::TUDPMsgV6 Msg;
    Msg.FromIP = 0xFFFFFFFF;
    Msg.FromPort = 2009;
    const auto Data = ConsoleIDStream(A, B, C, D, E);
    Msg.GetData()->GetStream()->WriteBuffer(Data.data(), static_cast<int>(Data.size()));
    Client.SendUDPBlockV6(&Msg);
    return true;
}

bool SetupServices::GetTCPBroadcast(TUDPMsgV6* Msg)
{
    if (!Msg)
        return false;
    KVRCANBlock Request = MakeBlock(TCPBroadcastID);
    KVRCANBlock Answer = Request;
    if (!Client.RequestBlockFiltered(Request, Answer, 0xFFFFFFFF, 0, 0, DefaultWait))
        return false;
    Kvrdata_ns::TMemoryStream* S = Msg->GetData()->GetStream();
    S->SetSize(Answer.Len);
    S->SetPosition(0);
    return S->Write(Answer.Data.data(), Answer.Len) == Answer.Len;
}

} // namespace kvr::client
