#pragma once
// The maintenance window's message log without its memo: the text form of control blocks, the
// line format, the lines waiting for the next 50 ms batch and the memo's size limit.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "kvrdata/kvrstruct.h"
#include "kvrdata/messagesource.h"

namespace kvr::service {

enum TLogDirection : int { ldSent = 0, ldReceived = 1 };

// "0x%08X %3d " + up to 8 data bytes in hex (blanks for the missing ones) + "{" + all Len bytes
// as characters + "}".
std::string CANBlockToText(const Kvrdata_ns::KVRCANBlock& Block);

inline constexpr std::uint32_t UpdateStartedID = 0x19610000;
inline constexpr std::size_t MemoLimit = 32000;

// How many characters to delete from the front of a memo of this length: the oldest 80 percent
// once it passes 32000 characters, else none.
std::size_t MemoTrimCount(std::size_t Length);

class MessageLog {
public:
    // Stamp gives the time stamp of a line (HighResTimeStamp in the program).
    explicit MessageLog(std::function<std::string()> Stamp = {});

    // Queues one line: stamp, "SNT"/"RCV", the connection kind, the name cut or padded to 15.
    void MemoLog(const std::string& Text, Kvrdata_ns::TConnectionType Kind, int Direction, const std::string& Name);

    bool HasPending() const { return !FPending.empty(); }
    // The lines of one batch; the queue is empty afterwards.
    std::vector<std::string> TakePending();

    // "Enable CAN Protocol" and "Filter Foreign UDP Blocks".
    bool Protocol = false;
    bool FilterForeignUDP = false;

    // A block received on the connection: its line while the protocol is on, and " Update
    // started" for the start of an update whatever the switch.
    void BlockReceived(const Kvrdata_ns::KVRCANBlock& Block, Kvrdata_ns::TConnectionType Kind, const std::string& Device);
    // An error report: dropped when the filter is on and it came over UDP from another address
    // than HostIP; else its text (ErrorBlockText) as RCV.
    void ErrorReceived(const Kvrdata_ns::KVRCANBlock& Block, const Kvrdata_ns::TMessageSource& Source, std::uint32_t SenderIP,
                       std::uint32_t HostIP);
    // A block the window sends or the answer it got, while the protocol is on.
    void Logged(const Kvrdata_ns::KVRCANBlock& Block, Kvrdata_ns::TConnectionType Kind, int Direction, const std::string& Device);

private:
    std::function<std::string()> Stamp;
    std::vector<std::string> FPending;
};

// The text of a device error block through the program's error-message table.
std::string ErrorBlockText(const Kvrdata_ns::KVRCANBlock& Block);

} // namespace kvr::service
