#include "model/dspfitdevice.h"

#include <cstdio>
#include <ctime>
#include <fstream>

#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/dspfunctioncatalogue.h"
#include "model/modelhost.h"
#include "model/modelutil.h"
#include "model/outputfunctions.h"
#include "model/project.h"
#include "model/superoutputs.h"

namespace kvr::model {

namespace {

constexpr std::uint16_t kDSPCardType = 848;

// Level detects of structure 34: a 2-byte head whose byte 0 is the record size.
int CountLevelDetects(std::span<const std::uint8_t> payload)
{
    if (payload.size() < 2 || payload[0] == 0)
        return 0;
    return static_cast<int>((payload.size() - 2) / payload[0]);
}

// Time text in the C library's 24-character form.
std::string LocalTimeText(std::uint32_t seconds)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (localtime_r(&t, &tm) == nullptr)
        return {};
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[64];
    std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %d", days[tm.tm_wday % 7], months[tm.tm_mon % 12],
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, 1900 + tm.tm_year);
    return text;
}

// The device whose run is writing its capacity byte through the header (that write reruns the
// fitting, which then has nothing to do).
const TDevice* deviceInRun = nullptr;

// Name of the last report that could not be written by an automatic run: the box is shown once,
// not after every edit.
std::string lastFailedReport;

std::string WriteReport(TDevice& dev, const FittingInput& in, const FittingResult& r, bool alwaysReportFailure)
{
    const std::string name = ReadFixedText(dev.Header(), dh::Name, dh::NameWidth);
    const std::string file = Host().ReportFolder() + FittingReportFileName(name);
    const std::string text = FittingReportText(in, r, FitCatalogue(), name, LocalTimeText(Host().CurrentTime()));
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (out)
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (out) {
        out.close();
        if (out) {
            lastFailedReport.clear();
            return file;
        }
    }
    if (alwaysReportFailure || lastFailedReport != file)
        Host().ShowErrorBox("The report file \"" + file + "\" could not be created!");
    lastFailedReport = file;
    return {};
}

// Devices whose fitting is deferred, with the runs asked for meanwhile.
struct Deferral {
    const TDevice* dev = nullptr;
    int depth = 0;
    bool pending = false;
    int options = 0; // of the last run asked for
};
std::vector<Deferral> deferrals;

Deferral* DeferralOf(const TDevice& dev)
{
    for (Deferral& d : deferrals)
        if (d.dev == &dev)
            return &d;
    return nullptr;
}

std::string Run(TDevice& dev, int options, bool explicitReport)
{
    if (dev.IsDummy() || deviceInRun == &dev)
        return {};
    if (Deferral* d = DeferralOf(dev); d != nullptr && !explicitReport) {
        d->pending = true;
        d->options = options;
        return {};
    }
    const FittingInput in = GatherFittingInput(dev);
    const FittingResult r = RunFitting(in, FitCatalogue());

    dev.FBusLimit = r.BusLimit;
    dev.FBusCount = r.BusCount;
    dev.FOutFktLimit = r.OutFktLimit;
    dev.FOutFktCount = r.OutFktCount;
    dev.FDSPCycles = r.DSPCycles;
    dev.FDSPCyclesUsed = r.DSPCyclesUsed;
    dev.FSOFLimit = r.SOFLimit;
    dev.FSOFCount = r.SOFCount;
    if (r.DSPCardCountSet)
        dev.FDSPCardCount = r.DSPCardCount;
    dev.FLimitExceeded = (dev.FLimitExceeded & ~kFittingExceededBits) | r.Exceeded;
    dev.FLimitReached = r.Reached;

    WriteBusCapacity(dev, r.BusCapacity);

    if (r.Stopped)
        return {};
    if (r.AllPlaced && (options & kFitNoDSPAssign) == 0)
        dev.SetData(stDSPAssign, r.DSPAssign);
    if ((options & kFitWriteReport) == 0)
        return {};
    return WriteReport(dev, in, r, explicitReport);
}

} // namespace

std::vector<std::uint8_t> DSPCardVariants(const TDevice& dev)
{
    std::vector<std::uint8_t> variants;
    std::vector<std::uint8_t> record;
    for (int slot = 0; slot < dev.GetSlotCount(); ++slot) {
        dev.GetSetupData(static_cast<std::uint8_t>(slot), record);
        if (record.size() >= 2 && readBE16(record, 0) == kDSPCardType)
            variants.push_back(record.size() > 5 ? record[5] : 0);
    }
    return variants;
}

void WriteBusCapacity(TDevice& dev, int capacity)
{
    if (dev.IsDummy() || HeaderByte(dev, dh::BusCapacity) == capacity)
        return;
    // Derived data: no change stamp, and the device keeps its changed state. The header write
    // reruns the fitting, which has nothing to do meanwhile.
    const bool changed = dev.IsChanged();
    auto header = dev.GetHeader();
    header[dh::BusCapacity] = static_cast<std::uint8_t>(capacity);
    const TDevice* outer = deviceInRun;
    deviceInRun = &dev;
    dev.SetHeader(header, false);
    deviceInRun = outer;
    dev.SetChangedFlag(changed);
}

FittingInput GatherFittingInput(const TDevice& dev)
{
    FittingInput in;
    std::vector<std::uint8_t> buffer;
    in.DSPCardVariants = DSPCardVariants(dev);
    in.BusCount = HeaderByte(dev, dh::AuxBusCount) + HeaderByte(dev, dh::ProgramBusCount) +
                  HeaderByte(dev, dh::CleanFeedCount);

    dev.GetData(stOutFkt, buffer);
    in.OutFktCount = static_cast<int>(WalkOutputFunctions(buffer).size());
    dev.GetData(stSOF, buffer);
    in.SOFCount = static_cast<int>(WalkSOFs(buffer).size());
    dev.GetData(stLevelDetect, buffer);
    in.LevelDetectCount = CountLevelDetects(buffer);

    dev.GetData(stProc, buffer);
    for (const RecordSpan& r : WalkFixedProcessings(buffer, HeaderByte(dev, dh::FixedProcCount)))
        in.FixedProcs.push_back(FixedProcessingCodes(std::span(buffer).subspan(r.offset, r.length)));

    // Fader assignments: [fader channel][pot][fader][n][n chain codes]; the first record of a
    // fader counts.
    const int faders = HeaderByte(dev, dh::FaderCount);
    in.FaderChains.assign(static_cast<std::size_t>(faders), {});
    in.FaderHasRecord.assign(static_cast<std::size_t>(faders), false);
    dev.GetData(stChannelAssign, buffer);
    for (std::size_t at = 0; buffer.size() - at >= 4;) {
        const std::size_t length = 4 + std::size_t{buffer[at + 3]};
        if (length > buffer.size() - at)
            break;
        const std::size_t fader = buffer[at + 2];
        if (fader < in.FaderChains.size() && !in.FaderHasRecord[fader]) {
            in.FaderHasRecord[fader] = true;
            in.FaderChains[fader].assign(buffer.begin() + static_cast<std::ptrdiff_t>(at + 4),
                                         buffer.begin() + static_cast<std::ptrdiff_t>(at + length));
        }
        at += length;
    }
    return in;
}

std::string RunDSPFitting(TDevice& dev, int options) { return Run(dev, options, false); }

DeferredFitting::DeferredFitting(TDevice& dev) : dev_(dev)
{
    if (Deferral* d = DeferralOf(dev))
        ++d->depth;
    else
        deferrals.push_back({&dev, 1});
}

DeferredFitting::~DeferredFitting()
{
    Deferral* d = DeferralOf(dev_);
    if (d == nullptr || --d->depth > 0)
        return;
    const Deferral done = *d;
    std::erase_if(deferrals, [this](const Deferral& x) { return x.dev == &dev_; });
    if (done.pending)
        Run(dev_, done.options, false);
}

FittingAtEnd::~FittingAtEnd() { dev_.CheckDSPResources(dev_.FFitOptions); }

std::string WriteFittingReport(TDevice& dev) { return Run(dev, kFitWriteReport, true); }

int CountUnknownDSPFunctions(TDevice& dev)
{
    if (dev.IsDummy())
        return 0;
    const int count = CountUnknownFunctions(GatherFittingInput(dev), FitCatalogue());
    if (count > 0)
        dev.FLimitExceeded |= kLimitUnknownFunction;
    else
        dev.FLimitExceeded &= ~kLimitUnknownFunction;
    return count;
}

void SetLimitExceeded(TDevice& dev, std::uint32_t bits) { dev.FLimitExceeded |= bits; }
void ClearLimitExceeded(TDevice& dev, std::uint32_t bits) { dev.FLimitExceeded &= ~bits; }

std::uint32_t IsLimitReached(const TDevice& dev, std::uint32_t mask)
{
    return dev.IsDummy() ? 0 : (dev.FLimitReached & mask);
}

std::uint32_t GetLimitExceeded(const TDevice& dev) { return dev.IsDummy() ? 0 : dev.FLimitExceeded; }

std::vector<TConfigViolation> GetConfigViolations(const TDevice& dev, int capacity)
{
    if (dev.IsDummy())
        return {};
    return ConfigViolations(dev.FLimitExceeded, GatherFittingInput(dev), FitCatalogue(), capacity);
}

int CountDevicesOverLimit(TProject& project)
{
    int count = 0;
    for (int i = 0; i < project.DeviceCount(); ++i)
        if (const TDevice* dev = project.Device(i); dev != nullptr && GetLimitExceeded(*dev) != 0)
            ++count;
    return count;
}

} // namespace kvr::model
