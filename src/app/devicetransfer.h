#pragma once
// Load to device and load from device: the main window's sequence around one transfer of the
// selected device's whole image (connection dialog, connection, identity check, transfer,
// repairs). The client is reached through TransferLink so that the sequence runs against a fake.

#include <functional>
#include <memory>

#include "app/connectionlist.h"
#include "kvrdata/deviceaddr.h"

namespace kvr::model {
class TProject;
}

namespace kvr::app {

// What the transfers use of the main window's communication client.
class TransferLink {
public:
    virtual ~TransferLink() = default;
    // The connection dialog preset from Addr; true only for OK with a choice, written into Addr.
    virtual bool ConnectionDialog(TDeviceAddr& Addr) = 0;
    virtual bool Connected() = 0;
    virtual bool OpenConnection(TDeviceAddr& Addr) = 0;
    virtual void CloseConnection() = 0;
    // False when the identity could not be read.
    virtual bool GetDeviceInfos(unsigned& PID, unsigned& DID) = 0;
    // Into a buffer of 64000 bytes: the image's length, 0 on failure.
    virtual int LoadFromTarget(unsigned char* Image) = 0;
    virtual bool LoadToTarget(const unsigned char* Image, int Size) = 0;
};

// The link over a real client; Show runs the connection dialog.
std::unique_ptr<TransferLink> MakeClientTransferLink(TKVRCommunicationClient& Client, ShowConnectionDialogFn Show);

// The main window's side of a transfer.
struct TransferHost {
    std::function<bool()> Processing;  // the progress window is visible
    std::function<bool()> Terminating; // the program is closing
    std::function<void()> ShowCheckList;
    std::function<void()> RebuildTree;
    // The transfer call has returned: whatever its progress reports were, the progress window
    // goes (a read that loses its link ends without a completion report).
    std::function<void()> TransferEnded;
};

enum class TransferOutcome {
    Nothing,      // the project root is selected, or there is no project
    OverLimit,    // the check list was shown instead
    Busy,         // another long operation runs
    Cancelled,    // the dialog gave no device
    NoConnection,
    Declined,     // the user kept the data from another device
    Failed,
    Done,
};

class DeviceTransfer {
public:
    DeviceTransfer(TransferLink& Link, TransferHost Host)
        : Link(Link)
        , Host(std::move(Host))
    {
    }

    TransferOutcome LoadToDevice(model::TProject* Project, int CurDevice);
    TransferOutcome LoadFromDevice(model::TProject* Project, int CurDevice);

    bool ShowTransferConnectionDialog(model::TProject* Project, TDeviceAddr& Addr);
    bool OpenTransferConnection(TDeviceAddr& Addr);
    void CloseTransferConnection();

private:
    bool Processing() const { return Host.Processing && Host.Processing(); }
    void TransferEnded() const
    {
        if (Host.TransferEnded)
            Host.TransferEnded();
    }
    // Steps shared by both directions up to an open connection of a device the user accepts.
    TransferOutcome Connect(model::TProject& Project, int CurDevice, bool ToDevice, unsigned& DID, unsigned& PID,
                            bool& Identified);

    TransferLink& Link;
    TransferHost Host;
};

// What the progress window does with one progress report of the client.
struct ProgressStep {
    int Maximum = 0;
    int Position = 0;
    bool Show = false;
    bool Hide = false;
};
ProgressStep DCCProgressStep(int Bytes, int BytesTotal, bool Visible);

} // namespace kvr::app
