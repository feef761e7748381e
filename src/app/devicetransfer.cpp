#include "app/devicetransfer.h"

#include <vector>

#include "client/configtransfer.h"
#include "kvrdata/byteorder.h"
#include "model/dspfitdevice.h"
#include "model/globalresources.h"
#include "model/project.h"
#include "model/repairchain.h"
#include "model/smallrecordaccess.h"
#include "platform/currentprompter.h"

namespace kvr::app {

namespace {

constexpr std::size_t ImageBufferSize = 64000;
constexpr std::size_t HeaderProjectID = 12;
constexpr std::size_t HeaderDeviceID = 78;

void PlainMessage(const char* Text)
{
    platform::prompter().showMessage(QString::fromLatin1(Text));
}

void TransferFailed()
{
    platform::prompter().messageBox("Transfer not successful! Please try again!", "Error", platform::Buttons::Ok,
                                    platform::Icon::Error);
}

class ClientTransferLink : public TransferLink {
public:
    ClientTransferLink(TKVRCommunicationClient& Client, ShowConnectionDialogFn Show)
        : Client(Client)
        , Show(std::move(Show))
    {
    }
    bool ConnectionDialog(TDeviceAddr& Addr) override
    {
        return app::ConnectionDialog(Client, Addr, false, Show) == ConnectResultOK;
    }
    bool Connected() override { return Client.GetStatus() == dcsConnected; }
    bool OpenConnection(TDeviceAddr& Addr) override { return Client.OpenConnection(Addr); }
    void CloseConnection() override { Client.CloseConnection(); }
    bool GetDeviceInfos(unsigned& PID, unsigned& DID) override
    {
        std::string text;
        std::string name;
        return Client.GetDeviceInfos(text, name, PID, DID);
    }
    int LoadFromTarget(unsigned char* Image) override { return kvr::client::ConfigTransfer(Client).LoadFromTarget(Image); }
    bool LoadToTarget(const unsigned char* Image, int Size) override
    {
        return kvr::client::ConfigTransfer(Client).LoadToTarget(Image, Size);
    }

private:
    TKVRCommunicationClient& Client;
    ShowConnectionDialogFn Show;
};

} // namespace

std::unique_ptr<TransferLink> MakeClientTransferLink(TKVRCommunicationClient& Client, ShowConnectionDialogFn Show)
{
    return std::make_unique<ClientTransferLink>(Client, std::move(Show));
}

bool DeviceTransfer::ShowTransferConnectionDialog(model::TProject* Project, TDeviceAddr& Addr)
{
    if ((Host.Terminating && Host.Terminating()) || !Project || Processing())
        return false;
    return Link.ConnectionDialog(Addr);
}

bool DeviceTransfer::OpenTransferConnection(TDeviceAddr& Addr)
{
    if (Processing())
        return false;
    if (Link.Connected())
        Link.CloseConnection();
    return Link.OpenConnection(Addr);
}

void DeviceTransfer::CloseTransferConnection()
{
    if (!Processing())
        Link.CloseConnection();
}

TransferOutcome DeviceTransfer::Connect(model::TProject& Project, int CurDevice, bool ToDevice, unsigned& DID,
                                        unsigned& PID, bool& Identified)
{
    model::FixGLSources(Project);
    TDeviceAddr addr = model::GetDeviceAddr(*Project.Device(CurDevice));
    if (!ShowTransferConnectionDialog(&Project, addr))
        return TransferOutcome::Cancelled;
    if (!OpenTransferConnection(addr)) {
        // Both directions say so: a read that ends without a word looks like nothing happened.
        PlainMessage("Could not connect to device!");
        return TransferOutcome::NoConnection;
    }
    PID = 0;
    DID = 0;
    Identified = Link.GetDeviceInfos(PID, DID);
    if (!Identified) {
        PID = 0;
        DID = 0;
    }
    const bool same = Project.Device(CurDevice)->GetDeviceID() == DID &&
                      static_cast<std::uint32_t>(Project.GetProjectID()) == PID;
    if (!same) {
        const char* question = ToDevice ? "You are trying to send data of another device. Continue transfer?"
                                        : "You are trying to download data of another device. Continue transfer?";
        // No leaves the connection open; the next transfer closes it first.
        if (platform::prompter().messageBox(question, "Warning", platform::Buttons::YesNo, platform::Icon::Exclamation) !=
            platform::Answer::Yes)
            return TransferOutcome::Declined;
    }
    return TransferOutcome::Done;
}

TransferOutcome DeviceTransfer::LoadToDevice(model::TProject* Project, int CurDevice)
{
    if (!Project || CurDevice < 0 || CurDevice >= Project->DeviceCount())
        return TransferOutcome::Nothing;
    if (model::CountDevicesOverLimit(*Project) > 0) {
        if (Host.ShowCheckList)
            Host.ShowCheckList();
        return TransferOutcome::OverLimit;
    }
    if (Processing()) {
        PlainMessage("Cannot load configuration to device while processing!");
        return TransferOutcome::Busy;
    }
    unsigned did = 0;
    unsigned pid = 0;
    bool identified = false;
    if (const TransferOutcome o = Connect(*Project, CurDevice, true, did, pid, identified); o != TransferOutcome::Done)
        return o;
    model::TDevice& device = *Project->Device(CurDevice);
    device.PrepareLoadToDevice();
    const std::vector<std::uint8_t> image = device.GetAllData();
    const bool ok = Link.LoadToTarget(image.data(), static_cast<int>(image.size()));
    TransferEnded();
    if (!ok)
        TransferFailed();
    CloseTransferConnection();
    if (Host.RebuildTree)
        Host.RebuildTree();
    return ok ? TransferOutcome::Done : TransferOutcome::Failed;
}

TransferOutcome DeviceTransfer::LoadFromDevice(model::TProject* Project, int CurDevice)
{
    if (!Project || CurDevice < 0 || CurDevice >= Project->DeviceCount())
        return TransferOutcome::Nothing;
    if (Processing()) {
        PlainMessage("Cannot load configuration from device while processing!");
        return TransferOutcome::Busy;
    }
    unsigned did = 0;
    unsigned pid = 0;
    bool identified = false;
    if (const TransferOutcome o = Connect(*Project, CurDevice, false, did, pid, identified); o != TransferOutcome::Done)
        return o;
    std::vector<std::uint8_t> buffer(ImageBufferSize);
    const int length = Link.LoadFromTarget(buffer.data());
    TransferEnded();
    CloseTransferConnection();
    if (length <= 0 || static_cast<std::size_t>(length) > buffer.size()) {
        TransferFailed();
        return TransferOutcome::Failed;
    }
    model::TDevice& device = *Project->Device(CurDevice);
    // An unreadable identity gives no device ID to take: the device keeps its own.
    if (!identified)
        did = device.GetDeviceID();
    // A damaged image is refused by the data model with its own message; the device stays as it was.
    if (!device.SetAllData(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(length))))
        return TransferOutcome::Failed;
    auto header = device.GetHeader();
    kvr::writeBE32(header, HeaderProjectID, static_cast<std::uint32_t>(Project->GetProjectID()));
    kvr::writeBE32(header, HeaderDeviceID, did);
    device.SetHeader(header, true);
    if (Host.RebuildTree)
        Host.RebuildTree();
    Project->FixDuplicateDeviceIDs(CurDevice);
    model::FixGLSources(*Project);
    if (pid != static_cast<std::uint32_t>(Project->GetProjectID()))
        model::ClearGlobalResourceRefs(*Project, CurDevice);
    return TransferOutcome::Done;
}

ProgressStep DCCProgressStep(int Bytes, int BytesTotal, bool Visible)
{
    ProgressStep step;
    step.Maximum = BytesTotal;
    step.Position = Bytes;
    if (Bytes >= BytesTotal)
        step.Hide = true;
    else
        step.Show = !Visible;
    return step;
}

} // namespace kvr::app
