// Installation and update of the communication server that the program carries: run once by
// the constructor. Every failing path ends at dcsServerInitFailed with one message to the user.

#include <cstdio>
#include <exception>

#include "client/clientmessages.h"
#include "client/kvrcommunicationclient.h"
#include "diagnostics/kvrinfoformat.h"

using kvr::commserver::HResult;
using namespace kvr::client;

namespace {
std::string Hex8(std::int32_t Value)
{
    char Buffer[16];
    std::snprintf(Buffer, sizeof Buffer, "%08X", static_cast<unsigned>(Value));
    return Buffer;
}

std::string WithPath(const char* Format, const std::string& Path)
{
    std::string Line = Format;
    const auto Pos = Line.find("%s");
    if (Pos != std::string::npos)
        Line.replace(Pos, 2, Path);
    return Line;
}

// Installing or updating failed in a way the next folder may cure.
struct EServerAttemptFailed : std::exception {
    const char* what() const noexcept override { return "server file could not be written"; }
};
} // namespace

void TKVRCommunicationClient::DebugLine(const std::string& Line)
{
    Services.Host->DebugOutput(Line);
}

HResult TKVRCommunicationClient::CreateServerObject()
{
    Server.reset();
    const HResult Hr = Services.Host->CreateLocal(Server);
    if (Hr != 0)
        Server.reset();
    else if (!Server)
        return HrServerExecFailure;
    return Hr;
}

bool TKVRCommunicationClient::CheckCOMAccess(long Result)
{
    if (static_cast<HResult>(Result) != HrAccessDenied)
        return true;
    DebugLine("KVRCC: (2) COM access denied");
    SetStatus(dcsServerInitFailed);
    InfoFormatter->ShowMessage(msgAccessDenied, "");
    return false;
}

// One write-and-register attempt; throws when the file cannot be written.
bool TKVRCommunicationClient::ServerAttempt(const std::string& Path, const char* LineFormat)
{
    DebugLine(WithPath(LineFormat, Path));
    if (!Services.Host->WriteServerImage(Path))
        throw EServerAttemptFailed();
    // The host waits for the registration itself, not a fixed second.
    Services.Host->RunRegistration(Path);
    return true;
}

bool TKVRCommunicationClient::InstallServer()
{
    const std::string First = Services.Host->InstallFolder() + ServerFileName;
    try {
        ServerAttempt(First, "KVRCC: (3) Trying to install RUREZ to %s");
    } catch (const EServerAttemptFailed&) {
        const std::string Second = Services.Host->TempFolder() + ServerFileName;
        try {
            ServerAttempt(Second, "KVRCC: (4) Trying to install RUREZ to %s");
        } catch (const EServerAttemptFailed&) {
            InfoFormatter->ShowMessage(msgCannotCreateFile, "");
            SetStatus(dcsServerInitFailed);
            return false;
        }
    }
    DebugLine("KVRCC: (5) InstallServer ok");
    return true;
}

bool TKVRCommunicationClient::UpdateServer()
{
    // The old server was asked to end and its socket has closed (ServerRunning).
    Server.reset();
    // The registered command line cut back to the folder of the server file.
    std::string Path = Services.Host->RegisteredCommandLine();
    const auto Pos = Path.find(ServerFileName);
    if (Pos != std::string::npos)
        Path.erase(Pos);
    Path += ServerFileName;

    const std::string Attempts[] = {Path, Services.Host->InstallFolder() + ServerFileName,
                                    Services.Host->TempFolder() + ServerFileName};
    const char* Lines[] = {"KVRCC: (10) Trying to update RUREZ at %s", "KVRCC: (11) Trying to update RUREZ to %s",
                           "KVRCC: (12) Trying to update RUREZ to %s"};
    for (int i = 0; i < 3; ++i) {
        try {
            ServerAttempt(Attempts[i], Lines[i]);
            DebugLine("KVRCC: (13) UpdateServer ok");
            return true;
        } catch (const EServerAttemptFailed&) {
        }
    }
    InfoFormatter->ShowMessage(msgNoWriteAccess, "", Attempts[2].c_str());
    SetStatus(dcsServerInitFailed);
    return false;
}

bool TKVRCommunicationClient::ServerRunning()
{
    return Services.Host->ServerRunning();
}

void TKVRCommunicationClient::ConnectServer()
{
    FServerMachine = GetLocalComputerName();

    HResult Hr = 0;
    try {
        Hr = CreateServerObject();
        if (Hr != 0) {
            DebugLine("KVRCC: (1) CoRUREZIntfV4::Create() failed");
            SetStatus(dcsServerInitFailed);
            bool Stop = !CheckCOMAccess(Hr);
            if (!Stop) {
                Server.reset();
                Stop = !InstallServer();
            }
            if (!Stop) {
                const HResult Hr2 = CreateServerObject();
                if (Hr2 == 0) {
                    SetStatus(dcsNotConnected);
                    return;
                }
                if (CheckCOMAccess(Hr2)) {
                    DebugLine("KVRCC: (6) CoRUREZIntfV4::Create() failed after InstallServer");
                    Server.reset();
                    SetStatus(dcsServerInitFailed);
                    // A server that cannot have its UDP port is no matter of rights: say what holds it.
                    if (const int Port = Services.Host->UdpPortInUse(); Port != 0)
                        InfoFormatter->ShowMessage(msgUdpPortInUse, "", Port);
                    else
                        InfoFormatter->ShowMessage(msgInstallFailed, "");
                    SetStatus(dcsServerInitFailed);
                    return;
                }
                Stop = true;
            }
            DebugLine("KVRCC: (7) Error during init");
            SetStatus(dcsServerInitFailed);
            return;
        }
    } catch (...) {
        DebugLine("KVRCC: (7) Error during init");
        SetStatus(dcsServerInitFailed);
        return;
    }

    DebugLine("KVRCC: (8) Trying to get RUREZ version");
    std::int32_t Version = 0;
    if (Server->GetVersion(Version) != 0)
        Version = 0; // no answer counts as older
    DebugLine("KVRCC: (9) RUREZ version is 0x" + Hex8(Version) + " required is 0x" + Hex8(ContainedServerVersion));
    if (Version >= ContainedServerVersion)
        return;

    Server.reset();
    if (ServerRunning()) {
        DebugLine("KVRCC: Server is running, can't update now.");
        InfoFormatter->ShowMessage(msgOldServerRunning, "");
        SetStatus(dcsServerInitFailed);
        return;
    }
    if (!UpdateServer())
        return;
    const HResult Hr3 = CreateServerObject();
    if (Hr3 != 0) {
        if (CheckCOMAccess(Hr3)) {
            DebugLine("KVRCC: (15) RUREZ update failed");
            InfoFormatter->ShowMessage(msgUpdateNoInterface, "");
            SetStatus(dcsServerInitFailed);
        }
        return;
    }
    if (Server->GetVersion(Version) != 0)
        Version = 0;
    if (Version < ContainedServerVersion) {
        DebugLine("KVRCC: (14) Update failed: RUREZ version is 0x" + Hex8(Version) + " required version is 0x" +
                  Hex8(ContainedServerVersion));
        Server.reset();
        InfoFormatter->ShowMessage(msgUpdateFailed, "");
        SetStatus(dcsServerInitFailed);
        return;
    }
    try {
        TUDPMsgV6 Probe;
        ReadUDPBlockV6(&Probe);
        InfoFormatter->ShowMessage(msgServerUpdated, "");
    } catch (...) {
        InfoFormatter->ShowMessage(msgServerUpdatedRestart, "");
        SetStatus(dcsServerInitFailed);
        Services.Host->Terminate();
    }
}
