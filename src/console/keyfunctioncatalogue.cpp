#include "console/keyfunctioncatalogue.h"

#include "console/moduletypes.h"

#include <memory>
#include <string>
#include <vector>

namespace kvr::console {

namespace {

// A row and the controls it shows, written the way the tables list them.
struct Row {
    TKeyFunctionDef d;
    Row(int id, std::string_view caption, int value, int sub = kNoSubList)
    {
        d.Identifier = static_cast<std::uint16_t>(id);
        d.Caption = caption;
        d.Value = static_cast<std::uint8_t>(value);
        d.SubList = static_cast<std::uint8_t>(sub);
    }
    Row& Opt(int n, std::string_view caption)
    {
        d.Options[static_cast<std::size_t>(n - 1)] = caption;
        return *this;
    }
    Row& Spin(std::string_view caption, int min, int max)
    {
        d.SpinCaption = caption;
        d.SpinMin = static_cast<std::uint16_t>(min);
        d.SpinMax = static_cast<std::uint16_t>(max);
        return *this;
    }
    Row& Sources()
    {
        d.LeftSource = d.RightSource = true;
        return *this;
    }
    Row& Lamps()
    {
        d.LampSources = true;
        return *this;
    }
    Row& Pair(int pair)
    {
        d.ExclusivePair = static_cast<std::uint8_t>(pair);
        return *this;
    }
    Row& Extra(ExtraEditor editor)
    {
        d.Extra = editor;
        return *this;
    }
    Row& ToggleOptions()
    {
        return Opt(1, "Toggle").Opt(2, "Timed Toggle").Pair(1);
    }
};

Row End()
{
    return Row(0xFFFF, {}, kEndRowValue);
}

// Captions built at run time ("AUX1 Gain" ...) need storage that lives as long as the tables.
std::string_view Keep(std::string text)
{
    static std::vector<std::unique_ptr<std::string>> texts;
    texts.push_back(std::make_unique<std::string>(std::move(text)));
    return *texts.back();
}

void AddDspRows(std::vector<Row>& rows, int& id, bool onOff)
{
    // The DSP functions of the system and ON/OFF lists: (caption, system value, on/off value).
    struct Dsp {
        std::string_view system;
        std::string_view onoff;
        int systemValue;
        int onoffValue;
        int devices;
    };
    static constexpr Dsp dsp[] = {
        {"Limiter", "Limiter", 12, 22, 1},     {"Compressor", "Compressor", 14, 24, 1}, {"Expander", "Expander", 16, 26, 1},
        {"EQ", "EQ", 10, 20, 4},               {"AGC", "AGC", 19, 29, 1},               {"Sub Sonic", "SubSonic", 11, 21, 1},
        {"Deesser", "Deesser", 17, 27, 1},     {"Deesser2", "Deesser 2", 18, 28, 1},     {"Noise Gate", "Noise Gate", 13, 23, 1},
        {"Var. LP/HP", "Var. LP/HP", 21, 31, 2}, {"Delay", "Delay", 22, 32, 1},
    };
    for (const Dsp& row : dsp) {
        if (onOff)
            rows.push_back(Row(id++, row.onoff, row.onoffValue));
        else
            rows.push_back(Row(id++, row.system, row.systemValue).Spin("DSP Device Number", 1, row.devices));
    }
}

// The encoder functions; the fader list adds "Do Not Change" and the Qual rows and has no
// "AUX Select".
void AddEncoderRows(std::vector<Row>& rows, int id, bool fader)
{
    const auto add = [&](std::string_view caption, int value) {
        rows.push_back(Row(id++, caption, value).Spin("Encoder", 1, 5));
    };
    if (fader)
        add("Do Not Change", 254);
    add("None", 0);
    add("Gain", 1);
    add("Pan/Bal", 2);
    for (int n = 1; n <= 4; ++n)
        add(Keep("EQ" + std::to_string(n) + " Gain"), 2 + n);
    for (int n = 1; n <= 4; ++n)
        add(Keep("EQ" + std::to_string(n) + " Freq"), 12 + n);
    if (fader) {
        for (int n = 1; n <= 4; ++n)
            add(Keep("EQ" + std::to_string(n) + " Qual"), 45 + n);
    }
    add("Sub Sonic Freq", 17);
    add("Var. LP/HP 1", 18);
    add("Var. LP/HP 2", 62);
    add("CF In", 7);
    add("CF Out", 8);
    add("Input Select", 9);
    add("Output Select", 10);
    add("Timer", 11);
    add("Delay", 19);
    if (!fader)
        add("AUX Select", 12);
    for (int n = 1; n <= 16; ++n)
        add(Keep("AUX" + std::to_string(n) + " Gain"), 19 + n);
    for (int n = 17; n <= 32; ++n)
        add(Keep("AUX" + std::to_string(n) + " Gain"), 29 + n);
    add("Stereo Width Control", 36);
    add("Stereo Direction Control", 37);
    for (int n = 1; n <= 4; ++n)
        add(Keep("EQ" + std::to_string(n) + " Gain/Freq"), 37 + n);
    for (int n = 1; n <= 4; ++n)
        add(Keep("EQ" + std::to_string(n) + " Gain/Freq/Qual"), 41 + n);
    rows.push_back(End());
}

void AddOnOffRows(std::vector<Row>& rows, bool fader)
{
    int id = 170;
    for (const auto& [caption, value] : {std::pair<std::string_view, int>{"Phantom Power", 0}, {"Phase", 1}, {"LL", 5},
                                         {"RR", 6}, {"RL", 7}, {"Mono", 8}, {"Mono-3dB", 9}, {"Mono-6dB", 10}})
        rows.push_back(Row(id++, caption, value));
    rows.push_back(Row(id++, "Program Bus", 15).Spin("Program Bus", 1, 47));
    rows.push_back(Row(id++, fader ? "AUX" : "AUX Bus", 16).Spin("AUX Bus", 1, 47));
    AddDspRows(rows, id, true);
    rows.push_back(Row(id++, "CF N-Mix", 33));
    if (!fader) {
        rows.push_back(Row(id++, "Off Air", 34));
        rows.push_back(Row(id++, "Output Select", 35));
    }
    rows.push_back(Row(id++, "Insert", 36).Extra(eeInsertSelection));
    rows.push_back(Row(id++, "Display Channel Timer", 37));
    rows.push_back(End());
}

std::vector<TKeyFunctionDef> Flatten(const std::vector<Row>& rows)
{
    std::vector<TKeyFunctionDef> defs;
    for (const Row& r : rows)
        defs.push_back(r.d);
    return defs;
}

std::vector<TKeyFunctionDef> BuildConsole()
{
    std::vector<Row> r;
    r.push_back(Row(0, "no function", 0));
    r.push_back(Row(1, "System Function", 3, 32));
    r.push_back(Row(2, "Monitor Bus", 1).Opt(1, "Global Pool").Spin("Monitor Bus", 0, 6).Sources().Extra(eeAudioSourceFilter));
    r.push_back(Row(3, "Monitor Bus Shift", 2).Spin("Monitor Bus", 1, 6).Opt(1, "Use \"Monitor Bus Shift Color\" on \"Monitor bus\""));
    r.push_back(Row(4, "Potentiometer", 6));
    r.push_back(Row(5, "Rotary Monitor Select", 10).Spin("Selector Number", 0, 30).Extra(eeAudioSourceFilter));
    r.push_back(Row(6, "User Defined", 4).Opt(1, "Toggle").Opt(2, "Timed Toogle").Pair(1).Lamps());
    r.push_back(Row(7, "Load/Save Functions", 5, 60));
    r.push_back(Row(8, "Encoder Function", 7, 100));
    r.push_back(Row(10, "ON/OFF Function", 8, 170));
    r.push_back(Row(11, "Timer Function", 9, 200));
    r.push_back(Row(12, "Routing", 11, 210));
    r.push_back(Row(13, "MIDI", 12).Spin("MIDI Key", 1, 40));
    r.push_back(Row(14, "Talkback System", 13).Extra(eeTalkback));
    r.push_back(Row(15, "Resource Request", 14).Spin("Reserve for", 0, 0).Extra(eeResourceDestination));
    r.push_back(Row(16, "Fader Key Function", 15, 220));
    r.push_back(End());

    int id = 32;
    r.push_back(Row(id++, "Gain", 0));
    r.push_back(Row(id++, "Pan/Bal", 1));
    r.push_back(Row(id++, "Input Selection", 2).Opt(1, "Disabled when Fader On"));
    r.push_back(Row(id++, "Output Selection", 9));
    r.push_back(Row(id++, "Select Function", 3));
    r.push_back(Row(id++, "OK", 4));
    r.push_back(Row(id++, "Cancel", 32));
    r.push_back(Row(id++, "CF In", 5));
    r.push_back(Row(id++, "CF Out", 6));
    r.push_back(Row(id++, "Program", 7).Spin("Program Bus", 1, 47));
    r.push_back(Row(id++, "AUX", 8).Spin("AUX Bus", 1, 47));
    AddDspRows(r, id, false);
    r.push_back(Row(id++, "Stereo Width Control", 23));
    r.push_back(End());

    r.push_back(Row(60, "Load Channel Setup", 0));
    r.push_back(Row(61, "Save Channel Setup", 1));
    r.push_back(Row(62, "Load Channel Setup to ...", 5).Spin("Fader Number", 1, 40));
    r.push_back(Row(70, "Load Mixer Setup", 10));
    r.push_back(Row(71, "Save Mixer Setup", 11));
    r.push_back(Row(72, "Load Mixer Setup ...", 12).Spin("Setup Number", 0, 6));
    r.push_back(Row(73, "Load from Chipcard", 20));
    r.push_back(Row(74, "Save to Chipcard", 21));
    r.push_back(End());

    AddEncoderRows(r, 100, false);
    AddOnOffRows(r, false);

    id = 200;
    for (const auto& [caption, value] : {std::pair<std::string_view, int>{"Timer Start", 0}, {"Timer Stop", 1},
                                         {"Timer Reset", 2}, {"Timer Set", 3}, {"Timer Fader", 4}})
        r.push_back(Row(id++, caption, value).Spin("Timer", 1, 12));
    r.push_back(End());

    r.push_back(Row(210, "Input", 0).Sources());
    r.push_back(Row(211, "Output", 1).Opt(1, "Use Take").Spin("Routing number", 1, 768));
    r.push_back(Row(212, "Take", 2));
    r.push_back(End());

    id = 220;
    r.push_back(Row(id++, "Program Bus ON/OFF", 7).Opt(2, "Disabled when Fader= ON").Spin("Program Bus", 1, 47));
    r.push_back(Row(id++, "Off Air", 8));
    r.push_back(Row(id++, "Cut CF", 24));
    r.push_back(Row(id++, "Talk CF", 13).ToggleOptions());
    r.push_back(Row(id++, "Output Select CF", 14));
    r.push_back(Row(id++, "Preparation CF", 15).Opt(1, "ON- Preparation Reset"));
    r.push_back(Row(id++, "Fader Function", 18).ToggleOptions());
    r.push_back(Row(id++, "Fader Function 2", 27).ToggleOptions());
    r.push_back(Row(id++, "Fader Function Fader", 28).ToggleOptions());
    r.push_back(Row(id++, "Bypass Input Proc", 19));
    r.push_back(Row(id++, "Group Logic", 25).Spin("Group", 1, 4));
    r.push_back(Row(id++, "VCA Fader", 30).Spin("VCA", 1, 8));
    r.push_back(Row(id++, "Direct Input Select", 31));
    r.push_back(End());
    return Flatten(r);
}

std::vector<TKeyFunctionDef> BuildFader()
{
    std::vector<Row> r;
    r.push_back(Row(0, "no function", 0));
    r.push_back(Row(1, "Input Selection", 1).Opt(2, "Disabled when Fader= ON"));
    r.push_back(Row(2, "Access Gain", 2));
    r.push_back(Row(3, "Access Input Select", 16));
    r.push_back(Row(4, "Access PAN/BAL", 9));
    r.push_back(Row(5, "Channel ON", 3));
    r.push_back(Row(6, "Channel OFF", 4).Opt(1, "PFL").Opt(2, "Mix").Opt(3, "PFL Reset"));
    r.push_back(Row(7, "Channel ON/OFF", 5));
    r.push_back(Row(8, "Program Bus ON/OFF", 7).Opt(2, "Disabled when Fader= ON").Spin("Program Bus", 1, 47));
    r.push_back(Row(9, "Off Air", 8));
    r.push_back(Row(10, "PFL", 10)
                    .Opt(1, "Mix")
                    .Opt(2, "PFL Reset")
                    .Opt(3, "PFL Reset Channel")
                    .Opt(4, "Momentary")
                    .Opt(5, "Timed Toggle")
                    .Pair(2));
    r.push_back(Row(11, "Solo", 22).Opt(1, "Mix").Opt(2, "Momentary").Spin("Program Bus", 1, 47));
    r.push_back(Row(12, "Solo Inplace", 32).Opt(2, "Momentary"));
    r.push_back(Row(13, "Monitor Bus Control", 6).Spin("Monitor Bus", 0, 6));
    r.push_back(Row(14, "Tally", 11));
    r.push_back(Row(15, "Memo", 12));
    r.push_back(Row(16, "Talk CF", 13).ToggleOptions());
    r.push_back(Row(17, "Output Select CF", 14));
    r.push_back(Row(18, "Preparation CF", 15).Opt(1, "ON- Preparation Reset"));
    r.push_back(Row(19, "Fader Function", 18).ToggleOptions());
    r.push_back(Row(20, "Fader Function 2", 27).ToggleOptions());
    r.push_back(Row(21, "Fader Function Fader", 28).ToggleOptions());
    r.push_back(Row(22, "Bypass Input Proc", 19));
    r.push_back(Row(23, "ON/OFF Function", 20, 170));
    r.push_back(Row(24, "Channel Start", 21));
    r.push_back(Row(25, "Encoder Function", 23, 100));
    r.push_back(Row(25, "Encoder Function Set", 29).Extra(eeEncoderSet));
    r.push_back(Row(26, "Cut CF", 24));
    r.push_back(Row(27, "Group Logic", 25).Spin("Group", 1, 4));
    r.push_back(Row(28, "VCA Fader", 30).Spin("VCA", 1, 8));
    r.push_back(Row(29, "Resource", 26));
    r.push_back(Row(30, "Direct Input Select", 31));
    r.push_back(End());
    AddEncoderRows(r, 99, true);
    AddOnOffRows(r, true);
    return Flatten(r);
}

std::span<const TKeyFunctionDef> UpToEnd(std::span<const TKeyFunctionDef> rows)
{
    std::size_t n = 0;
    while (n < rows.size() && rows[n].Value != kEndRowValue)
        ++n;
    return rows.first(n);
}

} // namespace

std::span<const TKeyFunctionDef> ConsoleKeyFunctions()
{
    static const std::vector<TKeyFunctionDef> rows = BuildConsole();
    return rows;
}

std::span<const TKeyFunctionDef> FaderKeyFunctions()
{
    static const std::vector<TKeyFunctionDef> rows = BuildFader();
    return rows;
}

std::span<const TKeyFunctionDef> KeyFunctionsOf(int moduleType)
{
    return IsFaderFamilyType(moduleType) ? FaderKeyFunctions() : ConsoleKeyFunctions();
}

std::span<const TKeyFunctionDef> FunctionList(std::span<const TKeyFunctionDef> catalogue)
{
    return UpToEnd(catalogue);
}

std::span<const TKeyFunctionDef> SubFunctionList(std::span<const TKeyFunctionDef> catalogue, const TKeyFunctionDef& row)
{
    if (row.SubList == kNoSubList)
        return {};
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        if (catalogue[i].Identifier == row.SubList && !catalogue[i].IsEndRow())
            return UpToEnd(catalogue.subspan(i));
    }
    return {};
}

int FunctionItem(std::span<const TKeyFunctionDef> catalogue, std::uint8_t value)
{
    const auto list = FunctionList(catalogue);
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].Value == value)
            return static_cast<int>(i);
    }
    return 0;
}

int SubFunctionItem(std::span<const TKeyFunctionDef> subList, std::uint8_t value)
{
    for (std::size_t i = 0; i < subList.size(); ++i) {
        if (subList[i].Value == value)
            return static_cast<int>(i);
    }
    return 0;
}

std::span<const TKeyFunctionDef> EncoderFunctionList()
{
    static const std::vector<TKeyFunctionDef> rows = [] {
        std::vector<TKeyFunctionDef> list;
        for (const TKeyFunctionDef& row : FaderKeyFunctions()) {
            if (row.Identifier >= 100 && row.Identifier <= 169 && row.Value != kEndRowValue)
                list.push_back(row);
        }
        return list;
    }();
    return rows;
}

int EncoderItem(std::uint8_t value)
{
    const auto list = EncoderFunctionList();
    int found = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].Value == value)
            found = static_cast<int>(i);
    }
    return found;
}

} // namespace kvr::console
