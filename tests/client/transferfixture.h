#pragma once
// A connected client on the fake server with a scripted device: every block the client sends is
// handed to Device, whose answers are queued for the client at once.

#include <functional>
#include <vector>

#include "clientfixture.h"
#include "kvrdata/kvrstruct.h"

namespace transfertest {

using Kvrdata_ns::KVRCANBlock;

inline KVRCANBlock Block(std::uint32_t ID, std::uint8_t Len, std::vector<std::uint8_t> Data = {})
{
    KVRCANBlock CB;
    CB.ID = ID;
    CB.Len = Len;
    std::copy(Data.begin(), Data.end(), CB.Data.begin());
    return CB;
}

class TransferTest : public clienttest::ClientTest {
protected:
    using Answers = std::vector<KVRCANBlock>;

    TKVRCommunicationClient& Start()
    {
        auto& C = Connected();
        Server->onSendBlock = [this](std::int32_t Handle, const clienttest::Bytes& B) {
            const KVRCANBlock CB = clienttest::BlockOf(B);
            if (Device)
                for (const KVRCANBlock& A : Device(CB))
                    Deliver(A, Handle);
        };
        return C;
    }

    // A block from the device, unasked.
    void Deliver(const KVRCANBlock& CB, std::int32_t Handle = 0)
    {
        clienttest::Bytes V;
        Kvrdata_ns::CANBlockToVariant(CB, V);
        Server->deliverBlock(Handle ? Handle : H(), V);
    }

    std::vector<KVRCANBlock> Sent() const
    {
        std::vector<KVRCANBlock> Out;
        for (const auto& B : Server->sentBlocks(Client->GetClientHandle()))
            Out.push_back(clienttest::BlockOf(B));
        return Out;
    }

    std::vector<std::uint32_t> SentIDs() const
    {
        std::vector<std::uint32_t> Out;
        for (const auto& CB : Sent())
            Out.push_back(CB.ID);
        return Out;
    }

    std::size_t SentCount(std::uint32_t ID) const
    {
        std::size_t N = 0;
        for (const auto& CB : Sent())
            N += CB.ID == ID;
        return N;
    }

    std::function<Answers(const KVRCANBlock&)> Device;
};

} // namespace transfertest
