#pragma once
// What the connection dialog shows and returns, without the widgets: the device list built from
// the status broadcasts the server collected (older or newer generation), the selection that
// follows a device by its serial number across refreshes, the fixed-IP and COM-port choices, and
// the dialog's sequence around a client.

#include <functional>
#include <string>
#include <vector>

#include "client/kvrcommunicationclient.h"
#include "kvrdata/deviceaddr.h"

namespace kvr::app {

enum class ConnectionChoice { None, Selection, FixedIP, COMPort };

struct ConnectionRow {
    std::vector<std::string> Texts; // the caption column first
    unsigned Key = 0;               // serial number: keeps the selection across refreshes
    TDeviceAddr Addr;               // what choosing the row gives
};

class ConnectionList {
public:
    explicit ConnectionList(TKVRDeviceGeneration Generation)
        : Generation(Generation)
    {
    }

    TKVRDeviceGeneration GetGeneration() const { return Generation; }
    bool Newer() const { return Generation == dgKX7500; }
    std::vector<std::string> ColumnTitles() const;
    std::vector<int> ColumnWidths() const;

    // Rebuilds the rows; the selected device stays selected when it is still listed.
    void Refresh(const Kvrdata_ns::TUDPMsgVector& Msgs);
    void Refresh(Kvrdata_ns::TUDPMsgsV6& Msgs);
    // Reads the server's collection of the client's generation and refreshes.
    void RefreshFrom(TKVRCommunicationClient& Client);

    const std::vector<ConnectionRow>& Rows() const { return FRows; }
    int Selected() const { return FSelected; }
    void Select(int Row) { FSelected = Row >= 0 && Row < static_cast<int>(FRows.size()) ? Row : -1; }

    // Event handlers of the dialog.
    void DeviceListClick() { Choice = ConnectionChoice::Selection; }
    void IPEditChange(const std::string& Text);
    void COMPortComboClick(int Index);
    // On show: the list keeps a selection only while "Select:" is checked.
    void FormShow();

    bool SetAddress(const TDeviceAddr& Addr);
    // Writes the choice into Addr; false (Addr untouched) without a complete choice.
    bool GetAddress(TDeviceAddr& Addr) const;
    // The choice names something to connect to: a listed row, an IP address, a listed port. The
    // dialog's OK is enabled only then.
    bool CanConnect() const;

    ConnectionChoice Choice = ConnectionChoice::Selection;
    std::string IPText;
    // The serial ports the dialog offers, by number ("COM n"); the dialog lists those that exist.
    std::vector<int> COMPorts = {1, 2, 3, 4, 5, 6, 7, 8};
    int COMPortIndex = 0; // into COMPorts; -1 for none

private:
    void KeepSelection(unsigned Key, bool HadSelection);

    TKVRDeviceGeneration Generation;
    std::vector<ConnectionRow> FRows;
    int FSelected = -1;
};

// The numbers of the serial ports of this machine, as the server maps "COM n" to devices.
std::vector<int> ExistingCOMPorts();

// Shows the dialog over List modally and returns its modal result (1 OK, 2 Cancel).
using ShowConnectionDialogFn = std::function<int(ConnectionList& List)>;

inline constexpr int ConnectResultOK = 1;
inline constexpr int ConnectResultCancel = 2;
inline constexpr int ConnectResultFailed = 7;

// The dialog preset from Addr (or, with UseLast, the client's last address); on OK with a complete
// choice, Addr and the client's last address take it. OK without a complete choice (no row
// selected) counts as Cancel, so no caller opens a connection of kind none.
int ConnectionDialog(TKVRCommunicationClient& Client, TDeviceAddr& Addr, bool UseLast, const ShowConnectionDialogFn& Show);
// The dialog, then the connection to the chosen device: 1, or 7 when the server failed or the
// connection could not be opened.
int ConnectionDialog(TKVRCommunicationClient& Client, bool UseLast, const ShowConnectionDialogFn& Show);

// The remote-server button: the client moves to Machine; false when it fell back to the local
// server (the caller reports it and checks "Local").
bool ConnectRemoteServer(TKVRCommunicationClient& Client, const std::string& Machine);

} // namespace kvr::app
