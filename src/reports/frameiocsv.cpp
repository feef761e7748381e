#include "reports/frameiocsv.h"

#include <algorithm>
#include <cstdio>

#include "kvrdata/byteorder.h"
#include "model/atomicfile.h"
#include "model/cardrecords.h"
#include "model/cardtypetable.h"
#include "model/channelname.h"
#include "model/device.h"
#include "model/faderaccess.h"
#include "model/faderchannels.h"
#include "model/logicaccess.h"
#include "model/outputfunctions.h"
#include "model/project.h"
#include "model/slottablecolumns.h"
#include "model/sourcenames.h"
#include "model/summingbuses.h"
#include "reports/channeltexts.h"
#include "reports/srcchoices.h"

namespace kvr::reports {

namespace {

constexpr int kMinSemicolons = 11;
constexpr int kFirstFaderChannel = 1;
constexpr int kLastFaderChannel = 149;

std::string Hex4(int Id, bool Upper)
{
    char text[8];
    std::snprintf(text, sizeof text, Upper ? "%04X" : "%04x", Id & 0xFFFF);
    return text;
}

// The model number of a DSP card's sub-type; empty for sub-types without one.
std::string DSPModel(int SubType)
{
    static constexpr int keys[] = {2, 10, 6, 9, 12};
    return SubType >= 0 && SubType < 5 ? model::GetCardTypeText(keys[SubType], 3) : std::string();
}

template <std::size_t N>
std::string Text(const std::array<char, N>& Label)
{
    return std::string(Label.begin(), std::find(Label.begin(), Label.end(), '\0'));
}

class Export {
public:
    Export(model::TProject& Project, int Device) : P(Project), D(*Project.Device(Device)), Index(Device) {}

    std::vector<std::string> Lines()
    {
        const auto header = D.GetHeader();
        for (int i = 0; i < 5; ++i)
            MuteNames[static_cast<std::size_t>(i)] = model::GetMuteLogicName(D, i);
        Add("Device:; " + D.GetName());
        Add("FaderCount :;" + std::to_string(header[model::dh::FaderCount]));
        Add("");
        Add("DSP frame configuration");
        std::string titles;
        for (std::size_t c = 0; c < 12; ++c)
            titles += std::string(model::SlotTableColumns[c].Caption) + ";";
        Add(titles + ";Route Info");
        for (int s = 0; s < D.GetSlotCount(); ++s)
            SlotRows(s);
        Add(";");
        Add("Bus;Talk Condition 1; Talk Condition 2;Source");
        BusRows(header);
        Add("");
        Add("Internal audio sources");
        Add("");
        Add("Name; ID (hex); ID (dec);");
        Add("PFL L;0x6000; 24576");
        Add("PFL R;0x6001; 24577");
        InternalSources(header);
        Add("End of list");
        Add("");
        Physical("Physical inputs", false);
        Physical("Physical outputs", true);
        Add("Ch-Nr.;Name;Source;Source-Addr;M/S;CF;Monitor L;Monitor R;Pool;Faderstart Level;"
            "On Start;Auto Off;ReadySig;Mute Condition;Fader function;Timer reset;Voice;PGM1 Logic;"
            "Mute functions");
        FaderChannels();
        return std::move(Out);
    }

private:
    void Add(std::string_view Line) { Out.push_back(CSVLine(Line)); }
    std::string Audio(int Id) { return model::GetAudioSourceName(P, Id, Index, false); }
    std::string Logic(int Id) { return model::GetLogicSourceName(P, Id, Index); }

    // The start of channel row i of a slot: number and group, model number, then nothing.
    std::string RowStart(int Slot, int Row, int Type, const std::string& Model)
    {
        if (Row == 0)
            return std::to_string(Slot + 1) + ";" + model::GetCardTypeText(Type, 0) + ";";
        if (Row == 1)
            return ";" + Model + ";";
        return ";;";
    }

    void SlotRows(int Slot)
    {
        const std::vector<std::uint8_t> record = D.GetSetupData(static_cast<std::uint8_t>(Slot));
        model::TCardRecord card;
        model::DecodeCardRecord(record, card);
        const int type = card.CardType;
        // Slot card types by slot number, for the fader channels' source addresses.
        CardTypes[static_cast<std::size_t>(Slot + 1)] = record.empty() ? 0 : type;
        const std::string number = std::to_string(Slot + 1) + ";";
        if (Slot % 10 == 8) {
            Add(number + "Controller");
            return;
        }
        if (record.empty()) {
            Add(number + "None;");
            return;
        }
        if (IsAudioCard(type)) {
            const std::string modelText = model::GetCardTypeText(type, 3);
            for (std::size_t i = 0; i < card.Channels.size(); ++i)
                Add(RowStart(Slot, static_cast<int>(i), type, modelText) + ChannelFields(card.Channels[i], type));
            // The GPIOs the record holds after its channels.
            if (static_cast<int>(card.Channels.size()) == model::CardRecordView(record).ChannelCountByte()) {
                for (std::size_t k = 0; k < card.GPIOs.size(); ++k) {
                    const bool output = k % 2 == 1;
                    const std::string address =
                        model::GetChannelName(model::MakeChannelID(Slot, static_cast<int>(k), output ? 192 : 64), type, false);
                    const std::string label = GPIOLabel(card.GPIOs[k]);
                    Add(output ? ";;;" + address + ";;" + label : ";;" + address + ";;;" + label);
                }
            }
        } else if (type == model::kCardGPIO) {
            const std::string modelText = model::GetCardTypeText(type, 3);
            const model::CardRecordView view(record);
            for (int k = 0; k < view.StoredGPIOs(); ++k) {
                const bool input = k % 4 == 0;
                const std::string address = model::GetChannelName(model::MakeChannelID(Slot, k, input ? 64 : 192), type, false);
                Add(RowStart(Slot, k, type, modelText) + (input ? address + ";;;" : ";" + address + ";;") + view.GPIOLabel(k));
            }
        } else if (type == model::kCardDSP) {
            const int sub = card.DSPVariant();
            const std::string modelText = DSPModel(sub);
            if (sub != 0 && sub != 1) {
                for (std::size_t i = 0; i < card.Channels.size(); ++i) {
                    const model::TChannelEntry& ch = card.Channels[i];
                    const std::string a = "'" + model::GetChannelName(ch.ID, type, false) + "'";
                    const std::string v = std::to_string(ChannelLevel(ch));
                    const std::string rest = std::string(MonoStereoText(ch.ID)) + ";" + ChannelLabelText(ch) + ";";
                    Add(RowStart(Slot, static_cast<int>(i), type, modelText) +
                        (IsOutput(ch.ID) ? ";" + a + ";" + rest + v + " dBFS = 0dBint;"
                                         : a + ";;" + rest + "0dBint = " + v + "dBFS;"));
                }
            }
            Add(std::to_string(Slot + 1) + ";DSP");
            Add(modelText.empty() ? std::string() : ";" + modelText + ";");
        }
    }

    static std::string GPIOLabel(const std::array<std::uint8_t, 16>& Entry)
    {
        return std::string(Entry.begin(), std::find(Entry.begin(), Entry.end(), std::uint8_t{0}));
    }

    std::string ChannelFields(const model::TChannelEntry& Ch, int Type)
    {
        const bool output = IsOutput(Ch.ID);
        const int v = ChannelLevel(Ch);
        const std::string V = std::to_string(v);
        const int flags = Ch.Option;
        std::string level;
        std::string digital = ";";
        if (Type == 111) {
            level = output ? V + " dBFS = 0dBint" : "0dBint = " + V + "dBFS";
            if (output) {
                digital = (flags & 0x80) ? "SP/DIF;" : "AES/EBU;";
                digital += (flags & 0x10) ? "Consumer;" : "Pro;";
                if ((flags & 3) != 0)
                    digital += std::string(WordLengthText(flags)) + ";";
            } else {
                digital = std::string(SRCChoices[(flags & 0x20) ? 1 : 0]) + ";";
                digital += (flags & 0x04) ? "SP/DIF;" : "AES/EBU;";
                digital += ";;";
                digital += (flags & 0x08) ? "Yes;" : "No;";
            }
        } else {
            // Analog cards: +24 dBu on the 223, +18 on the others.
            const std::string dBu = std::to_string(v + (Type == 223 ? 24 : 18));
            level = output ? "0dBint = " + V + "dBFS =" + dBu + "dBu" : dBu + "dBu = " + V + "dBFS = 0dBint";
        }
        const std::string a = "'" + model::GetChannelName(Ch.ID, Type, false) + "'";
        const std::string rest =
            std::string(MonoStereoText(Ch.ID)) + ";" + ChannelLabelText(Ch) + ";" + level + ";" + digital;
        return output ? ";" + a + ";" + rest : a + ";;" + rest;
    }

    void BusRows(const std::array<std::uint8_t, model::TDevice::HeaderSize>& Header)
    {
        const int programs = Header[model::dh::ProgramBusCount];
        const std::vector<std::uint8_t> buses = D.GetData(model::stBus);
        for (std::size_t i = 0; (i + 1) * model::kBusRecordSize <= buses.size(); ++i) {
            const auto record = std::span(buses).subspan(i * model::kBusRecordSize, model::kBusRecordSize);
            const model::TBusRecord bus = model::DecodeBusRecord(record);
            const int n = static_cast<int>(i);
            Add(Text(bus.Label) + ";" + Logic(readBE16(record, 24)) + ";" + Logic(readBE16(record, 26)) + ";" +
                (n < programs ? "Program " + std::to_string(n + 1) : "Aux " + std::to_string(n - programs + 1)));
        }
        for (int c = 0; c < Header[model::dh::CleanFeedCount]; ++c) {
            model::TBusRecord feed;
            if (model::GetCleanFeed(D, c, feed) == 0)
                continue;
            model::TFaderChannel channel;
            const std::string source =
                model::GetFaderChannel(D, feed.FaderChannel, channel) != 0 ? Audio(channel.Source) : Audio(0);
            Add(Text(feed.Label) + ";" + Logic(feed.Logic1) + ";" + Logic(feed.Logic2) + ";" + source + ";");
        }
    }

    // A source row; a name of "None" is left out unless the row is always written.
    void SourceRow(int Id, bool Always = false)
    {
        const std::string name = Audio(Id);
        if (name == "None" && !Always)
            return;
        Add(name + ";0x" + Hex4(Id, true) + ";" + std::to_string(Id));
    }
    // A pair's rows: the ID (with the stereo bit when stereo) and, when stereo, the right one.
    void PairRows(int Id, bool Stereo)
    {
        const int id = Id + (Stereo ? 0x2000 : 0);
        SourceRow(id);
        if (Stereo)
            SourceRow(id + 1);
    }

    void InternalSources(const std::array<std::uint8_t, model::TDevice::HeaderSize>& Header)
    {
        const int programs = Header[model::dh::ProgramBusCount];
        const int auxes = Header[model::dh::AuxBusCount];
        for (int n = 0; n < programs + auxes; ++n) {
            model::TBusRecord bus;
            const bool stereo = model::GetBus(D, n, bus) != 0 && bus.IsStereo();
            PairRows(n < programs ? 0x4002 + 2 * n : 0x4080 + 2 * (n - programs), stereo);
        }
        for (int id = 0x6200; id <= 0x620B; ++id)
            SourceRow(id);
        for (int id = 0x6280; id <= 0x628B; ++id)
            SourceRow(id);
        SourceRow(0x62C0, true);
        SourceRow(0x62C1, true);
        for (int id = 0x4300; id <= 0x43FE; ++id)
            SourceRow(id);
        for (int c = 0; c < Header[model::dh::CleanFeedCount]; ++c) {
            model::TBusRecord feed;
            const bool stereo = model::GetCleanFeed(D, c, feed) != 0 && feed.IsStereo();
            PairRows(0x4400 + 2 * c, stereo);
        }
        for (int p = 0; p < Header[model::dh::FixedProcCount]; ++p) {
            model::TFixedProcessing processing;
            const bool stereo = model::GetFixedProcessing(D, p, processing) != 0 && processing.IsStereo();
            PairRows(0x4800 + 2 * p, stereo);
        }
        for (int j = 0; j < 2 * Header[model::dh::FaderCount]; ++j) {
            const int id = 0x6A00 + j;
            Add("PreFader" + std::to_string(j / 2 + 1) + (j % 2 == 0 ? " L;" : " R;") + "0x" + Hex4(id, true) + ";" +
                std::to_string(id));
        }
    }

    void Physical(const char* Title, bool Outputs)
    {
        Add(Title);
        Add("");
        Add("Name; ID (hex); ID (dec);");
        for (int s = 0; s < D.GetSlotCount(); ++s) {
            if (s % 10 == 8)
                continue;
            model::TCardRecord card;
            if (!model::DecodeCardRecord(D.GetSetupData(static_cast<std::uint8_t>(s)), card) ||
                !(IsAudioCard(card.CardType) || card.IsDSP()))
                continue;
            for (const model::TChannelEntry& ch : card.Channels) {
                if (IsOutput(ch.ID) != Outputs)
                    continue;
                char text[64];
                std::snprintf(text, sizeof text, "%-16s;0x%04x;%d", ChannelLabelText(ch).c_str(), ch.ID, ch.ID);
                Add(text);
            }
        }
        Add("End of list");
        Add("");
    }

    void FaderChannels()
    {
        for (int n = kFirstFaderChannel; n <= kLastFaderChannel; ++n) {
            model::TFaderChannel ch;
            if (model::GetFaderChannel(D, n, ch) == 0)
                continue;
            const bool stereo = (ch.PoolFlags & 0x20) != 0;
            std::string source = "'" + Audio(ch.Source);
            if (stereo)
                source += " + " + Audio(ch.Source + 1);
            source += "'";
            std::string address = "'None'";
            if (ch.Source & 0x4000) {
                char text[16];
                std::snprintf(text, sizeof text, "0x%4X", ch.Source);
                address = "'" + std::string(text) + "'";
            } else if (ch.Source != 0) {
                const int slotNumber = (ch.Source >> 8) & 0x1F;
                address = "'" + model::GetChannelName(ch.Source, CardTypes[static_cast<std::size_t>(slotNumber)], false) + "'";
            }
            std::string pool;
            if ((ch.PoolFlags & 0x0F) != 0)
                model::GetPoolName(D, (ch.PoolFlags & 0x0F) - 1, pool);
            const std::string level =
                ch.FaderStartLevel != 0 ? "'" + std::to_string(ch.FaderStartLevel * 10 - 70) + " dB" : "'-oo dB";
            std::string mutes;
            for (int i = 0; i < 5; ++i) {
                if ((ch.OutputMute & (1u << i)) == 0)
                    continue;
                if (!mutes.empty())
                    mutes += ", ";
                mutes += MuteNames[static_cast<std::size_t>(i)];
            }
            const std::vector<std::string> fields{
                std::to_string(ch.Number),
                "'" + model::GetFaderChannelName(D, n) + "'",
                source,
                address,
                stereo ? "Stereo" : "Mono",
                (ch.PoolFlags & 0x10) ? "Clean Feed" : "",
                "'" + Audio(ch.MonitorL) + "'",
                "'" + Audio(ch.MonitorR) + "'",
                pool,
                level,
                (ch.PoolFlags & 0x40) ? "On Start" : "",
                (ch.PoolFlags & 0x80) ? "Auto Off" : "",
                "'" + Logic(ch.ReadySignal) + "'",
                "'" + Logic(ch.MuteCondition) + "'",
                "'" + Logic(ch.LampSource) + "'",
                (ch.Options & 0x01) ? "Timer Reset" : "",
                (ch.Options & 0x02) ? "Voice" : "",
                (ch.Options & 0x04) ? "PGM1 Logic" : "",
                mutes,
            };
            std::string line;
            for (std::size_t f = 0; f < fields.size(); ++f)
                line += fields[f] + (f + 1 < fields.size() ? ";" : "");
            Add(line);
        }
    }

    model::TProject& P;
    model::TDevice& D;
    int Index;
    std::array<std::string, 5> MuteNames;
    std::array<int, 32> CardTypes{};
    std::vector<std::string> Out;
};

bool Blank(char C) { return static_cast<unsigned char>(C) <= ' '; }

} // namespace

int CountSemicolons(std::string_view Text) { return static_cast<int>(std::count(Text.begin(), Text.end(), ';')); }

std::string CSVLine(std::string_view Text)
{
    while (!Text.empty() && Blank(Text.front()))
        Text.remove_prefix(1);
    while (!Text.empty() && Blank(Text.back()))
        Text.remove_suffix(1);
    std::string line(Text);
    for (int n = CountSemicolons(line); n < kMinSemicolons; ++n)
        line += ';';
    return line;
}

std::vector<std::string> FrameIOCSVLines(model::TProject& Project, int Device)
{
    if (Project.Device(Device) == nullptr)
        return {};
    return Export(Project, Device).Lines();
}

bool WriteFrameIOCSV(model::TProject& Project, int Device, const std::string& FileName)
{
    std::string text;
    for (const std::string& line : FrameIOCSVLines(Project, Device))
        text += line + "\n";
    model::AtomicFileWriter file(FileName);
    return file.Open() &&
           file.Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())) && file.Commit();
}

} // namespace kvr::reports
