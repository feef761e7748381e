// File transfer between a stream and a file in the connected device.

#include "client/filetransfer.h"

#include <algorithm>
#include <array>

#include "client/clientmessages.h"
#include "client/configtransfer.h"
#include "client/transferblocks.h"
#include "diagnostics/kvrassert.h"
#include "diagnostics/kvrinfoformat.h"
#include "kvrdata/crc32.h"

namespace kvr::client {

using namespace transfer;

namespace {
constexpr int DefaultWait = -1;       // the client's TicksRead
constexpr int HeaderReadWait = 1000;  // a device may take its time to open a file for reading
constexpr int FlashBurnStepMs = 100;  // ten steps a second
constexpr std::uint64_t ModeMask = std::uint64_t{0xFF} << 16;   // data byte 5
constexpr std::uint64_t HandleMask = std::uint64_t{0xFF} << 24; // data byte 4
constexpr const char* Unit = "KVRCC_Advanced";

void CheckName(const std::string& RemoteFileName, const char* Operation)
{
    if (!(RemoteFileName.size() < FileHeaderTextSize))
        AssertionFailed(Unit, Operation, __LINE__, "RemoteFileName.Length() < sizeof(FTH->String)");
}

KVRCANBlock EndPattern(std::uint8_t Handle)
{
    KVRCANBlock CB;
    CB.ID = FileEndID;
    CB.Len = 5;
    CB.Data[4] = Handle;
    return CB;
}
} // namespace

int FileTransfer::Fail(unsigned Code)
{
    ErrorMsg = InfoFormatter->GetMessageText(Code);
    return static_cast<int>(Code);
}

int FileTransfer::Open(char Mode, std::uint32_t Size, const std::string& RemoteFileName, int Wait,
                       TCBFileTransferHeader& Header)
{
    KVRCANBlock Request = FileHeaderRequest(Mode, Size, RemoteFileName);
    // The answer carries the header's ID and the same mode in byte 5.
    KVRCANBlock Answer;
    Answer.ID = FileHeaderID;
    Answer.Len = 6;
    Answer.Data[5] = static_cast<std::uint8_t>(Mode);
    if (!Client.RequestBlockFiltered(Request, Answer, 0xFFFFFFFF, 0, ModeMask, Wait))
        return Fail(msgDeviceNoResponse);
    Header = DecodeFileHeader(Answer);
    if (Header.Result != 0)
        ErrorMsg = Header.String;
    return static_cast<int>(Header.Result);
}

int FileTransfer::ReadFile(Kvrdata_ns::TStream& Stream, const std::string& RemoteFileName)
{
    TKVRFI fi("TKVRCommunicationClient::ReadFile");
    TTransferActive Busy(Client);
    TDisableTimerTempl<THighResTimer> NoPoll(Client.GetTimer());
    Stream.SetPosition(0);
    ErrorMsg.clear();
    CheckName(RemoteFileName, "TKVRCommunicationClient::ReadFile");

    TCBFileTransferHeader Header;
    if (const int Refused = Open('r', 0, RemoteFileName, HeaderReadWait, Header))
        return Refused;

    std::uint32_t Pos = 0;
    while (Pos < Header.FileSize) {
        KVRCANBlock Data = FileDataBlock(Pos, Header.Handle, {});
        if (!Client.ReadBlockFiltered(Data, 0xFFFFFFFF, 0, FirstBytesMask(5), DefaultWait))
            return Fail(msgTransferInterrupted);
        // A block too short to carry data is not the one awaited.
        const auto Bytes = FileDataBytes(Data);
        if (Bytes.empty())
            continue;
        Stream.WriteBuffer(Bytes.data(), static_cast<int>(Bytes.size()));
        Pos += static_cast<std::uint32_t>(Bytes.size());
        Client.SetProgress(static_cast<int>(Pos), static_cast<int>(Header.FileSize));
    }

    KVRCANBlock End = EndPattern(Header.Handle);
    if (!Client.ReadBlockFiltered(End, 0xFFFFFFFF, 0, HandleMask, DefaultWait))
        return Fail(msgFileEndNotReached);

    // Bytes the stream held before beyond the file are no part of it.
    if (Stream.GetSize() > Pos)
        Stream.SetSize(Pos);
    std::uint32_t CRC = 0;
    if (Pos > 0) {
        Stream.SetPosition(0);
        CRC = Kvrdata_ns::CalcCRC32(&Stream, static_cast<int>(Pos));
    }
    const std::uint32_t Result = CRC == FileEndCRC(End) ? 0u : static_cast<std::uint32_t>(msgChecksumWrong);
    if (Result != 0)
        Fail(Result);
    KVRCANBlock Verdict = FileEndBlock(Result, Header.Handle, 0, 10);
    Client.SendBlock(Verdict);
    return static_cast<int>(Result);
}

int FileTransfer::SendFile(Kvrdata_ns::TStream& Stream, const std::string& RemoteFileName)
{
    TKVRFI fi("TKVRCommunicationClient::SendFile");
    TTransferActive Busy(Client);
    TDisableTimerTempl<THighResTimer> NoPoll(Client.GetTimer());
    Stream.SetPosition(0);
    ErrorMsg.clear();
    CheckName(RemoteFileName, "TKVRCommunicationClient::SendFile");

    const auto Size = static_cast<std::uint32_t>(Stream.GetSize());
    TCBFileTransferHeader Header;
    if (const int Refused = Open('w', Size, RemoteFileName, DefaultWait, Header))
        return Refused;

    std::array<std::uint8_t, FileChunkSize> Chunk{};
    for (std::uint32_t Pos = 0; Pos < Size;) {
        const auto N = static_cast<std::uint32_t>(std::min<std::uint64_t>(FileChunkSize, Size - Pos));
        Stream.ReadBuffer(Chunk.data(), static_cast<int>(N));
        KVRCANBlock Data = FileDataBlock(Pos, Header.Handle, std::span(Chunk).first(N));
        if (!Client.SendBlock(Data))
            return Fail(msgTransferInterrupted);
        Pos += N;
        Client.SetProgress(static_cast<int>(Pos), static_cast<int>(Size));
    }

    Stream.SetPosition(0);
    const std::uint32_t CRC = Size ? Kvrdata_ns::CalcCRC32(&Stream, static_cast<int>(Size)) : 0;
    KVRCANBlock EndRequest = FileEndBlock(0, Header.Handle, CRC, 9);
    KVRCANBlock End = EndPattern(Header.Handle);
    if (!Client.RequestBlockFiltered(EndRequest, End, 0xFFFFFFFF, 0, HandleMask, DefaultWait))
        return Fail(msgFileEndNotReached);

    if (FileEndResult(End) == FlashBurnRunning) {
        // The device burns the file into flash and reports the final result later.
        const unsigned Steps = 10 * FlashBurnLimit(Size);
        bool Reported = false;
        for (unsigned i = 0; i < Steps && Client.GetStatus() == dcsConnected; ++i) {
            Client.SetProgress(static_cast<int>(i), static_cast<int>(Steps));
            KVRCANBlock Final = EndPattern(Header.Handle);
            if (Client.ReadBlockFiltered(Final, 0xFFFFFFFF, 0, HandleMask, FlashBurnStepMs)) {
                End = Final;
                Reported = true;
                break;
            }
        }
        if (!Reported)
            return Fail(msgNoBurnStatus);
    }

    const std::uint32_t Result = FileEndResult(End);
    if (Result != 0)
        ErrorMsg = FileEndText(End);
    return static_cast<int>(Result);
}

} // namespace kvr::client
