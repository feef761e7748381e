#include <gtest/gtest.h>

#include "editors/dsp/dspparamcodec.h"

#include <string>

namespace kvr::editors::test {
namespace {

const int kTypesWithOptions[] = {10, 11, 12, 13, 14, 16, 17, 18, 19, 21, 23, 30, 31, 32, 34, 35, 36, 37};

DspWords Filled(std::uint32_t pattern) {
    DspWords w;
    w.fill(pattern);
    return w;
}

std::uint32_t FieldMask(const DspField& f) {
    if (f.Store == DspStore::SineFreq)
        return 0xFFFFu;
    return f.Bits == 0 ? 0u : ((1u << f.Bits) - 1u) << f.Shift;
}

// Every value of every control of every type: the value comes back when the words are opened
// again, and no bit outside the control's field (in the word it edits) changes.
TEST(DspParamCodec, EveryFieldRoundTripsAndTouchesOnlyItsBits) {
    for (const std::uint32_t pattern : {0x00000000u, 0xFFFFFFFFu, 0xA5A55A5Au}) {
        for (const int type : kTypesWithOptions) {
            DspParamCodec codec;
            codec.Open(type, Filled(pattern));
            ASSERT_TRUE(codec.HasOptions()) << type;
            for (int i = 0; i < static_cast<int>(codec.Fields().size()); ++i) {
                const DspField f = codec.Fields()[static_cast<std::size_t>(i)];
                if (f.Store == DspStore::Band || f.Store == DspStore::SineTable)
                    continue;
                const int lo = f.Kind == DspControl::Check || f.Kind == DspControl::Radio ? 0 : codec.Min(i);
                for (int v = lo; v <= codec.Max(i); ++v) {
                    codec.Open(type, Filled(pattern));
                    const DspWords before = codec.Words();
                    const DspWords after = codec.Set(i, v);
                    const std::uint32_t mask = FieldMask(f);
                    for (std::size_t w = 0; w < before.size(); ++w) {
                        const bool edited = w == 0 || (f.Store == DspStore::AllBands && w < 4);
                        const std::uint32_t keep = edited ? ~mask : 0xFFFFFFFFu;
                        EXPECT_EQ(after[w] & keep, before[w] & keep)
                            << "type " << type << " " << f.Control << "=" << v << " word " << w;
                    }
                    DspParamCodec again;
                    again.Open(type, after);
                    const int expected = (f.Store == DspStore::Widening && codec.Value(codec.Find("Widening")) == 0) ? 0 : v;
                    EXPECT_EQ(again.Value(i), expected) << "type " << type << " " << f.Control << "=" << v;
                    EXPECT_EQ(again.Words(), after) << "type " << type << " " << f.Control << "=" << v;
                }
            }
        }
    }
}

TEST(DspParamCodec, TypesWithoutOptionsHandBackTheWordsUnchanged) {
    const DspWords words{0x12345678, 0xFFFFFFFF, 0, 7, 8, 9, 10, 11, 12, 0x80000000};
    for (const int type : {15, 38, 40, 41, 0, 99}) {
        DspParamCodec codec;
        codec.Open(type, words);
        EXPECT_FALSE(codec.HasOptions()) << type;
        EXPECT_STREQ(codec.Panel(), "NoOptPanel");
        EXPECT_EQ(codec.Words(), words) << type;
    }
}

TEST(DspParamCodec, TableFrequenciesOpenAtTheFirstEntryNotBelow) {
    struct Case {
        int type;
        std::uint32_t word;
        int index;
        std::uint32_t stored;
    };
    const Case cases[] = {
        {10, 1000, 33, 1000},          {10, 1010, 34, 1120}, {10, 20000, 59, 18000},
        {10, 0x7FFF, 59, 18000}, // none in the table: the knob's end
        {10, 10, 0, 22},               {21, 23, 1, 25},      {11, 50, 7, 50},
        {11, 210, 19, 200},            {11, 0, 3, 32},       {18, 999, 33, 1000},
        {18, 0x0000FFFF, 60, 20000},
    };
    for (const Case& c : cases) {
        DspParamCodec codec;
        codec.Open(c.type, Filled(c.word));
        EXPECT_EQ(codec.Value(0), c.index) << c.type << " " << c.word;
        const std::uint32_t field = c.type == 11 || c.type == 18 ? 0xFFFFu : 0x7FFFu;
        EXPECT_EQ(codec.Words()[0] & field, c.stored) << c.type << " " << c.word;
        EXPECT_EQ(codec.Words()[1], c.word) << "only parameter 0 is edited";
    }
}

TEST(DspParamCodec, ExpanderStoresTheNegativeRatio) {
    DspParamCodec codec;
    codec.Open(16, DspWords{});
    const DspWords words = codec.Set(codec.Find("KompRatioPoti"), 25);
    EXPECT_EQ((words[0] >> 8) & 0xFF, 0xE7u);
    EXPECT_EQ(codec.Text(codec.Find("KompRatioPoti")), "1:2.5");
    EXPECT_STREQ(codec.Title(), "Expander");

    codec.Open(14, words);
    EXPECT_STREQ(codec.Title(), "Compressor");
    EXPECT_EQ(codec.Value(codec.Find("KompRatioPoti")), 10);
    EXPECT_EQ(codec.Text(codec.Find("KompRatioPoti")), "1.0:1");
    EXPECT_EQ((codec.Words()[0] >> 8) & 0xFF, 10u);
}

TEST(DspParamCodec, SineLooksInTheDtmfTableFirst) {
    DspParamCodec codec;
    codec.Open(31, Filled(941));
    const int table = codec.Find("FTableSelect");
    const int freq = codec.Find("SineFreqPoti");
    EXPECT_EQ(codec.Value(table), 1);
    EXPECT_EQ(codec.Value(freq), 3);
    EXPECT_EQ(codec.Max(freq), 7);
    EXPECT_EQ(codec.Text(freq), "941 Hz (Row 4)");

    codec.Set(freq, 4);
    EXPECT_EQ(codec.Text(freq), "1209 Hz (Column 1)");
    EXPECT_EQ(codec.Words()[0] & 0xFFFF, 1209u);

    // Right after a DTMF function the third table still reaches its last entry.
    codec.Open(31, Filled(20000));
    EXPECT_EQ(codec.Value(table), 0);
    EXPECT_EQ(codec.Value(freq), 60);
    EXPECT_EQ(codec.Text(freq), "20000 Hz");

    // A frequency in neither table stays; the selector and knob keep their places.
    codec.Open(31, Filled(1001));
    EXPECT_EQ(codec.Words()[0] & 0xFFFF, 1001u);
    EXPECT_EQ(codec.Value(table), 0);
    EXPECT_EQ(codec.Value(freq), 60);
    EXPECT_EQ(codec.Text(freq), "1001 Hz");

    // Changing the table writes the new table's frequency at the knob's (clamped) place.
    codec.Set(table, 1);
    EXPECT_EQ(codec.Value(freq), 7);
    EXPECT_EQ(codec.Words()[0] & 0xFFFF, 1633u);
    codec.Set(table, 0);
    EXPECT_EQ(codec.Words()[0] & 0xFFFF, 50u) << "index 7 of the third table";
}

TEST(DspParamCodec, SineLevelIsA13BitTenthsField) {
    DspParamCodec codec;
    codec.Open(31, Filled(1000));
    const int level = codec.Find("SineGainPoti");
    codec.Set(level, -80);
    EXPECT_EQ((codec.Words()[0] >> 16) & 0x1FFF, 0x1CE0u);
    EXPECT_EQ(codec.Words()[0] & 0xE000FFFF, 1000u);
    EXPECT_EQ(codec.Text(level), "-80 dB int");
    // -45 tenths opens as -4 (toward zero) and is stored back as -40.
    codec.Open(31, Filled(1000 | ((0x2000u - 45) << 16)));
    EXPECT_EQ(codec.Value(level), -4);
    EXPECT_EQ((codec.Words()[0] >> 16) & 0x1FFF, 0x2000u - 40);
}

TEST(DspParamCodec, VezivBandsEditTheirOwnWord) {
    DspParamCodec codec;
    const DspWords start{0x00000000, 0x01000000, 0x02000000, 0x03000000, 0xDEADBEEF};
    codec.Open(35, start);
    const int band = codec.Find("SUBand");
    EXPECT_EQ(codec.Items(band), (std::vector<std::string>{"Low", "Mid", "Mid", "High"}));
    codec.Set(band, 2);
    const DspWords before = codec.Words();
    const DspWords after = codec.Set(codec.Find("SUGainPot"), 50);
    for (std::size_t w = 0; w < after.size(); ++w)
        EXPECT_EQ(after[w], w == 2 ? (before[2] & ~0xFFu) | 50u : before[w]) << w;

    codec.Set(codec.Find("SUOnOff"), 1);
    for (std::size_t w = 0; w < 4; ++w)
        EXPECT_NE(codec.Words()[w] & 0x10000000u, 0u) << w;
    EXPECT_EQ(codec.Words()[4], 0xDEADBEEFu);

    codec.Open(34, start);
    EXPECT_EQ(codec.Items(band), (std::vector<std::string>{"Low", "Mid", "High"}));
    codec.Set(codec.Find("SUOnOff"), 1);
    EXPECT_EQ(codec.Words()[3], 0x03000000u) << "three bands";
    // A positive mix clamps to the knob's top, 0.
    codec.Open(34, DspWords{0x00002000});
    EXPECT_EQ(codec.Value(codec.Find("SUMixPot")), 0);
    EXPECT_EQ(codec.Words()[0] & 0xFF00u, 0u);
}

TEST(DspParamCodec, RaViKnobsStopWhereTheFieldsEnd) {
    DspParamCodec codec;
    codec.Open(23, DspWords{});
    const int dir = codec.Find("RaViDirPoti");
    const int width = codec.Find("RaViWidthPoti");
    EXPECT_EQ(codec.Min(dir), -8);
    EXPECT_EQ(codec.Max(dir), 7);
    EXPECT_EQ(codec.Max(width), 31);
    codec.Set(dir, -10); // clamps
    codec.Set(width, 40);
    DspParamCodec again;
    again.Open(23, codec.Words());
    EXPECT_EQ(again.Text(dir), "L8");
    EXPECT_EQ(again.Value(width), 31);
}

TEST(DspParamCodec, EqTypeShowsGainAndQualityGroups) {
    struct Case {
        int eqType;
        bool gain;
        bool quality;
    };
    for (const Case c : {Case{0, true, true}, Case{1, false, true}, Case{2, true, false}, Case{3, true, false}}) {
        DspParamCodec codec;
        codec.Open(10, Filled(1000 | (static_cast<std::uint32_t>(c.eqType) << 29)));
        EXPECT_EQ(codec.Visible(codec.Find("EQGainPoti")), c.gain) << c.eqType;
        EXPECT_EQ(codec.Visible(codec.Find("EQQPoti")), c.quality) << c.eqType;
    }
}

TEST(DspParamCodec, EnhancerOnBoxWritesTheWideningOrZero) {
    DspParamCodec codec;
    codec.Open(32, DspWords{0x00000040});
    const int on = codec.Find("CheckBox1");
    EXPECT_EQ(codec.Value(on), 1);
    codec.Set(on, 0);
    EXPECT_EQ(codec.Words()[0], 0u);
    codec.Set(codec.Find("Widening"), 30); // the knob writes whatever the box shows
    EXPECT_EQ(codec.Words()[0], 30u);
    codec.Set(on, 1);
    EXPECT_EQ(codec.Words()[0], 30u);
}

TEST(DspParamCodec, RadioButtonsForValuesNoButtonStandsFor) {
    DspParamCodec codec;
    codec.Open(30, DspWords{0x00030614});
    EXPECT_EQ(codec.Value(codec.Find("TLimPre")), 3) << "no button checked";
    EXPECT_EQ(codec.Words()[0], 0x00030614u);
    codec.Set(codec.Find("TLimPre"), 2);
    EXPECT_EQ(codec.Words()[0], 0x00020614u);
    codec.Open(12, DspWords{0x00030614});
    EXPECT_EQ(codec.Find("TLimPre"), -1) << "the limiter has no pre-emphasis";
    EXPECT_STREQ(codec.Title(), "Limiter");

    codec.Open(37, DspWords{0x00000507});
    EXPECT_EQ(codec.Words()[0], 0x00000107u) << "deemphasis normalised to 1, time constant left";
    codec.Set(codec.Find("Emph"), 1);
    EXPECT_EQ(codec.Words()[0], 0x00000101u);
}

// The value text of each control at a chosen word.
TEST(DspParamCodec, DisplayTexts) {
    struct Case {
        int type;
        std::uint32_t word;
        const char* control;
        const char* text;
    };
    const Case cases[] = {
        {10, 1000 | (12u << 15) | (0xFAu << 20), "EQFreqPoti", "1000 Hz"},
        {10, 1000 | (12u << 15) | (0xFAu << 20), "EQQPoti", "1.2 Oct"},
        {10, 1000 | (12u << 15) | (0xFAu << 20), "EQGainPoti", "-1.50 dB"},
        {11, 50, "SubFreqPot", "50 Hz"},
        {12, 0x00000AFB, "TLimLevelPoti", "-5dB int"},
        {12, 0x00000AFB, "TLimReleasePoti", "10dB/s"},
        {13, 0x028000E2, "NoiseGateThrPot", "-30 dB"},
        {13, 0x028000E2, "NoiseGateAttenPot", "10 dB"},
        {13, 0x028000E2, "NoiseGateRelPot", ""},
        {14, 0x0140A0F6, "KompRotPointPoti", "-10 dB"},
        {14, 0x0140A0F6, "KompRatioPoti", "1.0:1"},
        {14, 0x01401EF6, "KompRatioPoti", "3.0:1"},
        {14, 0x0140A0F6, "KompGainPoti", "5 dB"},
        {17, 0x00030E05, "DeesRatioPot", "1.5:1"},
        {17, 0x00030E05, "DeesThrPot", "1.4"},
        {17, 0x00030E05, "DeesBWPot", "0.3"},
        {18, 0x00F601F4, "SimpleDeesFreqPot", "1000 Hz"},
        {18, 0x00F601F4, "SimpleDeesThrPot", "-10 dB"},
        {19, 0x0505F8E2, "AGCThresholdPot", "-30 dB"},
        {19, 0x0505F8E2, "AGCLevelPot", "-8 dB"},
        {19, 0x0505F8E2, "AGCGainPot", "5 dB"},
        {19, 0x0285F8E2, "AGCVeloPot", "1.0 dB/s"},
        {21, 0x00041F40, "VarFilterFreqPot", "8000 Hz"},
        {21, 0x00041F40, "VarFilterOrdPot", "4"},
        {23, 0x00001405, "RaViDirPoti", "R5"},
        {23, 0x00001400, "RaViDirPoti", "0"},
        {23, 0x00001400, "RaViWidthPoti", "1.000000 "},
        {30, 0x00000614, "TLimLevelPoti", "20dB int"},
        {31, 0x1FF61F40, "SineGainPoti", "-1 dB int"},
        {31, 0x00001F40, "SineFreqPoti", "8000 Hz"},
        {32, 0x00324B19, "Widening", "25 %"},
        {32, 0x00324B19, "Mix", "75 %"},
        {32, 0x00324B19, "Effect", "50 %"},
        {34, 0x00A0CE19, "SUGainPot", "5.0 dB"},
        {34, 0x00A0CE19, "SUMixPot", "-10.0 dB"},
        {34, 0x00A0CE19, "SUCompPot", "10 dB"},
        {36, 0x000000F1, "ClipLevel", "-15 dB"},
    };
    for (const Case& c : cases) {
        DspParamCodec codec;
        codec.Open(c.type, Filled(c.word));
        const int field = codec.Find(c.control);
        ASSERT_GE(field, 0) << c.type << " " << c.control;
        EXPECT_EQ(codec.Text(field), c.text) << c.type << " " << c.control;
    }
}

} // namespace
} // namespace kvr::editors::test
