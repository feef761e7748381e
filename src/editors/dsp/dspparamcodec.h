#pragma once
// The options of one DSP function as controls: which controls a function type has, their
// ranges, the bits of the parameter words each one owns and the text it shows. Every write is a
// read-modify-write of the field's own bits; opening clamps each value into its control's range
// and rewrites the field, so leaving with "Ok" hands back normalised words.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kvr::editors {

using DspWords = std::array<std::uint32_t, 10>;

enum class DspControl { Knob, Check, Combo, Radio, Tabs };

// How a control value becomes the stored field.
enum class DspStore {
    Plain,      // the value itself
    FreqIndex,  // an index of the frequency table; the field holds the frequency
    Negated,    // the negative of the value
    Plus10,     // the value minus 10
    Tenths,     // the value times 10
    SineFreq,   // an index of the sine's selected table; the field holds the frequency
    SineTable,  // no bits: the sine's table selector
    Band,       // no bits: the band selector of the multi-band units
    AllBands,   // the bit in the word of every band
    Widening,   // the enhancer's on box: the widening knob's value or 0
};

enum class DspText { None, Int, Fixed, TableHz, RaViDir, Ratio, InvRatio, SineHz };

struct DspField {
    const char* Control = "";
    const char* Caption = "";
    DspControl Kind = DspControl::Knob;
    DspStore Store = DspStore::Plain;
    int Shift = 0;
    int Bits = 0;
    bool Signed = false;
    int Min = 0;
    int Max = 0;
    DspText Text = DspText::None;
    double Scale = 1.0;
    int Decimals = 0;
    const char* Suffix = "";
    std::vector<const char*> Items; // combo items or radio buttons, value = index
    int CompareBits = 16;           // FreqIndex: the low bits compared with the table
    int OnlyType = 0;               // the field belongs to this type only
    bool PerBand = false;           // the word of the selected band, else parameter 0
};

inline constexpr int kFrequencyCount = 61;
inline constexpr int kDtmfCount = 8;
extern const std::array<int, kFrequencyCount> FrequencyTable;
extern const std::array<int, kDtmfCount> DTMFTable;

class DspParamCodec {
public:
    // Picks the type's controls, sets them from the words (clamped) and rewrites every field.
    void Open(int type, const DspWords& words);

    int Type() const { return FType; }
    bool HasOptions() const { return !FFields.empty(); }
    const char* Panel() const { return FPanel; }
    const char* Title() const { return FTitle; }
    const std::vector<DspField>& Fields() const { return FFields; }
    int Find(const char* control) const; // -1 when the type has no such control

    int Value(int field) const { return FValues.at(static_cast<std::size_t>(field)); }
    int Min(int field) const;
    int Max(int field) const;
    std::string Text(int field) const; // empty for controls without a value text
    // Every text the control can show over its range (for the sine frequency, in either table),
    // so that its panel can be wide enough for each of them.
    std::vector<std::string> Texts(int field) const;
    bool Visible(int field) const;
    std::vector<std::string> Items(int field) const;

    // The control's new value (clamped to its range); writes its bits and returns the words.
    const DspWords& Set(int field, int value);
    const DspWords& Words() const { return FWords; }

private:
    std::string TextAt(const DspField& f, int value, int sineTable) const;
    void Load(int field);
    void Store(int field);
    void LoadBand();
    std::uint32_t& Word(const DspField& f);

    int FType = 0;
    const char* FPanel = "NoOptPanel";
    const char* FTitle = "";
    std::vector<DspField> FFields;
    std::vector<int> FValues;
    DspWords FWords{};
    int FBand = 0;
    int FBands = 0;
    // Kept between openings: a sine frequency in neither table leaves them as they are.
    int FSineTable = 0;
    int FSineIndex = 0;
    bool FSineFound = true;
};

} // namespace kvr::editors
