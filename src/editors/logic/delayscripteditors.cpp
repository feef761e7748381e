#include "editors/logic/delayscripteditors.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>

#include "editors/common/editorhost.h"
#include "editors/logic/logicpage.h"
#include "model/device.h"
#include "model/logicaccess.h"
#include "model/recordtext.h"
#include "model/sourcenames.h"

namespace kvr::editors {

using namespace kvr::model;

namespace {

inline constexpr std::size_t kDelayEditWidth = 6;
inline constexpr std::size_t kScriptLineWidth = 79;
inline constexpr std::size_t kMaxCommandData = 8;

bool IsSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// A small reader over one line, field by field.
class FieldReader {
public:
    explicit FieldReader(std::string_view Text) : FText(Text) {}

    std::optional<std::uint32_t> Hex()
    {
        SkipSpace();
        const bool negative = Sign();
        if (FPos + 1 < FText.size() && FText[FPos] == '0' && (FText[FPos + 1] == 'X' || FText[FPos + 1] == 'x') &&
            FPos + 2 < FText.size() && std::isxdigit(static_cast<unsigned char>(FText[FPos + 2])))
            FPos += 2;
        std::uint32_t value = 0;
        const std::size_t start = FPos;
        for (; FPos < FText.size() && std::isxdigit(static_cast<unsigned char>(FText[FPos])); ++FPos) {
            const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(FText[FPos])));
            value = (value << 4) | static_cast<std::uint32_t>(c <= '9' ? c - '0' : c - 'A' + 10);
        }
        if (FPos == start)
            return std::nullopt;
        return negative ? static_cast<std::uint32_t>(0u - value) : value;
    }

    std::optional<long> Decimal()
    {
        SkipSpace();
        const bool negative = Sign();
        long value = 0;
        const std::size_t start = FPos;
        for (; FPos < FText.size() && std::isdigit(static_cast<unsigned char>(FText[FPos])); ++FPos)
            value = std::min<long>(value * 10 + (FText[FPos] - '0'), 1000000);
        if (FPos == start)
            return std::nullopt;
        return negative ? -value : value;
    }

    // The comma between two fields.
    bool Comma()
    {
        SkipSpace();
        if (FPos >= FText.size() || FText[FPos] != ',')
            return false;
        ++FPos;
        return true;
    }

private:
    void SkipSpace()
    {
        while (FPos < FText.size() && IsSpace(FText[FPos]))
            ++FPos;
    }
    bool Sign()
    {
        if (FPos < FText.size() && (FText[FPos] == '-' || FText[FPos] == '+'))
            return FText[FPos++] == '-';
        return false;
    }

    std::string_view FText;
    std::size_t FPos = 0;
};

bool IsBlank(const std::string& Line)
{
    return std::all_of(Line.begin(), Line.end(), IsSpace);
}

} // namespace

int ParseTenths(std::string_view Text)
{
    // Whole seconds and the first decimal, so 2.5 gives exactly 25 with no rounding on the way.
    const std::string_view field = Text.substr(0, std::min(Text.size(), kDelayEditWidth));
    std::size_t i = 0;
    while (i < field.size() && IsSpace(field[i]))
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '-' || field[i] == '+'))
        negative = field[i++] == '-';
    long tenths = 0;
    for (; i < field.size() && std::isdigit(static_cast<unsigned char>(field[i])); ++i)
        tenths = std::min<long>(tenths * 10 + (field[i] - '0'), 1000000);
    tenths *= 10;
    if (i + 1 < field.size() && field[i] == '.' && std::isdigit(static_cast<unsigned char>(field[i + 1])))
        tenths += field[i + 1] - '0';
    if (negative && tenths != 0)
        return kMaxTenths;
    return static_cast<int>(std::min<long>(tenths, kMaxTenths));
}

std::string FormatTenths(int Tenths)
{
    char text[32];
    std::snprintf(text, sizeof text, "%3.1f", Tenths / 10.0);
    return text;
}

TScriptCommand ParseScriptLine(std::string_view Line)
{
    FieldReader read(Line.substr(0, std::min(Line.size(), kScriptLineWidth)));
    TScriptCommand command;
    const auto id = read.Hex();
    if (!id)
        return command;
    command.ID = *id;
    if (!read.Comma())
        return command;
    const auto length = read.Decimal();
    if (!length)
        return command;
    command.Length = static_cast<std::uint8_t>(std::clamp<long>(*length, 0, kMaxCommandData));
    for (std::size_t i = 0; i < command.Length; ++i) {
        if (!read.Comma())
            break;
        const auto value = read.Hex();
        if (!value)
            break;
        command.Data[i] = static_cast<std::uint8_t>(*value & 0xFF);
    }
    return command;
}

std::string FormatScriptCommand(const TScriptCommand& Command)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X, %d", static_cast<unsigned>(Command.ID), Command.Length);
    std::string line = text;
    for (std::size_t i = 0; i < std::min<std::size_t>(Command.Length, kMaxCommandData); ++i) {
        std::snprintf(text, sizeof text, ", %02X", Command.Data[i]);
        line += text;
    }
    return line;
}

void LogicDelayEditor::Fill()
{
    TLogicDelay d;
    if (!ReadSelected(FPage, GetLogicDelay, d))
        return;
    Label = LabelText(d.Label);
    DelayText = std::to_string(d.Delay / 10) + "." + std::to_string(d.Delay % 10);
    ImpulseText = std::to_string(d.ImpulseLength / 10) + "." + std::to_string(d.ImpulseLength % 10);
    SourceTag = d.Source;
    SourceText = GetLogicSourceName(*FPage.Project(), d.Source, FPage.DeviceIndex());
}

namespace {

template <typename Edit>
bool ChangeDelay(LogicPage& page, Edit edit)
{
    return !page.FEditGuard && ChangeSelected<TLogicDelay>(page, GetLogicDelay, SetLogicDelay, edit);
}

} // namespace

void LogicDelayEditor::SetLabel(const std::string& Text)
{
    ChangeDelay(FPage, [&](TLogicDelay& d) { model::SetLabel(d.Label, Text.substr(0, 10)); });
}

void LogicDelayEditor::SetDelay(const std::string& Text)
{
    ChangeDelay(FPage, [&](TLogicDelay& d) { d.Delay = static_cast<std::uint16_t>(ParseTenths(Text)); });
}

void LogicDelayEditor::SetImpulseLength(const std::string& Text)
{
    ChangeDelay(FPage, [&](TLogicDelay& d) {
        d.ImpulseLength = static_cast<std::uint16_t>(std::max(1, ParseTenths(Text)));
    });
}

void LogicDelayEditor::ExitEdits()
{
    TLogicDelay d;
    if (!ReadSelected(FPage, GetLogicDelay, d))
        return;
    DelayText = FormatTenths(d.Delay);
    ImpulseText = FormatTenths(d.ImpulseLength);
}

void ScriptEditor::Fill()
{
    TScript s;
    if (!ReadSelected(FPage, GetScript, s))
        return;
    Label = LabelText(s.Label);
    SourceTag = s.Source;
    SourceText = GetLogicSourceName(*FPage.Project(), s.Source, FPage.DeviceIndex());
    Lines.clear();
    for (std::size_t i = 0; i < std::min<std::size_t>(s.Count, s.Commands.size()); ++i)
        Lines.push_back(FormatScriptCommand(s.Commands[i]));
    MemoChange();
}

void ScriptEditor::SetLabel(const std::string& Text)
{
    if (FPage.FEditGuard)
        return;
    ChangeSelected<TScript>(FPage, GetScript, SetScript, [&](TScript& s) { model::SetLabel(s.Label, Text.substr(0, 10)); });
}

std::string ScriptEditor::MemoChange()
{
    std::string message;
    if (Lines.size() > static_cast<std::size_t>(kMaxScriptLines)) {
        message = kTooManyLinesText;
        Lines.resize(kMaxScriptLines);
    }
    TDevice* dev = FPage.Device();
    CommandsUsed = "Overall commands used: " + std::to_string(dev ? CheckScriptSteps(*dev) : 0) + "/" +
                   std::to_string(kMaxScriptCommandTotal);
    return message;
}

std::string ScriptEditor::Apply()
{
    TDevice* dev = FPage.Device();
    TScript stored;
    if (!ReadSelected(FPage, GetScript, stored))
        return {};
    // Empty lines count here: they are only dropped below.
    const long total = CheckScriptSteps(*dev);
    if (static_cast<long>(Lines.size()) + total - stored.Count > kMaxScriptCommandTotal)
        return kTooManyCommandsText;
    EditorHost& host = FPage.Host();
    const bool progress = Lines.size() > 30;
    if (progress)
        host.ShowProgress(0, static_cast<int>(Lines.size()), 0);
    std::vector<std::string> kept;
    TScript script = stored;
    script.Commands = {};
    for (std::size_t i = 0; i < Lines.size(); ++i) {
        if (progress)
            host.ShowProgress(0, static_cast<int>(Lines.size()), static_cast<int>(i + 1));
        if (IsBlank(Lines[i]) || kept.size() >= script.Commands.size())
            continue;
        std::string upper = Lines[i].substr(0, kScriptLineWidth);
        std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
        const TScriptCommand command = ParseScriptLine(upper);
        script.Commands[kept.size()] = command;
        kept.push_back(FormatScriptCommand(command));
    }
    if (progress)
        host.HideProgress();
    Lines = std::move(kept);
    script.Count = static_cast<std::uint8_t>(Lines.size());
    SetScript(*dev, FPage.Selected(), script);
    MemoChange();
    return {};
}

} // namespace kvr::editors
