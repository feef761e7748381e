#include "client/transferblocks.h"

#include <algorithm>
#include <cstring>

#include "kvrdata/byteorder.h"

namespace kvr::client::transfer {

using Kvrdata_ns::CANBlockDataSize;

KVRCANBlock MakeBlock(std::uint32_t ID, std::span<const std::uint8_t> Data)
{
    KVRCANBlock CB;
    CB.ID = ID;
    const std::size_t N = std::min(Data.size(), CANBlockDataSize);
    std::copy_n(Data.begin(), N, CB.Data.begin());
    CB.Len = static_cast<std::uint8_t>(std::min<std::size_t>(N, 255));
    return CB;
}

std::uint32_t ImageReadID(unsigned Block) { return ImageReadClass + (Block & 0xFFFFu); }
std::uint32_t ImageWriteID(unsigned Block) { return ImageWriteClass + (Block & 0xFFFFu); }

int ImageSizeFromHeader(std::span<const std::uint8_t> Header)
{
    if (Header.size() < ImageHeaderSize || std::memcmp(Header.data(), "MPJ2", 4) != 0)
        return 0;
    const std::size_t Size = kvr::readBE16(Header, ImageLengthOffset);
    if (Size < ImageHeaderSize || Size > ImageMaxSize)
        return 0;
    if (ImageHeaderSize + kvr::readBE16(Header, ImageSetupSizeOffset) + kvr::readBE16(Header, ImageStructSizeOffset) != Size)
        return 0;
    return static_cast<int>(Size);
}

std::uint32_t StreamReadID(unsigned Index, bool Alternate)
{
    return StreamReadClass + (Index & 0x7FFFu) + (Alternate ? StreamAlternateBit : 0);
}

std::uint32_t StreamWriteID(unsigned Index, bool Alternate)
{
    return StreamWriteClass + (Index & 0x7FFFu) + (Alternate ? StreamAlternateBit : 0);
}

std::uint32_t StreamEndID(bool Alternate) { return StreamWriteID(StreamEndIndex, Alternate); }

int StreamSizeFromAnswer(const KVRCANBlock& Answer)
{
    return static_cast<int>(kvr::readBE16(Answer.Data, 6) + StreamSizeBias);
}

std::uint32_t StatusRequestID(int Module) { return StatusRequestClass + (static_cast<std::uint32_t>(Module) & 0xFFFFu); }

unsigned StatusPage(const KVRCANBlock& CB) { return (CB.ID >> 16) & 0xFFu; }

bool StoreStatusPage(const KVRCANBlock& CB, std::span<std::uint8_t> Buffer)
{
    const unsigned Page = StatusPage(CB);
    if (Page == StatusEndPage)
        return false;
    const std::size_t At = std::size_t{Page} * StatusPageSize;
    if (At > Buffer.size() || Buffer.size() - At < StatusPageSize)
        return false;
    std::copy_n(CB.Data.begin(), StatusPageSize, Buffer.begin() + static_cast<std::ptrdiff_t>(At));
    return true;
}

std::uint32_t ConfigTimeFromBlocks(std::span<const std::uint8_t> Bytes)
{
    return kvr::readBE32(Bytes, ConfigTimeFirstByte);
}

namespace {
// A 32-bit value at an offset of the record's image (address 0-3, carried 4-7, payload from 8),
// in the host order the server delivers.
std::uint32_t RecordValue(const Kvrdata_ns::TUDPMsg& Msg, std::size_t ImageOffset)
{
    return kvr::readLE32(Msg.Payload, ImageOffset - Kvrdata_ns::UDPPayloadOffset);
}
} // namespace

bool StatusRecordMatches(const Kvrdata_ns::TUDPMsg& Msg, unsigned PID, unsigned DID)
{
    return RecordValue(Msg, 16) == DID && RecordValue(Msg, 20) == PID;
}

std::uint32_t StatusRecordStamp(const Kvrdata_ns::TUDPMsg& Msg) { return RecordValue(Msg, 24); }

KVRCANBlock SetupChunkBlock(std::uint16_t Offset, std::span<const std::uint8_t> Bytes)
{
    KVRCANBlock CB;
    CB.ID = SetupChunkClass;
    const std::size_t N = std::min(Bytes.size(), SetupChunkSize);
    kvr::writeBE16(CB.Data, 0, Offset);
    std::copy_n(Bytes.begin(), N, CB.Data.begin() + 2);
    CB.Len = static_cast<std::uint8_t>(N + 2);
    return CB;
}

KVRCANBlock SetupSizeRequest(std::uint8_t SetupType, std::uint8_t Number)
{
    const std::uint8_t Data[] = {SetupType, Number};
    return MakeBlock(SetupHeaderClass, Data);
}

KVRCANBlock SetupStoreBlock(std::uint8_t SetupType, std::uint8_t Number, std::uint16_t Size)
{
    const std::uint8_t Data[] = {static_cast<std::uint8_t>(SetupType + 1), Number, static_cast<std::uint8_t>(Size >> 8),
                                 static_cast<std::uint8_t>(Size)};
    return MakeBlock(SetupHeaderClass, Data);
}

KVRCANBlock SetupNamePart(std::uint32_t Type, std::uint8_t Number, std::uint8_t Part, const std::string& Name)
{
    KVRCANBlock CB;
    CB.ID = Type;
    CB.Len = 8;
    CB.Data[0] = Number;
    CB.Data[1] = Part;
    const std::size_t From = std::size_t{Part} * SetupNamePartLength;
    for (std::size_t i = 0; i < SetupNamePartLength && From + i < std::min(Name.size(), SetupNameLength); ++i)
        CB.Data[2 + i] = static_cast<std::uint8_t>(Name[From + i]);
    return CB;
}

KVRCANBlock FaderNamePart(std::uint16_t Channel, std::uint8_t Part, const std::string& Name)
{
    KVRCANBlock CB;
    CB.ID = FaderNameClass;
    CB.Len = 8;
    kvr::writeBE16(CB.Data, 0, Channel);
    CB.Data[2] = Part;
    const std::size_t From = std::size_t{Part} * FaderNamePartLength;
    for (std::size_t i = 0; i < FaderNamePartLength && From + i < std::min(Name.size(), FaderNameLength); ++i)
        CB.Data[4 + i] = static_cast<std::uint8_t>(Name[From + i]);
    return CB;
}

KVRCANBlock FaderNameRequest(std::uint16_t Channel, std::uint8_t Part)
{
    const std::uint8_t Data[] = {static_cast<std::uint8_t>(Channel >> 8), static_cast<std::uint8_t>(Channel), Part};
    return MakeBlock(FaderNameClass, Data);
}

std::string NamePartText(const KVRCANBlock& CB, std::size_t From, std::size_t Width)
{
    const std::size_t Held = CB.Len > From ? std::min<std::size_t>(CB.Len - From, Width) : 0;
    return std::string(reinterpret_cast<const char*>(CB.Data.data() + From), Held);
}

std::vector<std::uint8_t> ConsoleIDStream(unsigned A, std::uint8_t B, std::uint8_t C, std::uint8_t D, bool E)
{
    std::vector<std::uint8_t> Out;
    kvr::ByteWriter W(Out);
    W.be32(E ? 0xFE000004u : 0xFE000003u);
    W.be32(A);
    W.u8(B);
    W.u8(static_cast<std::uint8_t>((C << 4) | (D & 0x0F)));
    return Out;
}

KVRCANBlock FileHeaderRequest(char Mode, std::uint32_t FileSize, const std::string& RemoteFileName)
{
    KVRCANBlock CB;
    CB.ID = FileHeaderID;
    const std::size_t N = std::min(RemoteFileName.size(), FileHeaderTextSize - 1);
    CB.Data[5] = static_cast<std::uint8_t>(Mode);
    kvr::writeBE32(CB.Data, 6, FileSize);
    CB.Data[10] = static_cast<std::uint8_t>(N);
    std::copy_n(RemoteFileName.begin(), N, CB.Data.begin() + FileHeaderFixed);
    CB.Len = static_cast<std::uint8_t>(N + FileHeaderFixed);
    return CB;
}

TCBFileTransferHeader DecodeFileHeader(const KVRCANBlock& CB)
{
    TCBFileTransferHeader H;
    H.Result = kvr::readBE32(CB.Data, 0);
    H.Handle = CB.Data[4];
    H.Mode = static_cast<char>(CB.Data[5]);
    H.FileSize = kvr::readBE32(CB.Data, 6);
    const std::size_t Announced = std::min<std::size_t>(CB.Data[10], FileHeaderTextSize);
    const std::size_t Held = CB.Len > FileHeaderFixed ? CB.Len - FileHeaderFixed : 0;
    H.String.assign(reinterpret_cast<const char*>(CB.Data.data() + FileHeaderFixed), std::min(Announced, Held));
    return H;
}

KVRCANBlock FileDataBlock(std::uint32_t Offset, std::uint8_t Handle, std::span<const std::uint8_t> Data)
{
    KVRCANBlock CB;
    CB.ID = FileDataID;
    const std::size_t N = std::min(Data.size(), FileChunkSize);
    kvr::writeBE32(CB.Data, 0, Offset);
    CB.Data[4] = Handle;
    std::copy_n(Data.begin(), N, CB.Data.begin() + FileDataPrefix);
    CB.Len = static_cast<std::uint8_t>(N + FileDataPrefix);
    return CB;
}

std::span<const std::uint8_t> FileDataBytes(const KVRCANBlock& CB)
{
    if (CB.Len <= FileDataPrefix)
        return {};
    return std::span<const std::uint8_t>(CB.Data).subspan(FileDataPrefix, CB.Len - FileDataPrefix);
}

KVRCANBlock FileEndBlock(std::uint32_t Result, std::uint8_t Handle, std::uint32_t CRC, std::uint8_t Len)
{
    KVRCANBlock CB;
    CB.ID = FileEndID;
    CB.Len = Len;
    kvr::writeBE32(CB.Data, 0, Result);
    CB.Data[4] = Handle;
    kvr::writeBE32(CB.Data, 5, CRC);
    return CB;
}

std::uint32_t FileEndResult(const KVRCANBlock& CB) { return kvr::readBE32(CB.Data, 0); }
std::uint32_t FileEndCRC(const KVRCANBlock& CB) { return kvr::readBE32(CB.Data, 5); }

std::string FileEndText(const KVRCANBlock& CB)
{
    const std::size_t Held = CB.Len > FileEndTextOffset ? CB.Len - FileEndTextOffset : 0;
    const std::size_t N = std::min<std::size_t>(CB.Data[9], Held);
    return std::string(reinterpret_cast<const char*>(CB.Data.data() + FileEndTextOffset), N);
}

unsigned FlashBurnLimit(std::uint64_t Size) { return static_cast<unsigned>((Size / 65535 + 1) * 3); }

} // namespace kvr::client::transfer
