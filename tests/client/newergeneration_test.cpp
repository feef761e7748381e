// Newer-generation broadcasts: address lookups in the collection and the poll's events.

#include "clientfixture.h"
#include "kvrdata/blockstream.h"
#include "kvrdata/byteorder.h"
#include "kvrdata/stream.h"

namespace clienttest {
namespace {

using namespace Kvrdata_ns;

Bytes Join(std::initializer_list<Bytes> Parts)
{
    Bytes All;
    for (const Bytes& P : Parts)
        All.insert(All.end(), P.begin(), P.end());
    return All;
}

Bytes BE32(std::uint32_t V)
{
    Bytes B(4);
    kvr::writeBE32(B, 0, V);
    return B;
}

Bytes DeviceDatagram(unsigned MAC, std::uint8_t DID, unsigned PID, const char* Name)
{
    TBCDevice Device;
    Device.MAC = MAC;
    Device.DID = DID;
    Device.PID = PID;
    Device.HardwareName = "H-" + std::string(Name);
    Device.DeviceName = Name;
    Device.FirmwareVersion = 0x06000000;
    Bytes Record;
    Device.ToVariant(Record);
    return Join({BE32(V6TypeDevice), Record});
}

Bytes RoutingDatagram(unsigned PID, std::uint8_t DID)
{
    return Join({BE32(V6TypeRoutingFirst), BE32(PID), {DID, 0}});
}

Bytes ErrorDatagram()
{
    return Join({BE32(V6TypeErrorReport), {0x0F, 0x10, 0, 1, 0, 0, 0, 5}});
}

void SetData(TUDPMsgV6& Msg, const Bytes& Data)
{
    TMemoryStream& S = *Msg.GetData()->GetStream();
    S.Clear();
    S.Write(Data.data(), static_cast<int>(Data.size()));
}

Bytes Message(unsigned FromIP, const Bytes& Datagram)
{
    TUDPMsgV6 Msg;
    Msg.FromIP = FromIP;
    SetData(Msg, Datagram);
    Bytes B;
    Msg.ToVariant(B);
    return B;
}

Bytes Collection(std::initializer_list<std::pair<unsigned, Bytes>> Messages)
{
    TUDPMsgsV6 Msgs;
    for (const auto& [IP, Datagram] : Messages) {
        auto* M = static_cast<TUDPMsgV6*>(Msgs.CreateElement());
        Msgs.Insert(M);
        M->FromIP = IP;
        SetData(*M, Datagram);
    }
    Bytes B;
    Msgs.ToVariant(B);
    return B;
}

TEST_F(ClientTest, GetDAV6PassesOverRoutingMessages)
{
    auto& C = MakeClient();
    Server->setBroadcastsV6(Collection({{0x0A000001, RoutingDatagram(0x41424344, 5)},
                                        {0x0A000002, DeviceDatagram(0x12000105, 4, 0x41424344, "Other")},
                                        {0x0A000003, DeviceDatagram(0x12000107, 5, 0x41424344, "Studio 1")}}));
    TDeviceAddr DA;
    ASSERT_TRUE(C.GetDAV6(0x41424344, 5, DA));
    EXPECT_EQ(DA.IP, 0x0A000003u);
    EXPECT_EQ(DA.MAC, 0x000107u);
    EXPECT_EQ(DA.DID, 5u);
    EXPECT_EQ(DA.CK, dckBroadcast);
    EXPECT_EQ(DA.FirmwareVersion, 0x06000000u);
    EXPECT_EQ(std::string(DA.Name.c_str()), "Studio 1");
    EXPECT_FALSE(C.GetDAV6(0x41424344, 6, DA));

    // By MAC: the older collection is empty, the newer one has it.
    TDeviceAddr ByMAC;
    ASSERT_TRUE(C.GetDAbyMAC(0x000105, ByMAC));
    EXPECT_EQ(ByMAC.IP, 0x0A000002u);
    EXPECT_EQ(ByMAC.DID, 4u);

    // Names for error messages come from the device records' hardware names.
    EXPECT_EQ(C.GetNameFromIP(0x0A000003), "H-Studio 1");
}

TEST_F(ClientTest, PollRaisesNewerGenerationEvents)
{
    auto& C = Connected();
    C.DeviceGeneration = dgKX7500;
    std::vector<unsigned> Received;
    std::vector<std::pair<TConnectionType, unsigned>> Errors;
    C.OnUDPV6Received = [&](TKVRCommunicationClient*, TUDPMsgV6& Msg) { Received.push_back(Msg.FromIP); };
    C.OnErrorMsgReceivedV6 = [&](TKVRCommunicationClient*, KVRCANBlock CB, TMessageSource MS, unsigned IP) {
        EXPECT_EQ(CB.ID, V6TypeErrorReport);
        Errors.push_back({MS.ConnectionType, IP});
    };
    bool OlderRead = false;
    C.OnBroadcastReceived = [&](TKVRCommunicationClient*, TUDPMsg) { OlderRead = true; };
    Server->queueUDP(H(), Bytes(177, 0));
    Server->queueUDPV6(H(), Message(0x0A000002, DeviceDatagram(0x105, 4, 0x41424344, "A")));
    Server->queueUDPV6(H(), Message(0x7F000001, ErrorDatagram())); // the connected device: skipped
    Server->queueUDPV6(H(), Message(0x0A000009, ErrorDatagram()));
    C.OnTimer(nullptr);
    EXPECT_EQ(Received, std::vector<unsigned>{0x0A000002});
    EXPECT_EQ(Errors, (std::vector<std::pair<TConnectionType, unsigned>>{{dctUDP, 0x0A000009}}));
    EXPECT_FALSE(OlderRead) << "the older queue belongs to the other generation";
}

TEST_F(ClientTest, DestructionClosesTheConnection)
{
    Connected();
    const auto Handle = H();
    Client.reset();
    EXPECT_EQ(Server->calls().back().method, RpcMethod::CloseConnection);
    EXPECT_EQ(Server->calls().back().handle, Handle);
}

TEST_F(ClientTest, TimerIntervalReadsBackUnclamped)
{
    auto& C = MakeClient();
    C.SetTimerInterval(50);
    EXPECT_EQ(C.GetTimerInterval(), 50u);
    EXPECT_EQ(C.GetTimer().GetInterval(), 50u);
    C.SetTimerInterval(0);
    EXPECT_EQ(C.GetTimerInterval(), 0u);
    EXPECT_EQ(C.GetTimer().GetInterval(), THighResTimer::MinInterval);
}

} // namespace
} // namespace clienttest
