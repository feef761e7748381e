// Starting, installing and updating the communication server, with the user's messages.

#include "clientfixture.h"

namespace clienttest {
namespace {

using namespace kvr::client;

constexpr HResult NotRegistered = HrClassNotRegistered;
constexpr HResult Denied = HrAccessDenied;
const std::string Installed = "/home/u/.local/share/kvr/rurez";
const std::string Temp = "/tmp/rurez";

struct Case {
    const char* What;
    std::deque<HResult> Creates;
    std::deque<std::int32_t> Versions;
    std::set<std::string> Unwritable;
    std::string Registered;
    bool Running;
    TKVRClientStatus Status;
    std::vector<unsigned> Messages;
    std::vector<std::string> Registrations;
    std::vector<std::string> LineNumbers; // the "(n)" of each debug line, in order
};

std::string Number(const std::string& Line)
{
    const auto Open = Line.find('(');
    const auto Close = Line.find(')');
    if (Line.find("Server is running") != std::string::npos)
        return "running";
    return Open == std::string::npos ? Line : Line.substr(Open + 1, Close - Open - 1);
}

TEST_F(ClientTest, ServerStartAndUpdatePaths)
{
    const std::int32_t Old = 0x015A0CFF;
    const std::int32_t Current = ContainedServerVersion;
    const std::string Reg = "/opt/kvr/rurez";
    const Case Cases[] = {
        {"current server", {0}, {Current}, {}, Reg, false, dcsNotConnected, {}, {}, {"8", "9"}},
        {"newer server", {0}, {0x7F000000}, {}, Reg, false, dcsNotConnected, {}, {}, {"8", "9"}},
        {"not registered: installed", {NotRegistered, 0}, {}, {}, Reg, false, dcsNotConnected, {}, {Installed},
         {"1", "3", "5"}},
        {"install folder refused: temporary folder", {NotRegistered, 0}, {}, {Installed}, Reg, false,
         dcsNotConnected, {}, {Temp}, {"1", "3", "4", "5"}},
        {"no folder takes the file", {NotRegistered}, {}, {Installed, Temp}, Reg, false, dcsServerInitFailed,
         {msgCannotCreateFile}, {}, {"1", "3", "4", "7"}},
        {"access denied", {Denied}, {}, {}, Reg, false, dcsServerInitFailed, {msgAccessDenied}, {}, {"1", "2", "7"}},
        {"still failing after install", {NotRegistered, HrServerExecFailure}, {}, {}, Reg, false,
         dcsServerInitFailed, {msgInstallFailed}, {Installed}, {"1", "3", "5", "6"}},
        {"denied after install", {NotRegistered, Denied}, {}, {}, Reg, false, dcsServerInitFailed, {msgAccessDenied},
         {Installed}, {"1", "3", "5", "2", "7"}},
        {"older server still running", {0}, {Old}, {}, Reg, true, dcsServerInitFailed, {msgOldServerRunning}, {},
         {"8", "9", "running"}},
        {"older server updated in place", {0, 0}, {Old, Current}, {}, Reg, false, dcsNotConnected,
         {msgServerUpdated}, {Reg}, {"8", "9", "10", "13"}},
        {"negative version counts as older", {0, 0}, {-5, Current}, {}, Reg, false, dcsNotConnected,
         {msgServerUpdated}, {Reg}, {"8", "9", "10", "13"}},
        {"quoted command line: install folder next", {0, 0}, {Old, Current}, {"\"/opt/kvr/rurez"},
         "\"/opt/kvr/rurez\" -automation", false, dcsNotConnected, {msgServerUpdated}, {Installed},
         {"8", "9", "10", "11", "13"}},
        {"empty registration: current folder", {0, 0}, {Old, Current}, {}, "", false, dcsNotConnected,
         {msgServerUpdated}, {"rurez"}, {"8", "9", "10", "13"}},
        {"update written nowhere", {0}, {Old}, {Reg, Installed, Temp}, Reg, false, dcsServerInitFailed,
         {msgNoWriteAccess}, {}, {"8", "9", "10", "11", "12"}},
        {"no interface after update", {0, HrServerExecFailure}, {Old}, {}, Reg, false, dcsServerInitFailed,
         {msgUpdateNoInterface}, {Reg}, {"8", "9", "10", "13", "15"}},
        {"updated server still older", {0, 0}, {Old, Old}, {}, Reg, false, dcsServerInitFailed, {msgUpdateFailed},
         {Reg}, {"8", "9", "10", "13", "14"}},
    };
    for (const auto& Case : Cases) {
        SetUp();
        Host->CreateResults = Case.Creates;
        Host->Versions = Case.Versions;
        Host->Unwritable = Case.Unwritable;
        Host->Registered = Case.Registered;
        Host->Running = Case.Running;
        auto& C = MakeClient();
        EXPECT_EQ(C.GetStatus(), Case.Status) << Case.What;
        EXPECT_EQ(Shown, Case.Messages) << Case.What;
        EXPECT_EQ(Host->Registrations, Case.Registrations) << Case.What;
        std::vector<std::string> Numbers;
        for (const auto& Line : Host->Lines)
            Numbers.push_back(Number(Line));
        EXPECT_EQ(Numbers, Case.LineNumbers) << Case.What;
        EXPECT_EQ(C.GetServerMachine(), "") << Case.What;
        // The host waits for the registration and for sockets; the client adds no fixed sleep.
        EXPECT_TRUE(Clock.Sleeps.empty()) << Case.What;
        TearDown();
    }
}

TEST_F(ClientTest, ServerLinesAndMessageArguments)
{
    Host->CreateResults = {0};
    Host->Versions = {0x015A0CFF};
    Host->Unwritable = {"/opt/kvr/rurez", "/home/u/.local/share/kvr/rurez", "/tmp/rurez"};
    MakeClient();
    ASSERT_GE(Host->Lines.size(), 5u);
    EXPECT_EQ(Host->Lines[1], "KVRCC: (9) RUREZ version is 0x015A0CFF required is 0x015A0D00");
    EXPECT_EQ(Host->Lines[2], "KVRCC: (10) Trying to update RUREZ at /opt/kvr/rurez");
    EXPECT_EQ(Host->Lines[4], "KVRCC: (12) Trying to update RUREZ to /tmp/rurez");
    ASSERT_EQ(ShownTexts.size(), 1u);
    EXPECT_NE(ShownTexts[0].find("no write access to server directory /tmp/rurez."), std::string::npos);
    // No fixed waits: the host waits for the old server's socket and for the registration.
    EXPECT_TRUE(Clock.Sleeps.empty());
}

TEST_F(ClientTest, TwoClientsBothFindTheCurrentServer)
{
    MakeClient();
    TKVRCommunicationClient Second(nullptr, Services());
    EXPECT_EQ(Second.GetStatus(), dcsNotConnected);
    EXPECT_EQ(Host->Creations, 2);
    EXPECT_TRUE(Host->Registrations.empty());
    EXPECT_NE(Second.GetClientHandle(), 0);
}

} // namespace
} // namespace clienttest
