#pragma once
// The two services every printed section uses: preparing its job (orientation, page unit,
// printer title) and drawing the frame and title block of a page.

#include <array>
#include <functional>
#include <string>

#include "platform/printer.h"

namespace kvr::model {
class TProject;
class TDevice;
} // namespace kvr::model

namespace kvr::reports {

class PrintHost;

// Coordinates are computed in floating point and truncated toward zero.
inline int Trunc(double Value) { return static_cast<int>(Value); }

// The maker's address lines of the title block.
extern const std::array<const char*, 6> TitleBlockAddress;

class PageFrame {
public:
    PageFrame(PrintHost& Host, platform::Printer& Printer, std::function<void()> EventPump = {});

    // Orientation and printer title of the next job; the page unit follows the page size.
    // A negative device index names a project-wide section.
    void PrepareSection(platform::PrinterOrientation Orientation, const std::string& SectionWord, int DeviceIndex);
    // The frame and title block of the current page; call it first on every page.
    void DrawPageFrame(const std::string& SectionTitle, int DeviceIndex);

    // Lets the program handle pending messages while a long section prints.
    void ProcessMessages() const;

    model::TProject* Project() const;
    // The device whose sections are printed; null when there is none at FDevice.
    model::TDevice* Device() const;

    PrintHost& Host;
    platform::Printer& Printer;
    // The page unit u of the section prepared last: 2000 u across the page's shorter side.
    float FUnit = 0;
    // The device whose sections are printed.
    int FDevice = -1;

private:
    std::function<void()> FEventPump;
};

// The page unit of a page: min(W, H) x 0.0005 held as a 32-bit float.
float PageUnit(int PageWidth, int PageHeight);

} // namespace kvr::reports
