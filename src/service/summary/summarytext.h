#pragma once
// The project summary without widgets: one device's scan results, the rows of the device list,
// the module order and the text of a summary. Texts are Windows-1252 bytes.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "kvrdata/deviceaddr.h"

namespace kvr::service {

inline constexpr std::size_t SummaryModulesMax = 32;
inline constexpr std::size_t SummaryCarriersMax = 3; // carriers at positions 0-2 get their cards read
inline constexpr std::size_t SummarySlots = 10;

// One answer of the module scan.
struct TScannedModule {
    std::int32_t Address = 0;
    std::int32_t Position = 0;
    std::array<std::int32_t, 4> Version{};
    std::int32_t Kind = 0;
};

// The answer for one card slot of a carrier; SerialNumber 0 means no card.
struct TScannedCard {
    std::int32_t SerialNumber = 0;
    std::int32_t Revision = 0;
    std::int32_t FA = 0;
    std::int32_t CardType = 0;
};

// One device of the summary.
struct TDeviceDesc {
    Kvrdata_ns::TDeviceAddr Addr;
    std::array<std::uint8_t, 200> Header{};
    std::string FrameSN = "0";
    std::string PowerSN = "0";
    std::int32_t ModuleCount = 0;
    std::array<TScannedModule, SummaryModulesMax> Modules{};
    std::array<std::array<TScannedCard, SummarySlots>, SummaryCarriersMax> CardPages{};
    std::int32_t Online = 0;

    // Header bytes 16-51 up to the first zero byte.
    std::string Name() const;
    // Header byte 106: 0 a DSP frame; 27, 78, 79 the panels.
    int DummyModel() const { return Header[106]; }
    bool IsFrame() const { return DummyModel() == 0; }
    bool IsPanel() const { return DummyModel() == 27 || DummyModel() == 78 || DummyModel() == 79; }
    bool HasPowerFrame() const { return Header[97] != 0; }
    // Forgets the last scan.
    void ClearScan();
};

// The texts of one row of the device list.
struct TSummaryRow {
    std::string Device, Type, FrameSN, PowerSN, Online, Address, MacSN;
    bool operator==(const TSummaryRow&) const = default;
};
TSummaryRow SummaryRow(const TDeviceDesc& D);

std::string SummaryModuleText(int Kind);
std::string SummaryModuleShortText(int Kind);
std::string SummaryCardText(int CardType);

// The module order: kinds by their place in the order list, kinds missing from it after the
// listed ones by code; the same kind by position.
bool SortMods(const TScannedModule& A, const TScannedModule& B);
void SortModules(TDeviceDesc& D);

std::vector<std::string> KX7300ToText(const TDeviceDesc& D);
std::vector<std::string> PanelToText(const TDeviceDesc& D);

struct TSummaryHead {
    std::string Project;  // project name and ID, as the dialog shows them
    std::string Order;
    std::string Customer;
};
// The lines one "Generate!" appends.
std::vector<std::string> SummaryText(const TSummaryHead& Head, const std::vector<TDeviceDesc>& Devices);

// The proposed file name: the project name and " SN.txt", path characters replaced.
std::string SummaryFileName(const std::string& ProjectName);

} // namespace kvr::service
