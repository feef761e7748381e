#include "service/dialogs/servicedialogs.h"

#include <cstdio>

#include "service/maintenance/messagelog.h"

namespace kvr::service {

namespace {
// Fields that do not parse stay 0.
void ParseFields(const std::string& Text, const char* Format, unsigned (&Out)[4])
{
    std::sscanf(Text.c_str(), Format, &Out[0], &Out[1], &Out[2], &Out[3]);
}
} // namespace

KVRCANBlock ParseControlBlockText(const std::string& Text)
{
    unsigned f[10] = {};
    std::sscanf(Text.c_str(), "%x , %u, %x, %x, %x, %x, %x, %x, %x, %x", &f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6], &f[7],
                &f[8], &f[9]);
    KVRCANBlock cb;
    cb.ID = f[0];
    cb.Len = static_cast<std::uint8_t>(f[1]);
    for (int i = 0; i < 8; ++i)
        cb.Data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(f[2 + i]);
    return cb;
}

TUDPMsg SetDeviceIPMessage(const std::string& MAC, const std::string& IP, const std::string& Mask, bool DHCP)
{
    unsigned mac[4] = {}, ip[4] = {}, mask[4] = {};
    ParseFields(MAC, "%x-%x-%x", mac);
    ParseFields(IP, "%u.%u.%u.%u", ip);
    ParseFields(Mask, "%u.%u.%u.%u", mask);
    auto word = [](const unsigned (&f)[4]) {
        return (f[0] & 0xFF) << 24 | (f[1] & 0xFF) << 16 | (f[2] & 0xFF) << 8 | (f[3] & 0xFF);
    };
    const std::array<std::uint8_t, 3> m{static_cast<std::uint8_t>(mac[0]), static_cast<std::uint8_t>(mac[1]),
                                        static_cast<std::uint8_t>(mac[2])};
    return Kvrdata_ns::MakeSetDeviceIPMsg(DHCP, m, word(ip), word(mask));
}

KVRCANBlock ContrastBlock(bool Increase)
{
    KVRCANBlock cb;
    cb.ID = 0x01F70000;
    cb.Len = 2;
    cb.Data[0] = 1;
    cb.Data[1] = Increase ? 1 : 0;
    return cb;
}

bool MonitorRefused(const TDeviceAddr& Device)
{
    return Device.GetConnectionType() == Kvrdata_ns::dctCOM;
}

std::string MonitorLogFileName(const std::string& Description)
{
    std::string name = Description;
    for (char& c : name)
        if (c == ':' || c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    // A name of dots alone would point at a folder.
    if (name.find_first_not_of(". ") == std::string::npos)
        name = "monitor";
    return name + ".log";
}

std::int64_t TextToIntDef0(const std::string& Text)
{
    std::string t = Text;
    while (!t.empty() && t.front() == ' ')
        t.erase(t.begin());
    while (!t.empty() && t.back() == ' ')
        t.pop_back();
    int base = 10;
    std::size_t at = 0;
    bool negative = false;
    if (at < t.size() && (t[at] == '-' || t[at] == '+'))
        negative = t[at++] == '-';
    if (at < t.size() && t[at] == '$') {
        base = 16;
        ++at;
    } else if (at + 1 < t.size() && t[at] == '0' && (t[at + 1] == 'x' || t[at + 1] == 'X')) {
        base = 16;
        at += 2;
    }
    if (at >= t.size())
        return 0;
    std::int64_t v = 0;
    for (; at < t.size(); ++at) {
        const char c = t[at];
        int d = c >= '0' && c <= '9' ? c - '0' : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10 : base == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (d < 0 || v > 0xFFFFFFFFll)
            return 0;
        v = v * base + d;
    }
    return negative ? -v : v;
}

InternalCANMonitor::InternalCANMonitor(std::unique_ptr<TKVRCommunicationClient> Client, const TDeviceAddr& Device, std::string Folder)
    : FClient(std::move(Client)), FAddr(Device)
{
    FClient->ShortClient = "ICP";
    FClient->COMPort = 1;
    FClient->UDPPort = 2009;
    FClient->TCPPort = 2008;
    FClient->SetHostname("127.0.0.1");
    const std::string description = FAddr.GetDescription();
    FAddr.SetCOMPort(255);
    FClient->OnCANBlockReceived = [this](TKVRCommunicationClient*, KVRCANBlock CB) { BlockReceived(CB); };
    FConnected = FClient->OpenConnection(FAddr);
    if (!FConnected)
        return;
    FLogPath = (Folder.empty() ? std::string(".") : Folder) + "/" + MonitorLogFileName(description);
    try {
        FLog = std::make_unique<TKVRLogFileStream>(FLogPath, TKVRLogFileStream::fmCreate);
        FLog->WriteLine("Internal CAN Protocol: " + description);
    } catch (const std::exception&) {
        FLog.reset(); // no log file and no message
    }
}

InternalCANMonitor::~InternalCANMonitor()
{
    FClient->OnCANBlockReceived = nullptr;
    FClient->CloseConnection();
    FLog.reset();
}

void InternalCANMonitor::MaskChange(const std::string& Text)
{
    FClient->SetFilterMask(static_cast<unsigned>(TextToIntDef0(Text)));
}

void InternalCANMonitor::IDChange(const std::string& Text)
{
    FClient->SetFilter(static_cast<unsigned>(TextToIntDef0(Text)));
}

void InternalCANMonitor::BlockReceived(const KVRCANBlock& Block)
{
    if (!Activate)
        return;
    const std::string line = HighResTimeStamp() + " " + std::to_string(Block.Reserved) + " : " + CANBlockToText(Block);
    Lines.push_back(line);
    if (FLog) {
        try {
            FLog->WriteLine(line);
        } catch (const std::exception&) {
            FLog.reset();
        }
    }
    if (Changed)
        Changed();
}

} // namespace kvr::service
