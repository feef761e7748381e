#include "service/summary/summarytext.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace kvr::service {

namespace {

std::string Format(const char* Pattern, auto... Args)
{
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, Pattern, Args...);
    return buffer;
}

const std::map<int, std::pair<const char*, const char*>>& ModuleTable()
{
    static const std::map<int, std::pair<const char*, const char*>> T = {
        {0, {"None", ""}},          {1, {"unknown ", ""}},      {2, {"KX730-020 ", " #F"}}, {3, {"KX730-010 ", " #C"}},
        {4, {"KX730-851 ", " #B"}}, {5, {"Monitor ", ""}},      {6, {"KX730-012 ", " #C"}}, {7, {"KX730-013 ", " #C"}},
        {8, {"KX730-026 ", " #C"}}, {9, {"KX730-025 ", " #C"}}, {10, {"KX730-011 ", " #C"}}, {11, {"KX730-850 ", " #L"}},
        {13, {"KX730-029 ", " #F"}}, {14, {"KX730-014", " #C"}}, {30, {"KX730-079 ", ""}},  {32, {"KX730-078 ", ""}},
        {31, {"KX730-027", ""}}};
    return T;
}

constexpr int KindOrder[] = {11, 3, 10, 6, 14, 7, 9, 8, 2, 13, 4, 5, 0, 1};

// The place of a kind in the order list; kinds not in it follow, by code.
std::int64_t KindRank(int Kind)
{
    const auto it = std::find(std::begin(KindOrder), std::end(KindOrder), Kind);
    if (it != std::end(KindOrder))
        return it - std::begin(KindOrder);
    return static_cast<std::int64_t>(std::size(KindOrder)) + (static_cast<std::int64_t>(Kind) - INT32_MIN);
}

std::string MacText(unsigned MAC) { return Format("%06X", MAC); }

} // namespace

std::string TDeviceDesc::Name() const
{
    std::string name(Header.begin() + 16, Header.begin() + 52);
    name.erase(std::find(name.begin(), name.end(), '\0'), name.end());
    return name;
}

void TDeviceDesc::ClearScan()
{
    ModuleCount = 0;
    Modules = {};
    CardPages = {};
}

TSummaryRow SummaryRow(const TDeviceDesc& D)
{
    TSummaryRow r;
    r.Device = D.Name();
    switch (D.DummyModel()) {
    case 0: r.Type = "KX7300"; break;
    case 27: r.Type = "KX730-027"; break;
    case 78: r.Type = "KX730-078"; break;
    case 79: r.Type = "KX730-079"; break;
    default: r.Type = "unknown"; break;
    }
    r.FrameSN = D.IsFrame() ? D.FrameSN : "-";
    r.PowerSN = D.IsFrame() ? D.PowerSN : "-";
    r.Online = D.Online ? "yes" : "no";
    Kvrdata_ns::IPToStr(D.Addr.IP, r.Address);
    r.MacSN = Format("%02X%02X%02X", (D.Addr.MAC >> 16) & 0xFF, (D.Addr.MAC >> 8) & 0xFF, D.Addr.MAC & 0xFF);
    return r;
}

std::string SummaryModuleText(int Kind)
{
    const auto it = ModuleTable().find(Kind);
    return it == ModuleTable().end() ? "unknown" : it->second.first;
}

std::string SummaryModuleShortText(int Kind)
{
    const auto it = ModuleTable().find(Kind);
    return it == ModuleTable().end() ? "#?" : it->second.second;
}

std::string SummaryCardText(int CardType)
{
    static const std::map<int, const char*> T = {{0, "unknown "},     {1, "KX730-111"},    {50, "KX730-122"},
                                                 {51, "KX730-123"},   {70, "KX730-222"},   {72, "KX730-223"},
                                                 {11, "KX730-311"},   {102, "KX730-421S"}, {103, "KX730-422S"},
                                                 {104, "KX730-424"},  {100, "KX730-848L"}, {101, "KX730-848M"},
                                                 {150, "KX730-851"}};
    const auto it = T.find(CardType);
    return it == T.end() ? "unknown" : it->second;
}

bool SortMods(const TScannedModule& A, const TScannedModule& B)
{
    const auto a = KindRank(A.Kind);
    const auto b = KindRank(B.Kind);
    if (a != b)
        return a < b;
    return A.Position < B.Position;
}

void SortModules(TDeviceDesc& D)
{
    const auto n = static_cast<std::ptrdiff_t>(std::clamp<std::int32_t>(D.ModuleCount, 0, SummaryModulesMax));
    std::sort(D.Modules.begin(), D.Modules.begin() + n, SortMods);
}

std::vector<std::string> KX7300ToText(const TDeviceDesc& D)
{
    const auto& h = D.Header;
    std::vector<std::string> l;
    l.push_back("Device " + D.Name());
    l.push_back("  Device type           : KX7300");
    l.push_back("  Device Serial Number  : " + MacText(D.Addr.MAC));
    l.push_back(h[52] == 0 ? "  DSP Frame type        : KX730-061" : "  DSP Frame type        : KX730-063");
    l.push_back("  DSP Frame SN          : " + D.FrameSN);
    l.push_back("    KX730-084 (24V)       : " + std::to_string(h[96] & 0x0F));
    l.push_back("    KX730-083 ( 5V)       : " + std::to_string(h[96] >> 4));
    if (h[97] != 0) {
        l.push_back("  Power supply frame SN : " + D.PowerSN);
        l.push_back("    KX730-084 (24V)       : " + std::to_string(h[97] & 0x0F));
    } else {
        l.push_back("  No extra power supply");
    }
    l.push_back("");
    const auto n = static_cast<std::size_t>(std::clamp<std::int32_t>(D.ModuleCount, 0, SummaryModulesMax));
    for (std::size_t i = 0; i < n; ++i) {
        const TScannedModule& m = D.Modules[i];
        l.push_back("  " + SummaryModuleText(m.Kind) +
                    Format("%s%-2d,     PN %05d, Ver %d.%d.%d.%d", SummaryModuleShortText(m.Kind).c_str(), m.Position + 1,
                           m.Address, m.Version[0], m.Version[1], m.Version[2], m.Version[3]));
        // Only carriers at positions 0-2 have their cards read.
        if (m.Kind != 4 || m.Position < 0 || m.Position >= static_cast<std::int32_t>(SummaryCarriersMax))
            continue;
        for (std::size_t slot = 0; slot < SummarySlots; ++slot) {
            const TScannedCard& c = D.CardPages[static_cast<std::size_t>(m.Position)][slot];
            if (c.SerialNumber == 0)
                continue;
            std::string line = Format("    Slot %02d ", static_cast<int>(slot + 1)) + SummaryCardText(c.CardType);
            if (line.size() < 23)
                line.resize(23, ' ');
            l.push_back(line + Format("SN %05d, Rev %d, FA %d", c.SerialNumber, c.Revision, c.FA));
        }
    }
    return l;
}

std::vector<std::string> PanelToText(const TDeviceDesc& D)
{
    const TScannedModule& m = D.Modules[0];
    return {"Panel " + D.Name(), Format("  Panel type           : KX730-%03d", D.DummyModel()),
            "  Serial Number        : " + MacText(D.Addr.MAC),
            "  " + SummaryModuleText(m.Kind) +
                Format("             PN %05d, Ver %d.%d.%d.%d", m.Address, m.Version[0], m.Version[1], m.Version[2], m.Version[3])};
}

std::vector<std::string> SummaryText(const TSummaryHead& Head, const std::vector<TDeviceDesc>& Devices)
{
    const std::string stars(53, '*');
    std::vector<std::string> l{stars,
                               "Project          : " + Head.Project,
                               "Order Number     : " + Head.Order,
                               "Customer         : " + Head.Customer,
                               "Number of Devices: " + std::to_string(Devices.size()),
                               stars};
    for (const TDeviceDesc& d : Devices) {
        if (!d.Online) {
            l.push_back(d.Name() + " not available");
        } else if (d.IsFrame()) {
            const auto s = KX7300ToText(d);
            l.insert(l.end(), s.begin(), s.end());
        } else if (d.IsPanel()) {
            const auto s = PanelToText(d);
            l.insert(l.end(), s.begin(), s.end());
        } else {
            l.push_back(d.Name() + " to do or unknown..");
        }
        l.push_back("");
    }
    return l;
}

std::string SummaryFileName(const std::string& ProjectName)
{
    std::string name = ProjectName + " SN.txt";
    for (char& c : name)
        if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|' ||
            static_cast<unsigned char>(c) < 0x20)
            c = '_';
    return name;
}

} // namespace kvr::service
