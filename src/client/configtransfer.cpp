// The configuration transfers of the communication client.

#include "client/configtransfer.h"

#include <vector>

#include <algorithm>
#include <array>
#include <cstring>

#include "client/transferblocks.h"
#include "diagnostics/kvrinfoformat.h"
#include "kvrdata/udpmsgv6.h"

namespace kvr::client {

using namespace transfer;

namespace {
constexpr int DefaultWait = -1; // the client's TicksRead
constexpr int ImageWriteTries = 4;
constexpr unsigned ImageReadRetries = 20;

// Restores the client's Retries however the read ends.
class TRetriesScope {
public:
    TRetriesScope(TKVRCommunicationClient& Client, unsigned Retries)
        : Client(Client)
        , Saved(Client.Retries)
    {
        Client.Retries = Retries;
    }
    ~TRetriesScope() { Client.Retries = Saved; }
    TRetriesScope(const TRetriesScope&) = delete;
    TRetriesScope& operator=(const TRetriesScope&) = delete;

private:
    TKVRCommunicationClient& Client;
    unsigned Saved;
};
} // namespace

int ConfigTransfer::ReadConfigSize(bool Alternate)
{
    TKVRFI fi("TKVRCommunicationClient::ReadConfigSize");
    TDisableTimerTempl<THighResTimer> NoPoll(Client.GetTimer());
    KVRCANBlock Request = MakeBlock(StreamReadID(1, Alternate));
    KVRCANBlock Answer = Request;
    if (!Client.RequestBlockFiltered(Request, Answer, 0xFFFFFFFF, 0, 0, DefaultWait))
        return -1;
    return StreamSizeFromAnswer(Answer);
}

int ConfigTransfer::ReadConfig(Kvrdata_ns::TStream& Stream, bool Alternate)
{
    TKVRFI fi("TKVRCommunicationClient::ReadConfig");
    TTransferActive Busy(Client);
    TDisableTimerTempl<THighResTimer> NoPoll(Client.GetTimer());
    Stream.SetPosition(0);
    const int Size = ReadConfigSize(Alternate);
    if (Size < 0)
        return -1;
    const unsigned Blocks = static_cast<unsigned>(Size) / StreamBlockSize;
    const unsigned Rest = static_cast<unsigned>(Size) % StreamBlockSize;
    // Read into a buffer of our own: a failed read leaves the caller's stream as it was.
    std::vector<std::uint8_t> Read;
    Read.reserve(static_cast<std::size_t>(Size));
    for (unsigned i = 0; i < Blocks + (Rest ? 1 : 0); ++i) {
        KVRCANBlock Request = MakeBlock(StreamReadID(i, Alternate));
        // Only the answer to this very block, whole: a late or repeated answer to another block
        // carries the other block's ID and is skipped, never taken as these bytes.
        KVRCANBlock Answer = Request;
        Answer.Len = static_cast<std::uint8_t>(StreamBlockSize);
        const std::uint64_t Began = Client.Now();
        if (!Client.RequestBlockFiltered(Request, Answer, 0xFFFFFFFF, 0xFF, 0, DefaultWait) || !AnsweredInTime(Began))
            return -1;
        if (i == 1 && StreamSizeFromAnswer(Answer) != Size) {
            InfoFormatter->Trace(0x8000, "%s", "Stream read refused: the size word changed on its way");
            return -1;
        }
        const unsigned N = i < Blocks ? static_cast<unsigned>(StreamBlockSize) : Rest;
        Read.insert(Read.end(), Answer.Data.begin(), Answer.Data.begin() + N);
        Client.SetProgress(static_cast<int>(StreamBlockSize * i), Size);
    }
    if (!Read.empty())
        Stream.WriteBuffer(Read.data(), static_cast<int>(Read.size()));
    return 0;
}

int ConfigTransfer::SendConfig(Kvrdata_ns::TStream& Stream, bool Alternate)
{
    TKVRFI fi("TKVRCommunicationClient::SendConfig");
    const std::int64_t Size = Stream.GetSize();
    // Past index 0x7FFF the blocks would land in the end marker and the other stream.
    if (Size > static_cast<std::int64_t>(StreamMaxSize))
        return -1;
    TTransferActive Busy(Client);
    TDisableTimerTempl<THighResTimer> NoPoll(Client.GetTimer());
    Stream.SetPosition(0);
    for (std::int64_t At = 0; At < Size; At += StreamBlockSize) {
        std::array<std::uint8_t, StreamBlockSize> Chunk{};
        const int N = static_cast<int>(std::min<std::int64_t>(StreamBlockSize, Size - At));
        Stream.ReadBuffer(Chunk.data(), N);
        const unsigned Index = static_cast<unsigned>(At / StreamBlockSize);
        KVRCANBlock Request = MakeBlock(StreamWriteID(Index, Alternate), std::span(Chunk).first(N));
        // A late confirmation of an earlier block confirms nothing here.
        KVRCANBlock Answer = MakeBlock(Request.ID);
        const std::uint64_t Began = Client.Now();
        if (!Client.RequestBlockFiltered(Request, Answer, 0xFFFFFFFF, 0, 0, DefaultWait) || !AnsweredInTime(Began))
            return -1;
        Client.SetProgress(static_cast<int>(At), static_cast<int>(Size));
    }
    KVRCANBlock End = MakeBlock(StreamEndID(Alternate));
    Client.SendBlock(End);
    return 0;
}

bool ConfigTransfer::AnsweredInTime(std::uint64_t Began)
{
    LateBlocks = Client.Now() - Began >= Client.TicksRead ? LateBlocks + 1 : 0;
    if (LateBlocks < LateBlocksLimit)
        return true;
    InfoFormatter->Trace(0x8000, "%s", "Transfer ended: the device no longer answers in time");
    return false;
}

bool ConfigTransfer::ReadImageBlock(unsigned Block, std::uint8_t* To)
{
    KVRCANBlock Request = MakeBlock(ImageReadID(Block));
    KVRCANBlock Answer = Request;
    const std::uint64_t Began = Client.Now();
    if (!Client.RequestBlockFiltered(Request, Answer, ImageAnswerMask(Request.ID), 0, 0, DefaultWait) ||
        !AnsweredInTime(Began))
        return false;
    std::copy_n(Answer.Data.begin(), ImageBlockSize, To);
    return true;
}

int ConfigTransfer::LoadFromTarget(unsigned char* Image)
{
    TKVRFI fi("TKVRCommunicationClient::LoadFromTarget");
    TRetriesScope MoreRetries(Client, ImageReadRetries);
    // Read into a buffer of our own: a failed read leaves the caller's image as it was.
    std::array<std::uint8_t, ImageMaxSize> Buffer{};
    unsigned Block = 0;
    std::size_t Pos = 0;
    while (Pos < ImageHeaderSize && Client.GetStatus() == dcsConnected) {
        if (!ReadImageBlock(++Block, Buffer.data() + Pos))
            return 0;
        Client.SetProgress(static_cast<int>(Pos + ImageBlockSize), static_cast<int>(ImageHeaderSize));
        Pos += ImageBlockSize;
    }
    if (Pos < ImageHeaderSize)
        return 0;
    const int Size = ImageSizeFromHeader(std::span(Buffer).first(ImageHeaderSize));
    if (Size == 0) {
        InfoFormatter->Trace(0x8000, "%s", "Image read refused: no image header, or its sizes do not add up");
        return 0;
    }
    while (Pos < static_cast<std::size_t>(Size) && Client.GetStatus() == dcsConnected) {
        if (!ReadImageBlock(++Block, Buffer.data() + Pos)) {
            Client.SetProgress(10, 10);
            return 0;
        }
        Client.SetProgress(static_cast<int>(Pos + ImageBlockSize), Size);
        Pos += ImageBlockSize;
    }
    if (Client.GetStatus() != dcsConnected || Pos < static_cast<std::size_t>(Size))
        return 0;
    std::copy_n(Buffer.begin(), Pos, Image);
    return Size;
}

bool ConfigTransfer::LoadToTarget(const unsigned char* Image, int Size)
{
    TKVRFI fi("TKVRCommunicationClient::LoadToTarget");
    // Block numbers live in the low 16 bits; a device image never exceeds 64000 bytes.
    if (Size < 0 || static_cast<std::size_t>(Size) > ImageMaxSize)
        return false;
    KVRCANBlock Start = MakeBlock(ImageWriteID(0));
    Client.SendBlock(Start);
    bool Ok = true;
    for (int Pos = Size / 8 * 8; Pos >= 0 && Ok; Pos -= 8) {
        const unsigned Block = static_cast<unsigned>(Pos) / 8 + 1;
        Client.SetProgress(Size - 8 * static_cast<int>(Block), Size);
        // Only the image's own bytes travel: the last chunk may be shorter than 8.
        const int Length = std::min(Size - Pos, 8);
        if (Length == 0)
            continue;
        int Tries = ImageWriteTries;
        const std::uint64_t Began = Client.Now();
        while (Ok) {
            KVRCANBlock Request = MakeBlock(ImageWriteID(Block), std::span(Image + Pos, static_cast<std::size_t>(Length)));
            KVRCANBlock Answer = Request;
            if (Client.RequestBlockFiltered(Request, Answer, ImageAnswerMask(Request.ID), 0, 0, DefaultWait)) {
                Ok = AnsweredInTime(Began);
                break;
            }
            if (--Tries == 0)
                Ok = false;
        }
    }
    Client.SetProgress(Size, Size);
    return Ok;
}

bool ConfigTransfer::LoadStatusInfo(int Module, std::span<std::uint8_t> Buffer)
{
    TKVRFI fi("TKVRCommunicationClient::LoadStatusInfo");
    TDisableTimerTempl<THighResTimer> NoPoll(Client.GetTimer());
    KVRCANBlock Request = MakeBlock(StatusRequestID(Module));
    if (!Client.SendBlock(Request))
        return false;
    while (true) {
        KVRCANBlock Page = Request;
        if (!Client.ReadBlockFiltered(Page, StatusAnswerMask, 0, 0, DefaultWait))
            break;
        const unsigned P = StatusPage(Page);
        if (P == StatusEndPage)
            break;
        StoreStatusPage(Page, Buffer);
        Client.SetProgress(static_cast<int>(StatusPageSize * P + StatusPageSize), StatusProgressTotal);
        Client.ProcessBlock(Page);
    }
    return true;
}

unsigned ConfigTransfer::GetConfigTime()
{
    TKVRFI fi("TKVRCommunicationClient::GetConfigTime");
    std::array<std::uint8_t, 2 * ImageBlockSize> Bytes{};
    if (!ReadImageBlock(ConfigTimeFirstBlock, Bytes.data()) ||
        !ReadImageBlock(ConfigTimeFirstBlock + 1, Bytes.data() + ImageBlockSize))
        return 0;
    return ConfigTimeFromBlocks(Bytes);
}

unsigned ConfigTransfer::GetConfigTimeUDP(unsigned PID, unsigned DID)
{
    Kvrdata_ns::TUDPMsgVector Msgs;
    if (Client.ReadUDPBroadCasts(Msgs)) {
        for (const auto& M : Msgs)
            if (StatusRecordMatches(M, PID, DID))
                return StatusRecordStamp(M);
    }
    Kvrdata_ns::TUDPMsgsV6 MsgsV6;
    if (Client.ReadUDPBroadCastsV6(MsgsV6)) {
        for (int i = 0; i < MsgsV6.Size(); ++i) {
            Kvrdata_ns::TUDPMsgV6* Msg = MsgsV6.Element(i);
            Kvrdata_ns::TBCDevice* Dev = Msg ? Msg->GetDevice() : nullptr;
            if (Dev && Dev->PID == PID && Dev->DID == static_cast<std::uint8_t>(DID))
                return Dev->TS;
        }
    }
    return 0;
}

} // namespace kvr::client
