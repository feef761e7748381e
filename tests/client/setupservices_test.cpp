// Setups, names and small services on the fake server.

#include <gtest/gtest.h>

#include <map>

#include "client/setupservices.h"
#include "client/transferblocks.h"
#include "diagnostics/kvrassert.h"
#include "kvrdata/blockstream.h"
#include "kvrdata/byteorder.h"
#include "transferfixture.h"

namespace {

using namespace transfertest;
using kvr::client::SetupServices;
using kvr::client::transfer::CBID_CH_SETUP_NAME;
using kvr::client::transfer::CBID_MX_SETUP_NAME;
using Kvrdata_ns::TMemoryStream;

std::string Text(const KVRCANBlock& CB, std::size_t From, std::size_t N)
{
    return std::string(reinterpret_cast<const char*>(CB.Data.data() + From), N);
}

class SetupTest : public TransferTest {
protected:
    // A device keeping setups: chunks are echoed and collected, the store command files them.
    void SetupDevice()
    {
        Device = [this](const KVRCANBlock& CB) -> Answers {
            if (CB.ID == 0x11410000 && CB.Len > 2) {
                const unsigned At = kvr::readBE16(CB.Data, 0);
                if (Buffer.size() < At + CB.Len - 2u)
                    Buffer.resize(At + CB.Len - 2u);
                std::copy_n(CB.Data.begin() + 2, CB.Len - 2, Buffer.begin() + At);
                return {CorruptEcho ? Block(CB.ID, CB.Len, {0xFF}) : CB};
            }
            if (CB.ID == 0x11410000 && CB.Len == 2) {
                const unsigned At = kvr::readBE16(CB.Data, 0);
                KVRCANBlock A = Block(CB.ID, 8, {CB.Data[0], CB.Data[1]});
                for (unsigned i = 0; i < 6 && At + i < Buffer.size(); ++i)
                    A.Data[2 + i] = Buffer[At + i];
                return {A};
            }
            if (CB.ID == 0x11420000 && CB.Len == 2) {
                Buffer = Setups[{CB.Data[0], CB.Data[1]}];
                const auto N = static_cast<std::uint16_t>(Buffer.size());
                return {Block(CB.ID, 4, {CB.Data[0], CB.Data[1], static_cast<std::uint8_t>(N >> 8), static_cast<std::uint8_t>(N)})};
            }
            if (CB.ID == 0x11420000 && CB.Len == 4) {
                Buffer.resize(kvr::readBE16(CB.Data, 2));
                Setups[{static_cast<std::uint8_t>(CB.Data[0] - 1), CB.Data[1]}] = Buffer;
            }
            return {};
        };
    }
    std::map<std::pair<std::uint8_t, std::uint8_t>, std::vector<std::uint8_t>> Setups;
    std::vector<std::uint8_t> Buffer;
    bool CorruptEcho = false;
};

TEST_F(SetupTest, SendSetupChunksAndStoreCommand)
{
    auto& Client = Start();
    SetupDevice();
    std::vector<std::uint8_t> Bytes(13);
    for (std::size_t i = 0; i < Bytes.size(); ++i)
        Bytes[i] = static_cast<std::uint8_t>(0xA0 + i);
    TMemoryStream S(Bytes);
    EXPECT_TRUE(SetupServices(Client).SendSetup(4, 9, &S));
    const auto Blocks = Sent();
    ASSERT_EQ(Blocks.size(), 4u);
    const std::uint8_t Offsets[] = {0, 6, 12};
    const std::uint8_t Lens[] = {8, 8, 3};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Blocks[i].ID, 0x11410000u);
        EXPECT_EQ(Blocks[i].Len, Lens[i]);
        EXPECT_EQ(kvr::readBE16(Blocks[i].Data, 0), Offsets[i]);
    }
    EXPECT_EQ(Blocks[3].ID, 0x11420000u);
    EXPECT_EQ(std::vector<std::uint8_t>(Blocks[3].Data.begin(), Blocks[3].Data.begin() + Blocks[3].Len),
              (std::vector<std::uint8_t>{5, 9, 0, 13}));
    EXPECT_EQ((Setups[{4, 9}]), Bytes);
    EXPECT_FALSE(Client.GetTransferActive());

    // And back: a size request, then chunks at 0, 6 and 12.
    TMemoryStream Back;
    EXPECT_TRUE(SetupServices(Client).ReadSetup(4, 9, &Back));
    EXPECT_EQ(Back.Bytes(), Bytes);
    unsigned short Size = 0;
    EXPECT_TRUE(SetupServices(Client).ReadSetupSize(4, 9, Size));
    EXPECT_EQ(Size, 13);
}

TEST_F(SetupTest, SendSetupRefusals)
{
    auto& Client = Start();
    SetupDevice();
    // The store command carries 16 bits: 65,536 bytes would be stored as an empty setup.
    TMemoryStream TooLarge(std::vector<std::uint8_t>(65536, 1));
    EXPECT_FALSE(SetupServices(Client).SendSetup(1, 1, &TooLarge));
    EXPECT_TRUE(Sent().empty());
    EXPECT_FALSE(SetupServices(Client).SendSetup(1, 1, nullptr));

    Client.SetTransferActive(true);
    TMemoryStream Small(std::vector<std::uint8_t>(4, 1));
    unsigned short Size = 0;
    EXPECT_FALSE(SetupServices(Client).SendSetup(1, 1, &Small));
    EXPECT_FALSE(SetupServices(Client).ReadSetup(1, 1, &Small));
    EXPECT_FALSE(SetupServices(Client).ReadSetupSize(1, 1, Size));
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(Client.GetTransferActive()) << "a refusal leaves the running transfer's flag alone";
    Client.SetTransferActive(false);

    // The echo must repeat the chunk exactly.
    CorruptEcho = true;
    EXPECT_FALSE(SetupServices(Client).SendSetup(1, 1, &Small));
    EXPECT_EQ(Sent().size(), 5u) << "one chunk, Retries attempts, no store command";
}

TEST_F(SetupTest, ReadSetupOfSizeZeroAsksOnlyTheSize)
{
    auto& Client = Start();
    SetupDevice();
    TMemoryStream S;
    EXPECT_TRUE(SetupServices(Client).ReadSetup(2, 3, &S));
    EXPECT_EQ(SentIDs(), std::vector<std::uint32_t>{0x11420000});
    EXPECT_EQ(S.GetSize(), 0);

    Device = nullptr;
    EXPECT_FALSE(SetupServices(Client).ReadSetup(2, 3, &S));
}

TEST_F(SetupTest, DeleteChannelSetupAndLoadSave)
{
    auto& Client = Start();
    EXPECT_TRUE(SetupServices(Client).DeleteChannelSetup(7));
    EXPECT_TRUE(SetupServices(Client).LoadSaveSetup(200, 100, 3, 4));
    const auto Blocks = Sent();
    ASSERT_EQ(Blocks.size(), 3u);
    EXPECT_EQ(Blocks[0].ID, 0x11410000u);
    EXPECT_EQ(Blocks[0].Len, 6);
    EXPECT_EQ(Blocks[0].Data, KVRCANBlock{}.Data);
    EXPECT_EQ(Blocks[1].ID, 0x11420000u);
    EXPECT_EQ(std::vector<std::uint8_t>(Blocks[1].Data.begin(), Blocks[1].Data.begin() + Blocks[1].Len),
              (std::vector<std::uint8_t>{0x0C, 7, 0, 4}));
    EXPECT_EQ(Blocks[2].ID, 0x111C0000u);
    EXPECT_EQ(std::vector<std::uint8_t>(Blocks[2].Data.begin(), Blocks[2].Data.begin() + Blocks[2].Len),
              (std::vector<std::uint8_t>{44, 3, 4}));
}

class NameTest : public TransferTest {
protected:
    void NameDevice()
    {
        Device = [this](const KVRCANBlock& CB) -> Answers {
            if ((CB.ID == CBID_CH_SETUP_NAME || CB.ID == CBID_MX_SETUP_NAME) && CB.Len == 1) {
                std::string N = SetupNames[CB.Data[0]];
                N.resize(12, '\0');
                Answers A = Unasked;
                for (std::uint8_t P = 0; P < 2; ++P) {
                    KVRCANBlock B = Block(CB.ID, 8, {CB.Data[0], P});
                    std::copy_n(N.begin() + 6 * P, 6, B.Data.begin() + 2);
                    A.push_back(B);
                }
                return A;
            }
            if (CB.ID == 0x11140000 && CB.Len == 3) {
                std::string N = FaderNames[kvr::readBE16(CB.Data, 0)];
                N.resize(16, '\0');
                KVRCANBlock Part = Block(CB.ID, 8, {CB.Data[0], CB.Data[1], CB.Data[2]});
                std::copy_n(N.begin() + 4 * CB.Data[2], 4, Part.Data.begin() + 4);
                return {Block(CB.ID, 3, {CB.Data[0], CB.Data[1], CB.Data[2]}), Part};
            }
            return {};
        };
    }
    std::map<int, std::string> SetupNames;
    std::map<int, std::string> FaderNames;
    Answers Unasked;
};

TEST_F(NameTest, SetupNamesAreReadTrimmedAndUnaskedOnesRaiseTheirEvent)
{
    auto& Client = Start();
    NameDevice();
    SetupNames[5] = "  Morning Sh";
    // The device also sends another setup's name unasked, in the middle of the answer.
    Unasked = {Block(CBID_CH_SETUP_NAME, 8, {6, 0, 'E', 'v', 'e', 'n', 'i', 'n'}),
               Block(CBID_CH_SETUP_NAME, 8, {6, 1, 'g', 0, 0, 0, 0, 0})};
    std::vector<std::pair<int, std::string>> Events;
    Client.OnChSetupNameReceived = [&](TKVRCommunicationClient*, int ID, const std::string& S) { Events.push_back({ID, S}); };
    std::string Name;
    EXPECT_TRUE(SetupServices(Client).GetSetupName(CBID_CH_SETUP_NAME, 5, Name));
    EXPECT_EQ(Name, "Morning Sh");
    ASSERT_EQ(Events.size(), 1u);
    EXPECT_EQ(Events[0], (std::pair<int, std::string>{6, "Evening"}));
    EXPECT_EQ(SentIDs(), std::vector<std::uint32_t>{CBID_CH_SETUP_NAME});

    Device = nullptr;
    EXPECT_FALSE(SetupServices(Client).GetSetupName(CBID_MX_SETUP_NAME, 5, Name));
    EXPECT_THROW(SetupServices(Client).GetSetupName(0x11140000, 5, Name), EAssertionFailed);
    EXPECT_THROW(SetupServices(Client).SetSetupName(0x11140000, 5, "x"), EAssertionFailed);
}

TEST_F(NameTest, SetAndDeleteSetupNames)
{
    auto& Client = Start();
    EXPECT_TRUE(SetupServices(Client).SetSetupName(CBID_MX_SETUP_NAME, 3, "ABCDEFGHIJKLMNO"));
    EXPECT_TRUE(SetupServices(Client).DeleteChannelSetupName(0x104));
    const auto Blocks = Sent();
    ASSERT_EQ(Blocks.size(), 4u);
    EXPECT_EQ(Blocks[0].ID, CBID_MX_SETUP_NAME);
    EXPECT_EQ(Text(Blocks[0], 0, 8), std::string("\x03\x00" "ABCDEF", 8));
    EXPECT_EQ(Text(Blocks[1], 0, 8), std::string("\x03\x01" "GHIJKL", 8));
    EXPECT_EQ(Blocks[2].ID, CBID_CH_SETUP_NAME);
    EXPECT_EQ(Text(Blocks[3], 0, 8), std::string("\x04\x01\0\0\0\0\0\0", 8));
}

TEST_F(NameTest, FaderNames)
{
    auto& Client = Start();
    NameDevice();
    FaderNames[0x0102] = " Presenter Mic 1";
    std::string Name = "old";
    EXPECT_TRUE(SetupServices(Client).GetFaderChName(0x0102, Name));
    EXPECT_EQ(Name, "Presenter Mic 1");
    EXPECT_EQ(Sent().size(), 4u);

    // A blank first part ends the read after one request.
    FaderNames[7] = "    Second";
    const std::size_t Before = Sent().size();
    EXPECT_TRUE(SetupServices(Client).GetFaderChName(7, Name));
    EXPECT_EQ(Name, "");
    EXPECT_EQ(Sent().size(), Before + 1);

    Device = nullptr;
    EXPECT_FALSE(SetupServices(Client).GetFaderChName(0x0102, Name));
}

TEST_F(NameTest, SetFaderNameCutsAndPads)
{
    auto& Client = Start();
    EXPECT_TRUE(SetupServices(Client).SetFaderChName(0x0102, "ABCDEFGHIJKLMNOPQRST"));
    auto Blocks = Sent();
    ASSERT_EQ(Blocks.size(), 4u);
    EXPECT_EQ(Text(Blocks[3], 0, 8), std::string("\x01\x02\x03\x00" "MNOP", 8));

    EXPECT_TRUE(SetupServices(Client).SetFaderChName(0x0102, "AB"));
    Blocks = Sent();
    ASSERT_EQ(Blocks.size(), 8u);
    EXPECT_EQ(Text(Blocks[4], 0, 8), std::string("\x01\x02\x00\x00" "AB\0\0", 8));
    for (int i = 5; i < 8; ++i)
        EXPECT_EQ(Text(Blocks[i], 4, 4), std::string(4, '\0'));

    EXPECT_TRUE(SetupServices(Client).SetFaderChName(0x0102, ""));
    Blocks = Sent();
    ASSERT_EQ(Blocks.size(), 9u);
    EXPECT_EQ(Blocks[8].Len, 2);
}

TEST_F(TransferTest, SerialNumberConsoleIDAndStatusRequest)
{
    auto& Client = Start();
    Device = [](const KVRCANBlock& CB) -> Answers {
        if (CB.ID == 0x112E0000)
            return {Block(0x112E0001, 4, {9, 9, 9, 9}), Block(0x112E0001, 8, {0, 1, 2, 3, 5, 0x14, 0, 0})};
        if (CB.ID == 0x9A000004)
            return {Block(0x9A000004, 3, {0xFE, 0x06, 0x20})};
        return {};
    };
    unsigned Serial = 0;
    EXPECT_TRUE(SetupServices(Client).GetSerialNumber(Serial));
    EXPECT_EQ(Serial, 0x00010203u);

    Kvrdata_ns::TUDPMsgV6 Msg;
    EXPECT_TRUE(SetupServices(Client).GetTCPBroadcast(&Msg));
    EXPECT_EQ(Msg.GetData()->GetStream()->Bytes(), (std::vector<std::uint8_t>{0xFE, 0x06, 0x20}));
    EXPECT_FALSE(SetupServices(Client).GetTCPBroadcast(nullptr));

    EXPECT_TRUE(SetupServices(Client).SetConsoleID(0x01020304, 5, 6, 7, true));
    ASSERT_EQ(CallCount(kvr::commserver::RpcMethod::SendUDPBlockV6), 1u);
    for (const auto& Call : Server->calls()) {
        if (Call.method != kvr::commserver::RpcMethod::SendUDPBlockV6)
            continue;
        auto Bytes = Call.bytes;
        Kvrdata_ns::TUDPMsgV6 Sent;
        ASSERT_TRUE(Sent.FromVariant(Bytes));
        EXPECT_EQ(Sent.FromIP, 0xFFFFFFFFu);
        EXPECT_EQ(Sent.FromPort, 2009u);
        EXPECT_EQ(Sent.GetData()->GetStream()->Bytes(), (std::vector<std::uint8_t>{0xFE, 0, 0, 4, 1, 2, 3, 4, 5, 0x67}));
    }
}

} // namespace
