#include "service/moduleinfo/moduletexts.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>

#include "kvrdata/byteorder.h"
#include "service/maintenance/mtntypes.h"

namespace kvr::service {

namespace {

std::string Format(const char* Fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* Fmt, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, Fmt);
    std::vsnprintf(buffer, sizeof buffer, Fmt, args);
    va_end(args);
    return buffer;
}

std::string PadTo10(std::string Text)
{
    Text.resize((Text.size() + 9) / 10 * 10, ' ');
    return Text;
}

std::string WithoutLineFeed(std::string Text)
{
    if (!Text.empty() && Text.back() == '\n')
        Text.pop_back();
    return Text;
}

struct TKindRow {
    std::uint32_t Kind;
    const char* Line;
};
const TKindRow KindTable[] = {
    {0, "Module : none      "},       {2, "Module : KX730-020 "},         {4, "Module : KX730-010 "},
    {8, "Module : KX730-851 "},       {16, "Module : Monitor   "},        {32, "Module : KX730-012 "},
    {64, "Module : KX730-013 "},      {128, "Module : KX730-026 "},       {256, "Module : KX730-025 "},
    {512, "Module : KX730-011 "},     {1024, "Module : KX730-850 "},      {2048, "Module : Router    "},
    {4096, "Module : KX730-029 "},    {8192, "Module : KX730-014 "},      {0x20000000, "Module : KX730-079 "},
    {0x40000000, "Module : KX730-027 "}, {0x80000000, "Module : KX730-078 "},
};

const char* const TaskStates[] = {"Running   ", "Ready     ", "Delaying  ", "MailBox   ", "Semaphore ",
                                  "Queue     ", "Fifo      ", "Critical  ", "MailBoxHo ", "Illegal   "};

constexpr std::size_t TaskRecords = 114;
constexpr std::size_t TaskRecordSize = 27;
constexpr std::size_t TasksMax = 64;

std::int16_t S16(std::span<const std::uint8_t> P, std::size_t At)
{
    return static_cast<std::int16_t>(kvr::readBE16(P, At));
}

double Corr(std::span<const std::uint8_t> P, std::size_t At)
{
    return static_cast<std::int8_t>(P[At]) / 100.0;
}

} // namespace

const std::array<TCardTypeRow, 13> CardTypeTable{{
    {0, 0x00, "unknown    "},
    {1, 0x01, "KX730-111  "},
    {2, 0x32, "KX730-122  "},
    {3, 0x33, "KX730-123  "},
    {4, 0x46, "KX730-222  "},
    {5, 0x66, "KX730-421S "},
    {6, 0x67, "KX730-422S "},
    {7, 0x68, "KX730-424  "},
    {8, 0x64, "KX730-848L "},
    {9, 0x65, "KX730-848M "},
    {10, 0x96, "KX730-851  "},
    {11, 0x0B, "KX730-311  "},
    {12, 0x48, "KX730-223  "},
}};

const TCardTypeRow* FindCardCode(std::uint8_t Code)
{
    for (const TCardTypeRow& row : CardTypeTable)
        if (row.Code == Code)
            return row.Index >= 1 ? &row : nullptr;
    return nullptr;
}

const TCardTypeRow* FindCardIndex(int Index)
{
    return Index >= 1 && Index <= 12 ? &CardTypeTable[static_cast<std::size_t>(Index)] : nullptr;
}

std::string TimeText(std::int64_t Seconds)
{
    const std::time_t t = static_cast<std::time_t>(Seconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buffer[64];
    std::strftime(buffer, sizeof buffer, "%a %b %e %H:%M:%S %Y\n", &tm);
    return buffer;
}

std::vector<std::string> StatusPageText(std::span<const std::uint8_t> P, std::uint16_t ModuleNumber)
{
    std::vector<std::string> lines;
    if (P.size() < TaskRecords)
        return {"Module information was not read correctly!"};
    const std::uint32_t kind = kvr::readBE32(P, 6);
    if (kind == 0)
        return {"Module information was not read correctly!"};
    const char* kindLine = "Module : unknown   ";
    for (const TKindRow& row : KindTable)
        if (row.Kind == kind)
            kindLine = row.Line;
    lines.push_back(std::string(kindLine) + "     PN: " + std::to_string(ModuleNumber));
    lines.push_back(" ");

    std::string fw = PadTo10(Format("Firmware Version: %2i.%02i.%02i.%02i", P[2], P[3], P[4], P[5]));
    if (const std::uint32_t date = kvr::readBE32(P, 10))
        fw += "       Date: " + WithoutLineFeed(TimeText(date));
    lines.push_back(fw);
    std::string cfg = PadTo10(Format("Config Version:   %2i.%02i", P[36], P[37]));
    if (const std::uint32_t date = kvr::readBE32(P, 14))
        cfg += "Config Date: " + WithoutLineFeed(TimeText(date));
    lines.push_back(cfg);
    lines.push_back(Format("Hour Meter: %8i", kvr::readBE16(P, 28)));

    const bool ramKinds = kind == 0x400 || kind == 0x40000000 || kind == 0x80000000;
    if (kind != 8 && !ramKinds)
        lines.push_back(Format("V24:        %11.2fV", kvr::readBE16(P, 30) / 1000.0));
    std::string temp = Format("Temp:       %11.2f\xB0"
                              "C",
                              S16(P, 20) / 100.0);
    if (ramKinds)
        temp += Format("     VRamPON:  %5.2fV   VRam:  %5.2fV", kvr::readBE16(P, 80) / 1000.0, kvr::readBE16(P, 82) / 1000.0);
    lines.push_back(temp);

    if (kind == 0x40000000 || kind == 0x80000000) {
        lines.push_back(Format("SerTxOvr: %3X SerRxOvr: %3X", P[32], P[33]));
    } else {
        const std::uint32_t version = kvr::readBE32(P, 2);
        const unsigned eth = version < 0x05030200 ? 0xFF : version < 0x05140900 ? P[41] : P[38];
        lines.push_back(Format("SerTxOvr: %3X SerRxOvr: %3X CANRxOvr: %3X CANTxOvr: %3X EthRxOvr: %3x", P[32], P[33], P[34],
                               P[35], eth));
    }

    static const char* const Causes[] = {"Reset: External Reset ", "Reset: Watchdog Reset ", "Reset: System Reset   "};
    const std::uint32_t s = kvr::readBE32(P, 24);
    lines.push_back(std::string(P[22] < 3 ? Causes[P[22]] : "Reset: undefined      ") +
                    Format("%3i days %02i hours %02i minutes %02i seconds ago", static_cast<int>(s / 86400),
                           static_cast<int>(s / 3600 % 24), static_cast<int>(s / 60 % 60), static_cast<int>(s % 60)));
    if (kind == 8)
        lines.push_back(Format("SysFreq: %6dHz Sync1: %6dHz Sync2: %6dHz AudioLink: %3d DSPOK: %3x",
                               static_cast<int>(kvr::readBE32(P, 64)), static_cast<int>(kvr::readBE32(P, 68)),
                               static_cast<int>(kvr::readBE32(P, 72)), P[76], P[77]));
    if (kind == 0x400)
        lines.push_back(Format("MAC address: %02X%02X%02X", P[88], P[89], P[90]));

    lines.push_back(" ");
    lines.push_back("Taskname        Prio State         R.Del  FStack  MStack  Scheds   Ct%");
    for (std::size_t t = 0; t < TasksMax; ++t) {
        const std::size_t at = TaskRecords + t * TaskRecordSize;
        if (at + TaskRecordSize > P.size() || P[at] == 0xFF)
            break;
        std::string name;
        for (std::size_t i = 0; i < 15 && P[at + i] != 0; ++i)
            name += static_cast<char>(P[at + i]);
        const std::uint8_t state = P[at + 16];
        // States the table does not name print their number.
        const std::string stateText = state < std::size(TaskStates) ? TaskStates[state] : Format("State %-4u", state);
        lines.push_back(Format("%15s %4d %-12s %6d %7d %7d %7d %5.1f", name.c_str(), P[at + 15], stateText.c_str(),
                               kvr::readBE16(P, at + 17), kvr::readBE16(P, at + 19), kvr::readBE16(P, at + 21),
                               kvr::readBE16(P, at + 23), kvr::readBE16(P, at + 25) / 10.0));
    }
    return lines;
}

std::vector<std::string> CardPageText(std::span<const std::uint8_t> P, int Slot, std::int64_t Now)
{
    std::vector<std::string> lines;
    if (P.size() < CardPageSize)
        return lines;
    const std::uint8_t code = P[0];
    if (const TCardTypeRow* row = FindCardCode(code)) {
        lines.push_back("Slot " + std::to_string(Slot));
        lines.push_back(std::string("Cardtype:      ") + row->Name);
        lines.push_back("SN:            " + std::to_string(kvr::readBE32(P, 4)));
        lines.push_back("Hardware rev.: " + std::to_string(P[1]));
    }
    lines.push_back(Format("FA-Number:     %d", kvr::readBE16(P, 2)));
    const std::uint32_t date = kvr::readBE32(P, 8);
    std::string when = TimeText(date == 0xFFFFFFFFu ? Now : date);
    when.back() = ' ';
    lines.push_back("Date:          " + when);
    lines.push_back(Format("Hour Meter:    %d", kvr::readBE16(P, 20)));
    // The free text: from its offset (128 at most) to the page end or a NUL; only lines ended by a
    // line feed are shown.
    std::string text;
    for (std::size_t i = std::min<std::size_t>(P[22], CardPageSize); i < CardPageSize && P[i] != 0; ++i) {
        if (P[i] == '\n') {
            lines.push_back(text);
            text.clear();
        } else {
            text += static_cast<char>(P[i]);
        }
    }
    lines.push_back(" ");
    if (Slot < 1 || Slot > 8)
        return lines;

    auto block = [&](const char* Head, std::size_t From) {
        lines.push_back(Head);
        for (int k = 0; k < 4; ++k)
            lines.push_back(Format("%2i   %5.2f", k, Corr(P, From + static_cast<std::size_t>(k))));
    };
    switch (code) {
    case 0x32:
        block("AD  pos.corr (dB)", 23);
        lines.push_back(" ");
        block("DA  neg.corr (dB)", 27);
        lines.push_back(" ");
        lines.push_back("MIC     5     10     15     20     25     30     35     40     45     50");
        for (int k = 0; k < 4; ++k) {
            std::string row = Format("%2i ", k);
            for (int c = 0; c < 10; ++c)
                row += Format("%7.2f", Corr(P, 31 + 10 * static_cast<std::size_t>(k) + static_cast<std::size_t>(c)));
            lines.push_back(row);
        }
        break;
    case 0x46:
        block("AD  pos.corr (dB)", 23);
        lines.push_back(" ");
        block("DA  neg.corr (dB)", 27);
        lines.push_back(" ");
        break;
    case 0x47:
        block("AD  pos.corr (dB)", 23);
        break;
    case 0x48:
        for (const auto& [head, base] : {std::pair{"AD    15dB     18dB     21dB     24dB", 23}, std::pair{"DA    15dB     18dB     21dB     24dB", 27}}) {
            lines.push_back(head);
            for (int k = 0; k < 4; ++k) {
                const auto at = static_cast<std::size_t>(base + k);
                lines.push_back(Format("%2i   %5.2f    %5.2f    %5.2f    %5.2f", k, Corr(P, at), Corr(P, at + 8), Corr(P, at + 16),
                                       Corr(P, at + 24)));
            }
            lines.push_back(" ");
        }
        break;
    default:
        lines.push_back("No additional information available");
        break;
    }
    return lines;
}

TCardHeader DecodeCardHeader(std::span<const std::uint8_t> D)
{
    TCardHeader h;
    if (D.size() < 8)
        return h;
    h.TypeCode = D[0];
    h.Revision = D[1];
    h.Serial = kvr::readBE32(D, 4);
    return h;
}

std::string ModuleSerialLine(std::span<const std::uint8_t> A, std::uint16_t ModuleNumber)
{
    const TModuleTypeRow* row = A.size() >= 8 ? FindModuleType(A[0]) : nullptr;
    if (!row)
        return "unknown module";
    if (A[0] == 31)
        return Format("%s %s    PN: %5i", row->Name, row->Suffix, ModuleNumber);
    return Format("%s %s%-2i   PN: %5i    Firmware version: %i.%i.%i.%i", row->Name, row->Suffix, A[1] + 1, ModuleNumber, A[4],
                  A[5], A[6], A[7]);
}

std::string CarrierSlotLine(std::uint16_t ModuleNumber, std::uint8_t Revision)
{
    return Format("\t\tSlot %2i   Type %s   PN %5i    Rev %d", 9, "KX730-851  ", ModuleNumber, Revision);
}

std::string CardSlotLine(int SlotIndex, const TCardHeader& Card)
{
    const TCardTypeRow* row = FindCardCode(Card.TypeCode);
    return row ? Format("\t\tSlot %2i   Type %s   SN %5i    Rev %d", SlotIndex + 1, row->Name, static_cast<int>(Card.Serial),
                        Card.Revision)
               : std::string();
}

} // namespace kvr::service
