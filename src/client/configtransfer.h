#pragma once
// Moving a whole device configuration between the program and one connected device: the device
// image (read and written 8 bytes a block), the two configuration streams, the status pages of a
// module and the configuration time stamp. These services work on byte images only; the windows
// carry the images to and from the data model.

#include <cstdint>
#include <span>

#include "client/kvrcommunicationclient.h"
#include "kvrdata/stream.h"

// Marks the client as busy with a transfer for the length of a scope; the setup transfers refuse
// to start meanwhile.
class TTransferActive {
public:
    explicit TTransferActive(TKVRCommunicationClient& Client)
        : Client(Client)
    {
        Client.SetTransferActive(true);
    }
    ~TTransferActive() { Client.SetTransferActive(false); }
    TTransferActive(const TTransferActive&) = delete;
    TTransferActive& operator=(const TTransferActive&) = delete;

private:
    TKVRCommunicationClient& Client;
};

namespace kvr::client {

class ConfigTransfer {
public:
    explicit ConfigTransfer(TKVRCommunicationClient& Client)
        : Client(Client)
    {
    }

    // Size in bytes of a configuration stream; -1 when the device does not answer.
    int ReadConfigSize(bool Alternate);
    // The whole stream into Stream from position 0; 0 or -1.
    int ReadConfig(Kvrdata_ns::TStream& Stream, bool Alternate);
    // The whole of Stream to the device; 0, or -1 on failure and for a stream larger than
    // 262,136 bytes (nothing is sent then).
    int SendConfig(Kvrdata_ns::TStream& Stream, bool Alternate);

    // Reads the device image into Image (64000 bytes); returns its size, 0 on any failure. Image
    // is written only when the whole read succeeded.
    int LoadFromTarget(unsigned char* Image);
    // Writes Size bytes of Image (at most 64000), last block first; true on success.
    bool LoadToTarget(const unsigned char* Image, int Size);

    // Collects the status pages of a module into Buffer (page p at bytes 8p to 8p+7; pages that
    // lie beyond the buffer are left out); false only when the request cannot be sent.
    bool LoadStatusInfo(int Module, std::span<std::uint8_t> Buffer);

    // The change time stamp of the image header (bytes 62-65); 0 when a request fails.
    unsigned GetConfigTime();
    // The configuration stamp of a device from the collected broadcasts; 0 when none is present.
    unsigned GetConfigTimeUDP(unsigned PID, unsigned DID);

    // A device that still answers, but only after requests had to be repeated, this many blocks
    // in a row, has stopped answering in time: the transfer ends there as failed, instead of
    // going on for as long as the slow answers take (hours for a whole image).
    static constexpr unsigned LateBlocksLimit = 8;

private:
    bool ReadImageBlock(unsigned Block, std::uint8_t* To);
    // Times one block's exchange; false once LateBlocksLimit blocks in a row took longer than
    // the first wait for their answer.
    bool AnsweredInTime(std::uint64_t Began);

    TKVRCommunicationClient& Client;
    unsigned LateBlocks = 0;
};

} // namespace kvr::client
