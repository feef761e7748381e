#include "editors/dsp/dspparamcodec.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace kvr::editors {

const std::array<int, kFrequencyCount> FrequencyTable{
    22,   25,   28,   32,   36,   40,   45,   50,   56,   63,   71,   80,    90,    100,   112,   125,
    140,  160,  180,  200,  224,  250,  280,  315,  355,  400,  450,  500,   560,   630,   710,   800,
    900,  1000, 1120, 1250, 1400, 1600, 1800, 2000, 2240, 2350, 2500, 2800,  3150,  3550,  4000,  4500,
    5000, 5600, 6300, 7100, 8000, 9000, 10000, 11200, 12500, 14000, 16000, 18000, 20000};

const std::array<int, kDtmfCount> DTMFTable{697, 770, 852, 941, 1209, 1336, 1477, 1633};

namespace {

struct TypeRules {
    std::vector<int> Types;
    const char* Panel;
    std::vector<const char*> Titles; // one per type, or one for all
    std::vector<DspField> Fields;
};

DspField Knob(const char* control, const char* caption, int shift, int bits, bool isSigned, int min, int max,
              DspText text = DspText::None, const char* suffix = "", double scale = 1.0, int decimals = 0) {
    DspField f;
    f.Control = control;
    f.Caption = caption;
    f.Kind = DspControl::Knob;
    f.Shift = shift;
    f.Bits = bits;
    f.Signed = isSigned;
    f.Min = min;
    f.Max = max;
    f.Text = text;
    f.Suffix = suffix;
    f.Scale = scale;
    f.Decimals = decimals;
    return f;
}

DspField FreqKnob(const char* control, const char* caption, int bits, int compareBits, int min, int max) {
    DspField f = Knob(control, caption, 0, bits, false, min, max, DspText::TableHz, " Hz");
    f.Store = DspStore::FreqIndex;
    f.CompareBits = compareBits;
    return f;
}

DspField Check(const char* control, const char* caption, int shift = 28, int bits = 1) {
    DspField f;
    f.Control = control;
    f.Caption = caption;
    f.Kind = DspControl::Check;
    f.Shift = shift;
    f.Bits = bits;
    f.Max = 1;
    return f;
}

DspField Choice(DspControl kind, const char* control, const char* caption, int shift, int bits,
                std::vector<const char*> items) {
    DspField f;
    f.Control = control;
    f.Caption = caption;
    f.Kind = kind;
    f.Shift = shift;
    f.Bits = bits;
    f.Max = static_cast<int>(items.size()) - 1;
    f.Items = std::move(items);
    return f;
}

DspField With(DspField f, DspStore store, int onlyType = 0) {
    f.Store = store;
    f.OnlyType = onlyType;
    return f;
}

DspField Band(DspField f) {
    f.PerBand = true;
    return f;
}

const std::vector<const char*> kSpeeds{"fast", "mid1", "mid2", "mid3", "mid4", "mid5", "mid6", "slow"};

// In the order the dialog looks the types up.
const std::vector<TypeRules>& Rules() {
    static const std::vector<TypeRules> rules{
        {{32},
         "StEnhPanel",
         {"Stereo Enhancer"},
         {Knob("Widening", "&Widening", 0, 8, false, 0, 100, DspText::Int, " %"),
          With(Check("CheckBox1", "&ON", 0, 8), DspStore::Widening),
          Knob("Mix", "3D &Mix", 8, 8, false, 0, 100, DspText::Int, " %"),
          Knob("Effect", "3D &Effect", 16, 8, false, 0, 100, DspText::Int, " %"),
          Knob("Rel", "Rel", 24, 7, false, 0, 100)}},
        {{31},
         "SinePanel",
         {"Sine Generator"},
         {With(Knob("SineGainPoti", "&Level", 16, 13, true, -80, 15, DspText::Int, " dB int"), DspStore::Tenths),
          With(Choice(DspControl::Radio, "FTableSelect", "Frequency table", 0, 0, {"Third (Terz)", "DTMF"}),
               DspStore::SineTable),
          With(Knob("SineFreqPoti", "&Frequency", 0, 16, false, 0, kFrequencyCount - 1, DspText::SineHz),
               DspStore::SineFreq)}},
        {{12, 30},
         "TLimPanel",
         {"Limiter", "Transient Limiter"},
         {Knob("TLimLevelPoti", "&Threshold", 0, 8, true, -20, 20, DspText::Int, "dB int"),
          Knob("TLimReleasePoti", "&Release Time", 8, 8, false, 3, 20, DspText::Int, "dB/s"),
          With(Choice(DspControl::Radio, "TLimPre", "", 16, 2, {"Off", "50 \xC2\xB5s", "75 \xC2\xB5s"}),
               DspStore::Plain, 30),
          Check("TLimOn", "&ON")}},
        {{10},
         "EQPanel",
         {"Equalizer"},
         {FreqKnob("EQFreqPoti", "&Frequency", 15, 15, 0, 59),
          Knob("EQQPoti", "&Quality", 15, 5, false, 1, 30, DspText::Fixed, " Oct", 0.1, 1),
          Knob("EQGainPoti", "&Gain", 20, 8, true, -60, 60, DspText::Fixed, " dB", 0.25, 2),
          Check("EQOnBox", "&ON"),
          Choice(DspControl::Combo, "EQTypeBox", "Type", 29, 2, {"Bell", "Notch", "Shelving High", "Shelving Low"})}},
        {{14, 16},
         "KompressorPanel",
         {"Compressor", "Expander"},
         {Knob("KompRotPointPoti", "&Threshold", 0, 8, true, -50, 10, DspText::Int, " dB"),
          With(Knob("KompRatioPoti", "&Ratio", 8, 8, true, 10, 50, DspText::Ratio, ":1", 0.1, 1), DspStore::Plain,
               14),
          With(Knob("KompRatioPoti", "&Ratio", 8, 8, true, 10, 50, DspText::InvRatio, "", 0.1, 1),
               DspStore::Negated, 16),
          Choice(DspControl::Combo, "ReleaseBox", "Release", 16, 3, kSpeeds),
          Choice(DspControl::Combo, "AttackBox", "Attack", 19, 3, kSpeeds),
          Knob("KompGainPoti", "&Gain", 22, 5, false, 0, 30, DspText::Int, " dB"),
          Check("KompOnBox", "&ON")}},
        {{19},
         "AGCPanel",
         {"AGC"},
         {Knob("AGCThresholdPot", "Freeze", 0, 8, true, -40, -20, DspText::Int, " dB"),
          Knob("AGCLevelPot", "Level", 8, 8, true, -20, 20, DspText::Int, " dB"),
          Knob("AGCGainPot", "Gain", 16, 6, false, 5, 30, DspText::Int, " dB"),
          Knob("AGCVeloPot", "Velocity", 22, 6, false, 3, 15, DspText::Fixed, " dB/s", 0.1, 1),
          Check("AGCOnBox", "ON")}},
        {{11},
         "SubSonicPanel",
         {"SubSonic"},
         {FreqKnob("SubFreqPot", "Frequency", 16, 16, 3, 19), Check("SubSonicOn", "ON")}},
        {{17},
         "DeesPanel",
         {"Deesser"},
         {With(Knob("DeesRatioPot", "Ratio", 0, 8, false, 10, 40, DspText::Fixed, ":1", 0.1, 1), DspStore::Plus10),
          Knob("DeesThrPot", "Threshold", 8, 8, false, 10, 18, DspText::Fixed, "", 0.1, 1),
          Knob("DeesBWPot", "Bandwith", 16, 8, false, 2, 5, DspText::Fixed, "", 0.1, 1),
          Check("DeesOnBox", "ON")}},
        {{18},
         "SimpleDeesPanel",
         {"Deesser 2"},
         {FreqKnob("SimpleDeesFreqPot", "Frequency", 16, 16, 33, 60),
          Knob("SimpleDeesThrPot", "Threshold", 16, 8, true, -40, 10, DspText::Int, " dB"),
          Check("SimpleDeesOnOff", "On")}},
        {{21},
         "VarFilterPanel",
         {"Variable High/Low pass"},
         {FreqKnob("VarFilterFreqPot", "Frequency", 15, 15, 0, 59),
          Knob("VarFilterOrdPot", "Filter order", 16, 4, false, 1, 10, DspText::Int),
          Choice(DspControl::Combo, "VarFilterTypeBox", "Type", 20, 1, {"Low Pass", "High Pass"}),
          Check("VarFilterOnOff", "ON")}},
        {{13},
         "NoiseGatePanel",
         {"Noise Gate"},
         {Knob("NoiseGateThrPot", "Threshold", 0, 8, true, -50, -10, DspText::Int, " dB"),
          Knob("NoiseGateRelPot", "Release", 16, 3, false, 0, 7),
          Knob("NoiseGateAttackPot", "Attack", 19, 3, false, 0, 7),
          Knob("NoiseGateAttenPot", "Attenuation", 22, 5, false, 0, 30, DspText::Int, " dB"),
          Check("NoiseGateOnOff", "On")}},
        {{23},
         "RaViPanel",
         {"RaVi"},
         // The fields hold -8..7 and 0..31: the knobs stop there so that every position survives.
         {Knob("RaViDirPoti", "Direction", 0, 4, true, -8, 7, DspText::RaViDir),
          Knob("RaViWidthPoti", "Width", 8, 5, false, 0, 31, DspText::Fixed, " ", 0.05, 6),
          Check("RaViSwapLR", "Swap L/R", 16), Check("RaViMS", "M/S", 20)}},
        {{34, 35},
         "SteelUnitPanel",
         {"Veziv Adev"},
         {With(Choice(DspControl::Tabs, "SUBand", "", 0, 0, {}), DspStore::Band),
          Band(Knob("SUCompPot", "Compression", 20, 4, false, 0, 15, DspText::Int, " dB")),
          Band(Knob("SUGainPot", "Gain", 0, 8, false, 0, 100, DspText::Fixed, " dB", 0.2, 1)),
          Band(Knob("SUMixPot", "Mix", 8, 8, true, -100, 0, DspText::Fixed, " dB", 0.2, 1)),
          Band(Knob("SURelPot", "Release", 16, 3, false, 0, 7)), With(Check("SUOnOff", "ON"), DspStore::AllBands)}},
        {{37},
         "EmphasisPanel",
         {"Adaptive Deemphasis"},
         {Choice(DspControl::Radio, "Emph", "", 0, 8, {"50\xC2\xB5s", "75\xC2\xB5s"}),
          Check("DeemphasisBox", "Deemphasis", 8, 8), Check("EmphasisEnabled", "Enabled")}},
        {{36},
         "ClipperPanel",
         {"Soft Clipper"},
         {Knob("ClipLevel", "Max. Output level", 0, 8, true, -20, 20, DspText::Int, " dB"),
          Check("ClipperOn", "ON")}},
    };
    return rules;
}

std::uint32_t Mask(const DspField& f) {
    return f.Bits >= 32 ? 0xFFFFFFFFu : ((1u << f.Bits) - 1u) << f.Shift;
}

int ReadField(std::uint32_t word, const DspField& f) {
    const std::uint32_t raw = (word & Mask(f)) >> f.Shift;
    if (f.Signed && f.Bits < 32 && (raw & (1u << (f.Bits - 1))) != 0)
        return static_cast<int>(raw) - (1 << f.Bits);
    return static_cast<int>(raw);
}

void WriteField(std::uint32_t& word, const DspField& f, int value) {
    word = (word & ~Mask(f)) | ((static_cast<std::uint32_t>(value) << f.Shift) & Mask(f));
}

// Index of the first table entry not below the frequency; the table's size when none.
int FirstNotBelow(int freq) {
    const auto it = std::lower_bound(FrequencyTable.begin(), FrequencyTable.end(), freq);
    return static_cast<int>(it - FrequencyTable.begin());
}

std::string Fixed(double value, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    return buf;
}

} // namespace

void DspParamCodec::Open(int type, const DspWords& words) {
    FType = type;
    FWords = words;
    FFields.clear();
    FValues.clear();
    FPanel = "NoOptPanel";
    FTitle = "";
    FBand = 0;
    FBands = 0;
    for (const TypeRules& rules : Rules()) {
        const auto at = std::find(rules.Types.begin(), rules.Types.end(), type);
        if (at == rules.Types.end())
            continue;
        const std::size_t which = static_cast<std::size_t>(at - rules.Types.begin());
        FPanel = rules.Panel;
        FTitle = rules.Titles[std::min(which, rules.Titles.size() - 1)];
        for (const DspField& f : rules.Fields)
            if (f.OnlyType == 0 || f.OnlyType == type)
                FFields.push_back(f);
        break;
    }
    if (type == 34)
        FBands = 3;
    if (type == 35)
        FBands = 4;
    FValues.assign(FFields.size(), 0);
    for (std::size_t i = 0; i < FFields.size(); ++i)
        if (FFields[i].Store != DspStore::SineFreq) // looked up with the table selector
            Load(static_cast<int>(i));
    for (std::size_t i = 0; i < FFields.size(); ++i) {
        const DspField& f = FFields[i];
        // Radio buttons and the all-bands box are written only when clicked.
        if (f.Kind == DspControl::Radio || f.Store == DspStore::AllBands || f.Store == DspStore::Band)
            continue;
        if (f.Store == DspStore::SineFreq && !FSineFound)
            continue;
        Store(static_cast<int>(i));
    }
}

int DspParamCodec::Find(const char* control) const {
    for (std::size_t i = 0; i < FFields.size(); ++i)
        if (std::strcmp(FFields[i].Control, control) == 0)
            return static_cast<int>(i);
    return -1;
}

int DspParamCodec::Min(int field) const {
    const DspField& f = FFields.at(static_cast<std::size_t>(field));
    return f.Kind == DspControl::Radio ? -1 : f.Min;
}

int DspParamCodec::Max(int field) const {
    const DspField& f = FFields.at(static_cast<std::size_t>(field));
    if (f.Store == DspStore::SineFreq)
        return FSineTable == 1 ? kDtmfCount - 1 : kFrequencyCount - 1;
    if (f.Store == DspStore::Band)
        return FBands - 1;
    return f.Max;
}

std::vector<std::string> DspParamCodec::Items(int field) const {
    const DspField& f = FFields.at(static_cast<std::size_t>(field));
    if (f.Store == DspStore::Band) {
        if (FBands == 3)
            return {"Low", "Mid", "High"};
        return {"Low", "Mid", "Mid", "High"};
    }
    return {f.Items.begin(), f.Items.end()};
}

std::uint32_t& DspParamCodec::Word(const DspField& f) {
    return FWords[f.PerBand ? static_cast<std::size_t>(FBand) : 0u];
}

void DspParamCodec::Load(int field) {
    const DspField& f = FFields[static_cast<std::size_t>(field)];
    int& value = FValues[static_cast<std::size_t>(field)];
    const int stored = ReadField(Word(f), f);
    switch (f.Store) {
    case DspStore::Plain:
        value = stored;
        break;
    case DspStore::FreqIndex: {
        const int low = static_cast<int>(Word(f) & ((1u << f.CompareBits) - 1u));
        value = FirstNotBelow(low);
        break;
    }
    case DspStore::Negated:
        value = -stored;
        break;
    case DspStore::Plus10:
        value = stored + 10;
        break;
    case DspStore::Tenths:
        value = stored / 10; // toward zero
        break;
    case DspStore::SineTable: {
        const int freq = static_cast<int>(FWords[0] & 0xFFFFu);
        const auto dtmf = std::find(DTMFTable.begin(), DTMFTable.end(), freq);
        const auto third = std::find(FrequencyTable.begin(), FrequencyTable.end(), freq);
        FSineFound = true;
        if (dtmf != DTMFTable.end()) {
            FSineTable = 1;
            FSineIndex = static_cast<int>(dtmf - DTMFTable.begin());
        } else if (third != FrequencyTable.end()) {
            FSineTable = 0;
            FSineIndex = static_cast<int>(third - FrequencyTable.begin());
        } else {
            FSineFound = false;
        }
        value = FSineTable;
        const int freqField = Find("SineFreqPoti");
        if (freqField >= 0)
            FValues[static_cast<std::size_t>(freqField)] = std::min(FSineIndex, Max(freqField));
        return;
    }
    case DspStore::SineFreq:
        value = FSineIndex;
        break;
    case DspStore::Band:
        value = FBand;
        return;
    case DspStore::AllBands:
        value = ReadField(FWords[0], f);
        return;
    case DspStore::Widening:
        value = stored != 0 ? 1 : 0;
        return;
    }
    if (f.Kind == DspControl::Check)
        value = value != 0 ? 1 : 0;
    else if (f.Kind != DspControl::Radio)
        value = std::clamp(value, Min(field), Max(field));
}

void DspParamCodec::Store(int field) {
    const DspField& f = FFields[static_cast<std::size_t>(field)];
    const int value = FValues[static_cast<std::size_t>(field)];
    switch (f.Store) {
    case DspStore::Plain:
        if (f.Kind == DspControl::Radio && (value < 0 || value > f.Max))
            return;
        WriteField(Word(f), f, value);
        return;
    case DspStore::FreqIndex:
        WriteField(Word(f), f, FrequencyTable[static_cast<std::size_t>(value)]);
        return;
    case DspStore::Negated:
        WriteField(Word(f), f, -value);
        return;
    case DspStore::Plus10:
        WriteField(Word(f), f, value - 10);
        return;
    case DspStore::Tenths:
        WriteField(Word(f), f, value * 10);
        return;
    case DspStore::SineFreq: {
        const int freq = FSineTable == 1 ? DTMFTable[static_cast<std::size_t>(value)]
                                         : FrequencyTable[static_cast<std::size_t>(value)];
        WriteField(Word(f), f, freq);
        return;
    }
    case DspStore::SineTable:
    case DspStore::Band:
        return;
    case DspStore::AllBands:
        for (int band = 0; band < std::max(FBands, 1); ++band)
            WriteField(FWords[static_cast<std::size_t>(band)], f, value);
        return;
    case DspStore::Widening: {
        const int knob = Find("Widening");
        WriteField(Word(f), f, value != 0 ? FValues[static_cast<std::size_t>(knob)] : 0);
        return;
    }
    }
}

void DspParamCodec::LoadBand() {
    for (std::size_t i = 0; i < FFields.size(); ++i)
        if (FFields[i].PerBand) {
            Load(static_cast<int>(i));
            Store(static_cast<int>(i));
        }
}

const DspWords& DspParamCodec::Set(int field, int value) {
    const DspField& f = FFields.at(static_cast<std::size_t>(field));
    const int min = f.Kind == DspControl::Check ? 0 : Min(field);
    const int max = Max(field);
    if (f.Kind == DspControl::Radio && (value < 0 || value > max))
        return FWords;
    value = f.Kind == DspControl::Check ? (value != 0 ? 1 : 0) : std::clamp(value, min, max);
    FValues[static_cast<std::size_t>(field)] = value;
    switch (f.Store) {
    case DspStore::SineTable: {
        FSineTable = value;
        const int freqField = Find("SineFreqPoti");
        int& index = FValues[static_cast<std::size_t>(freqField)];
        index = std::min(index, Max(freqField));
        FSineIndex = index;
        FSineFound = true;
        Store(freqField);
        return FWords;
    }
    case DspStore::SineFreq:
        FSineIndex = value;
        FSineFound = true;
        break;
    case DspStore::Band:
        FBand = value;
        LoadBand();
        return FWords;
    default:
        break;
    }
    Store(field);
    return FWords;
}

bool DspParamCodec::Visible(int field) const {
    const DspField& f = FFields.at(static_cast<std::size_t>(field));
    if (FType == 10) {
        const int eqType = Value(Find("EQTypeBox"));
        if (std::strcmp(f.Control, "EQGainPoti") == 0)
            return eqType != 1;
        if (std::strcmp(f.Control, "EQQPoti") == 0)
            return eqType == 0 || eqType == 1;
    }
    return true;
}

std::string DspParamCodec::Text(int field) const {
    const DspField& f = FFields.at(static_cast<std::size_t>(field));
    if (f.Text == DspText::SineHz && !FSineFound)
        return std::to_string(FWords[0] & 0xFFFFu) + " Hz";
    return TextAt(f, Value(field), FSineTable);
}

std::vector<std::string> DspParamCodec::Texts(int field) const {
    const DspField& f = FFields.at(static_cast<std::size_t>(field));
    std::vector<std::string> texts;
    for (int table = 0; table < (f.Text == DspText::SineHz ? 2 : 1); ++table) {
        const int max = f.Text == DspText::SineHz ? (table == 1 ? kDtmfCount : kFrequencyCount) - 1 : f.Max;
        for (int value = f.Min; value <= max; ++value)
            texts.push_back(TextAt(f, value, table));
    }
    return texts;
}

std::string DspParamCodec::TextAt(const DspField& f, int value, int sineTable) const {
    switch (f.Text) {
    case DspText::None:
        return {};
    case DspText::Int:
        return std::to_string(value) + f.Suffix;
    case DspText::Fixed:
        return Fixed(value * f.Scale, f.Decimals) + f.Suffix;
    case DspText::TableHz:
        return std::to_string(FrequencyTable[static_cast<std::size_t>(value)]) + " Hz";
    case DspText::RaViDir:
        if (value < 0)
            return "L" + std::to_string(-value);
        if (value > 0)
            return "R" + std::to_string(value);
        return "0";
    case DspText::Ratio:
        return Fixed(value * f.Scale, f.Decimals) + ":1";
    case DspText::InvRatio:
        return "1:" + Fixed(value * f.Scale, f.Decimals);
    case DspText::SineHz:
        if (sineTable == 1)
            return std::to_string(DTMFTable[static_cast<std::size_t>(value)]) + " Hz (" +
                   (value < 4 ? "Row " : "Column ") + std::to_string(value % 4 + 1) + ")";
        return std::to_string(FrequencyTable[static_cast<std::size_t>(value)]) + " Hz";
    }
    return {};
}

} // namespace kvr::editors
