#pragma once
// Copying a whole file between a stream of the caller and a named file in the connected device:
// a header block opens the transfer and gets a handle, data blocks carry up to 250 bytes at
// explicit offsets, and an end block closes it with the CRC-32 of the whole file. After a write
// the device may report a flash burn and send its final result later.

#include <cstdint>
#include <string>

#include "client/kvrcommunicationclient.h"
#include "client/transferblocks.h"
#include "kvrdata/stream.h"

namespace kvr::client {

class FileTransfer {
public:
    explicit FileTransfer(TKVRCommunicationClient& Client)
        : Client(Client)
        , ErrorMsg(Client.FErrorMsg)
    {
    }

    // Both return 0 or an error code: the client's own (0xA101000B to 0xA101000F) or the
    // device's; the client's ErrorMsg then holds the matching text. A remote file name of 244 characters or
    // more fails the assertion before anything is sent.
    int ReadFile(Kvrdata_ns::TStream& Stream, const std::string& RemoteFileName);
    int SendFile(Kvrdata_ns::TStream& Stream, const std::string& RemoteFileName);

    const std::string& GetErrorMsg() const { return ErrorMsg; }

private:
    int Fail(unsigned Code);
    // Sends the header request and takes the device's answer: 0, or the failure code with its text.
    int Open(char Mode, std::uint32_t Size, const std::string& RemoteFileName, int Wait,
             transfer::TCBFileTransferHeader& Header);

    TKVRCommunicationClient& Client;
    std::string& ErrorMsg; // the client's: it outlives the transfer

};

} // namespace kvr::client
