#pragma once
// Collects a device's modules and cards through the maintenance frame's client, downloads each
// card's factory test protocol through an HttpFetcher and adds the card's correction values.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "service/factorytest/factorytestdoc.h"
#include "service/maintenance/devicelist.h"

namespace kvr::service {

class MaintenanceFrame;

// One GET at a time; State is 0 while waiting, then 1 success, 2 failure (an HTTP error status or
// a body too large), 3 time-out, 4 host not found or connection failed.
class HttpFetcher {
public:
    virtual ~HttpFetcher() = default;
    virtual void Get(const std::string& Url) = 0;
    virtual int State() const = 0;
    virtual std::string Body() const = 0;
    // Returns once the request has ended (State not 0) or Ms milliseconds have passed; the
    // window's events go on meanwhile.
    virtual void Wait(unsigned Ms) = 0;
    // Gives up the request after the deadline.
    virtual void Abort() = 0;
};

inline constexpr std::uint32_t HttpDeadlineMs = 10000;

class FactoryTestRun {
public:
    FactoryTestRun(MaintenanceFrame& Frame, const TDeviceInfo_cza& Device, HttpFetcher& Http, std::string BaseUrl);

    std::vector<TFactoryTest> Entries;
    std::vector<std::string> Memo;
    std::string Status = "Status : ready";
    int Progress = 0;
    int ProgressMax = 0;
    std::function<void()> Changed;

    const std::string& ProjectText() const { return FProject; }
    const std::string& DeviceName() const { return FName; }

    // The whole run; true when the hardware was read and every download came to an answer.
    bool Run();
    bool CollectHardware();
    void CollectModule(std::uint16_t Module);
    bool FetchProtocols();
    std::string GetCorrectionValues(std::uint16_t Carrier, int Slot);
    // Sets the status text and tells Changed.
    void SetStatus(std::string Text);

private:
    bool Request(std::uint32_t ID, std::uint8_t Len, std::uint8_t D0, std::uint8_t D1, std::uint8_t* Out);
    void Advance();

    MaintenanceFrame& F;
    std::vector<std::uint16_t> FModules;
    HttpFetcher& FHttp;
    std::string FBase;
    std::string FProject;
    std::string FName;
};

} // namespace kvr::service
