#pragma once
// The project summary's rules without widgets: the devices of the project with their online
// state and typed serial numbers, and "Generate!", which connects to each device in turn, scans
// its modules and the cards of its carriers, and appends the summary text.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "client/kvrcommunicationclient.h"
#include "service/eventwait.h"
#include "service/summary/summarytext.h"

namespace kvr::model {
class TProject;
}
namespace kvr::platform {
class Prompter;
}

namespace kvr::service {

inline constexpr std::uint64_t SummaryWaitMs = 5000;

struct TSummaryServices {
    std::function<std::uint64_t()> Now;    // monotonic milliseconds
    std::function<void()> ProcessMessages; // lets messages through once
    platform::Prompter* Ask = nullptr;     // null: the program's prompter
    // Waits until Done holds or Ms have passed, letting messages through without spinning.
    // Empty: the event loop's idle wait, which a status change or a stop ends early.
    std::function<void(const std::function<bool()>& Done, unsigned Ms)> Wait = {};
};

// The state of the two serial-number edits for the selected row.
struct TSerialEdits {
    bool FrameEnabled = false;
    bool PowerEnabled = false;
    std::string FrameText;
    std::string PowerText;
    bool operator==(const TSerialEdits&) const = default;
};

class ProjectSummary {
public:
    ProjectSummary(std::unique_ptr<TKVRCommunicationClient> Client, const model::TProject& Project, TSummaryServices Services);
    ~ProjectSummary();

    // FormShow: the project ID text and the device list.
    void Show();
    // "Name (ABCD)".
    const std::string& ProjectText() const { return FProjectText; }
    std::string ProjectName() const;
    void CreateList();
    // The online state of every entry from the collected broadcasts, and the rows.
    std::vector<TSummaryRow> ShowList();
    std::vector<TDeviceDesc>& Entries() { return FEntries; }

    // DevListClick: the edits for a row (-1: none selected).
    TSerialEdits Select(int Row) const;
    // An edit's text typed into the selected row's entry; only while that edit is enabled.
    void FrameSNChanged(int Row, const std::string& Text);
    void PowerSNChanged(int Row, const std::string& Text);

    // "Generate!": false when the question was cancelled or a run is going on.
    bool Generate(const std::string& Order, const std::string& Customer);
    bool Running() const { return FRunning; }
    // Ends a run between two steps: what the devices scanned so far gave is kept and written
    // out, without the closing "Done.". Nothing when no run is going on.
    void Stop();
    bool Stopped() const { return FStop; }
    // How long a device may take to connect.
    unsigned ConnectWaitMs = SummaryWaitMs;
    // The device the run is at, for the window: "Device 3 of 20: Frame 3".
    std::string ProgressText;
    // Every summary made so far, each appended; LastRun the lines of the latest.
    std::vector<std::string> Output;
    std::vector<std::string> LastRun;
    int Progress = 0;
    int ProgressMax = 100;
    std::function<void()> Changed; // progress or output changed

    TKVRCommunicationClient& Client() { return *FClient; }

private:
    // False when the device did not connect (or the run was stopped first): nothing was read.
    bool ScanDevice(TDeviceDesc& Entry);
    void ReadCards(TDeviceDesc& Entry, std::size_t Index);
    void SetProgress(int Value);
    void SetProgressText(std::string Text);
    void Wait(const std::function<bool()>& Done, unsigned Ms);
    platform::Prompter& Ask();

    std::unique_ptr<TKVRCommunicationClient> FClient;
    const model::TProject& FProject;
    TSummaryServices S;
    std::vector<TDeviceDesc> FEntries;
    std::string FProjectText;
    std::string FPID;
    bool FRunning = false;
    bool FStop = false;
    EventWait FWait;
};

} // namespace kvr::service
