#pragma once
// The control blocks of the configuration, setup and file transfers: IDs, answer masks, payload
// layouts and the checks on what a device sends back. Pure functions, so every layout and every
// bound is tested without a server.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "kvrdata/kvrstruct.h"

namespace kvr::client::transfer {

using Kvrdata_ns::KVRCANBlock;

// A block with the given ID and data; Len is the data's length (at most 256 bytes are taken).
KVRCANBlock MakeBlock(std::uint32_t ID, std::span<const std::uint8_t> Data = {});

// The data mask of a filtered read that compares data bytes 0 to Count-1 (Count up to 8).
constexpr std::uint64_t FirstBytesMask(unsigned Count)
{
    return Count == 0 ? 0 : Count >= 8 ? ~std::uint64_t{0} : ~std::uint64_t{0} << (64 - 8 * Count);
}

// Device image --------------------------------------------------------------------------------
// 8 image bytes a block; block n (from 1) carries image bytes 8(n-1) to 8(n-1)+7.

inline constexpr std::uint32_t ImageReadClass = 0x1A000000;
inline constexpr std::uint32_t ImageWriteClass = 0x1B000000; // block 0: start of a write
inline constexpr std::size_t ImageBlockSize = 8;
inline constexpr std::size_t ImageHeaderSize = 200;
inline constexpr std::size_t ImageMaxSize = 64000;
inline constexpr std::size_t ImageSetupSizeOffset = 54;  // big-endian 16 bits: bytes of the setup entries
inline constexpr std::size_t ImageStructSizeOffset = 56; // big-endian 16 bits: bytes of the structures
inline constexpr std::size_t ImageLengthOffset = 58;     // big-endian 16 bits in the header
inline constexpr std::size_t ImageChangeTimeOffset = 62; // big-endian 32 bits in the header

std::uint32_t ImageReadID(unsigned Block);
std::uint32_t ImageWriteID(unsigned Block);
// The answer must carry every bit of the request's class and repeat the block number exactly: a
// late answer to another block (block n+1 has every bit of block n when n is even) must not
// confirm this one. Bit 24 is compared as well, since a late write confirmation (class 0x1B00)
// carries every bit of a read request (class 0x1A00) and would be taken for image bytes.
constexpr std::uint32_t ImageAnswerMask(std::uint32_t RequestID) { return RequestID | 0x0100FFFFu; }
// The image length the 200-byte header announces; 0 when the header is no device image header,
// the length lies outside 200..64000 (it would overrun the caller's buffer), or it is not the
// header plus the two areas the header sizes (a header damaged on its way: the only check an
// image carries).
int ImageSizeFromHeader(std::span<const std::uint8_t> Header);

// Configuration streams -----------------------------------------------------------------------
// 8 bytes a block, 0-based index in the low 15 bits; bit 15 selects the second stream.

inline constexpr std::uint32_t StreamReadClass = 0x1E210000;
inline constexpr std::uint32_t StreamWriteClass = 0x1E110000;
inline constexpr std::uint32_t StreamAlternateBit = 0x8000;
inline constexpr unsigned StreamEndIndex = 0x7FFF; // index 0x7FFF marks the end of a write
inline constexpr std::size_t StreamBlockSize = 8;
// Larger streams would run into the end marker and then into the other stream.
inline constexpr std::size_t StreamMaxSize = std::size_t{StreamEndIndex} * StreamBlockSize; // 262,136
inline constexpr std::size_t StreamSizeBias = 20; // the size word counts the stream without its first 20 bytes

std::uint32_t StreamReadID(unsigned Index, bool Alternate);
std::uint32_t StreamWriteID(unsigned Index, bool Alternate);
std::uint32_t StreamEndID(bool Alternate);
// The stream size from the answer to a read of block 1: data bytes 6-7 (stream bytes 14-15) + 20.
// A read takes block 1 twice, first for the size and then as stream bytes: both must give the
// same size.
int StreamSizeFromAnswer(const KVRCANBlock& Answer);

// Status pages --------------------------------------------------------------------------------

inline constexpr std::uint32_t StatusRequestClass = 0x05000000;
inline constexpr std::uint32_t StatusAnswerMask = 0xFF00FFFF; // class byte 0x05 and the module
inline constexpr unsigned StatusEndPage = 255;
inline constexpr std::size_t StatusPageSize = 8;
inline constexpr int StatusProgressTotal = 1120;

std::uint32_t StatusRequestID(int Module);
unsigned StatusPage(const KVRCANBlock& CB);
// Copies the page's 8 bytes to Buffer[8p..8p+7]; false (nothing written) when they lie beyond
// the buffer or the block is the end page.
bool StoreStatusPage(const KVRCANBlock& CB, std::span<std::uint8_t> Buffer);

// Configuration time --------------------------------------------------------------------------
// The change time stamp of the header (bytes 62-65) spans image blocks 8 and 9.

inline constexpr unsigned ConfigTimeFirstBlock = ImageChangeTimeOffset / ImageBlockSize + 1; // 8
inline constexpr std::size_t ConfigTimeFirstByte = ImageChangeTimeOffset % ImageBlockSize;  // 6
// Bytes: the data of block 8 followed by those of block 9.
std::uint32_t ConfigTimeFromBlocks(std::span<const std::uint8_t> Bytes);

// Older-generation status record: device ID at image offset 16, project ID at 20, stamp at 24.
bool StatusRecordMatches(const Kvrdata_ns::TUDPMsg& Msg, unsigned PID, unsigned DID);
std::uint32_t StatusRecordStamp(const Kvrdata_ns::TUDPMsg& Msg);

// Setups and names ----------------------------------------------------------------------------

inline constexpr std::uint32_t SerialClass = 0x112E0000;
inline constexpr std::uint32_t CBID_CH_SETUP_NAME = 0x112A0000;
inline constexpr std::uint32_t CBID_MX_SETUP_NAME = 0x112F0000;
inline constexpr std::uint32_t FaderNameClass = 0x11140000;
inline constexpr std::uint32_t SetupChunkClass = 0x11410000;
inline constexpr std::uint32_t SetupHeaderClass = 0x11420000;
inline constexpr std::uint32_t LoadSaveClass = 0x111C0000;
inline constexpr std::uint32_t TCPBroadcastID = 0x9A000004;
inline constexpr std::uint32_t ClassMask = 0xFFFF0000;
inline constexpr std::size_t SetupChunkSize = 6;
inline constexpr std::size_t SetupMaxSize = 0xFFFF; // the store command carries 16 bits
inline constexpr std::size_t SetupNameLength = 12;
inline constexpr std::size_t SetupNamePartLength = 6;
inline constexpr std::size_t FaderNameLength = 16;
inline constexpr std::size_t FaderNamePartLength = 4;
inline constexpr unsigned FaderNameParts = 4;

// A setup chunk to the device: offset (16 bits) then up to 6 setup bytes.
KVRCANBlock SetupChunkBlock(std::uint16_t Offset, std::span<const std::uint8_t> Bytes);
KVRCANBlock SetupSizeRequest(std::uint8_t SetupType, std::uint8_t Number);
// The store command carries the setup type + 1.
KVRCANBlock SetupStoreBlock(std::uint8_t SetupType, std::uint8_t Number, std::uint16_t Size);
// Part 0 or 1 of a setup name: number, part, six characters of the zero-padded name.
KVRCANBlock SetupNamePart(std::uint32_t Type, std::uint8_t Number, std::uint8_t Part, const std::string& Name);
// Part 0-3 of a fader-channel name: channel, part, a zero byte, four characters.
KVRCANBlock FaderNamePart(std::uint16_t Channel, std::uint8_t Part, const std::string& Name);
KVRCANBlock FaderNameRequest(std::uint16_t Channel, std::uint8_t Part);
// The characters of a name part that the block holds: the part's width, no more than Len allows.
std::string NamePartText(const KVRCANBlock& CB, std::size_t From, std::size_t Width);
// The data stream of the console-ID message of the newer generation.
std::vector<std::uint8_t> ConsoleIDStream(unsigned A, std::uint8_t B, std::uint8_t C, std::uint8_t D, bool E);

// File transfer -------------------------------------------------------------------------------

inline constexpr std::uint32_t FileHeaderID = 0x99000000;
inline constexpr std::uint32_t FileDataID = 0x98000000;
inline constexpr std::uint32_t FileEndID = 0x99000001;
inline constexpr std::uint32_t FlashBurnRunning = 0x82010001;
inline constexpr std::size_t FileChunkSize = 250;
inline constexpr std::size_t FileDataPrefix = 5;  // offset (4) and handle (1)
inline constexpr std::size_t FileHeaderFixed = 11; // the header's bytes before its text
inline constexpr std::size_t FileHeaderTextSize = 244;
inline constexpr std::size_t FileEndTextOffset = 10;

// The data area of a header block (255 bytes on the wire), in host form.
struct TCBFileTransferHeader {
    std::uint32_t Result = 0;
    std::uint8_t Handle = 0;
    char Mode = 0;
    std::uint32_t FileSize = 0;
    std::string String; // the file name (request) or the error text (answer)
};
inline constexpr std::size_t TCBFileTransferHeaderSize = FileHeaderFixed + FileHeaderTextSize; // 255

// The header request: Len = name length + 11. The name must be shorter than 244 characters.
KVRCANBlock FileHeaderRequest(char Mode, std::uint32_t FileSize, const std::string& RemoteFileName);
// The header answer; its text holds what StringLength announces, but no more than the block's
// length and the 244-character field allow.
TCBFileTransferHeader DecodeFileHeader(const KVRCANBlock& CB);
KVRCANBlock FileDataBlock(std::uint32_t Offset, std::uint8_t Handle, std::span<const std::uint8_t> Data);
// A data block's bytes after its prefix; empty for a block too short to hold any.
std::span<const std::uint8_t> FileDataBytes(const KVRCANBlock& CB);
// The sender's end block (length 9, CRC-32 in bytes 5-8) or the reader's answer (length 10).
KVRCANBlock FileEndBlock(std::uint32_t Result, std::uint8_t Handle, std::uint32_t CRC, std::uint8_t Len);
std::uint32_t FileEndResult(const KVRCANBlock& CB);
std::uint32_t FileEndCRC(const KVRCANBlock& CB);
// The end answer's error text, clamped to the block's length.
std::string FileEndText(const KVRCANBlock& CB);
// Seconds the device gets to report the end of a flash burn: 3, plus 3 per full 65535 bytes.
unsigned FlashBurnLimit(std::uint64_t Size);

} // namespace kvr::client::transfer
