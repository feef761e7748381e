#pragma once
// The logic-delay and script editors of the Logic System page without their widgets, and the
// text forms they use: seconds typed as text, stored in tenths; script commands as memo lines
// "%08X, %d" followed by ", %02X" per data byte. Sources come from the logic-source window
// (target kinds 3 and 4).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/logicrecords.h"

namespace kvr::editors {

class LogicPage;

inline constexpr int kMaxTenths = 10000;
inline constexpr int kMaxScriptLines = 255;
inline constexpr const char* kTooManyLinesText = "Maximum number of 255 Commands per script allowed!";
inline constexpr const char* kTooManyCommandsText = "Too many script commands! Please remove some.";

// Tenths of a second of the first 6 characters of a delay edit: a decimal number read from
// their start (nothing readable is 0), times 10, cut toward zero; above 10000 and negative
// values become 10000.
int ParseTenths(std::string_view Text);
// "%3.1f" of Tenths / 10.
std::string FormatTenths(int Tenths);
// A comma typed into a delay edit is entered as a point.
inline char DelayEditKey(char Key) { return Key == ',' ? '.' : Key; }

// One memo line read as "ID (hex), length (decimal), data (hex) ..." from its first 79
// characters; fields the line does not give are 0, a length above 8 is 8, data values keep their
// low 8 bits and only the length's number of them is kept.
model::TScriptCommand ParseScriptLine(std::string_view Line);
// The normal form of a command.
std::string FormatScriptCommand(const model::TScriptCommand& Command);

class LogicDelayEditor {
public:
    explicit LogicDelayEditor(LogicPage& Page) : FPage(Page) {}
    void Fill();
    std::string Label;
    std::string DelayText;
    std::string ImpulseText;
    std::string SourceText;
    std::uint16_t SourceTag = 0;

    // Guarded change handlers.
    void SetLabel(const std::string& Text);
    void SetDelay(const std::string& Text);
    void SetImpulseLength(const std::string& Text);
    // Leaving an edit shows the stored value again.
    void ExitEdits();

private:
    LogicPage& FPage;
};

class ScriptEditor {
public:
    explicit ScriptEditor(LogicPage& Page) : FPage(Page) {}
    // Label, source and the memo lines of the selected script, then MemoChange.
    void Fill();
    std::string Label;
    std::string SourceText;
    std::uint16_t SourceTag = 0;
    std::vector<std::string> Lines; // the memo
    std::string CommandsUsed;       // "Overall commands used: n/1000"

    void SetLabel(const std::string& Text);
    // The memo changed: more than 255 lines are cut to 255 with the message; the count of the
    // stored scripts is shown. Returns the message, empty for none.
    std::string MemoChange();
    // "Apply commands": the memo's lines become the script's commands, in normal form, unless the
    // device's command budget would be exceeded; then nothing is stored and the message returned.
    std::string Apply();

private:
    LogicPage& FPage;
};

} // namespace kvr::editors
