#pragma once
// The level-detection editor of the Logic System page without its widgets. Its five knobs store
// on every real change of their position, also while the editor is filled; the source comes from
// the audio-source window (target kind 1).

#include <array>
#include <cstdint>
#include <string>

namespace kvr::editors {

class LogicPage;

enum LevelKnob : int { lkLevel, lkHold, lkCorrelation, lkAttack, lkRelease };

struct KnobRange {
    int Min;
    int Max;
    int Start;
};
inline constexpr std::array<KnobRange, 5> kLevelKnobs{{{0, 50, 0}, {1, 1000, 1}, {-10, 10, 0}, {0, 250, 1}, {0, 250, 1}}};

// The display of a knob's position: "-40 dB int", "1.5 s", "0.3", "12 ms", "2.5 s".
std::string LevelKnobText(int Knob, int Position);

class LevelDetectEditor {
public:
    explicit LevelDetectEditor(LogicPage& Page);

    // Reads the selected level detect and sets the knobs, which may store again.
    void Fill();
    std::string Label;
    std::string SourceText;
    std::uint16_t SourceTag = 0;
    bool Stereo = false;
    std::array<int, 5> Knobs{};
    std::array<std::string, 5> KnobTexts;

    // A knob moved (by the user or the program): limited to its range; a real change shows and,
    // with an element selected, stores the value.
    void SetKnob(int Knob, int Position);
    void SetLabel(const std::string& Text);
    void SetStereo(bool Ticked);

private:
    LogicPage& FPage;
};

} // namespace kvr::editors
