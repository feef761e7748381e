#include "platform/msgformlayout.h"

#include <algorithm>
#include <cstdio>

namespace kvr::platform {

namespace {

constexpr int LabelLeft = 68;
constexpr int ButtonWidth = 65;
constexpr int ButtonHeight = 23;
constexpr int ButtonPitch = 70;

bool ButtonFor(char letter, MsgButton& button)
{
    switch (letter) {
    case 'A': button = {"&Abort", msgAbort, false}; return true;
    case 'C': button = {"&Cancel", msgCancel, false}; return true;
    case 'N': button = {"&No", msgNo, false}; return true;
    case 'O': button = {"&OK", msgOk, false}; return true;
    case 'R': button = {"&Retry", msgRetry, false}; return true;
    case 'Y': button = {"&Yes", msgYes, false}; return true;
    default: return false;
    }
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (true) {
        const auto end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return lines;
        start = end + 1;
    }
}

int WidestLine(const std::string& text, const MsgTextMetrics& m)
{
    int widest = 0;
    for (const auto& line : SplitLines(text))
        widest = std::max(widest, m.Width(line));
    return widest;
}

int LineCount(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
}

} // namespace

MsgButtons ParseMsgButtons(const std::string& Letters)
{
    MsgButtons result;
    std::string letters = Letters.empty() ? std::string("O") : Letters;
    if (const auto m = letters.find('M'); m != std::string::npos) {
        result.ShowLink = true;
        letters.erase(m, 1);
    }
    bool nextDefault = false;
    for (const char c : letters) {
        if (c == '!') {
            nextDefault = true;
            continue;
        }
        MsgButton button;
        if (!ButtonFor(c, button))
            continue;
        button.Default = nextDefault;
        nextDefault = false;
        result.Buttons.push_back(button);
    }
    return result;
}

std::string MsgKindCaption(int Kind)
{
    switch (Kind) {
    case 1: return "Warning";
    case 3: return "Confirmation";
    case 4: return "Information";
    case 5: return "Error";
    default: return {};
    }
}

WrappedText WrapMsgText(const std::string& Text, int Limit, const MsgTextMetrics& Metrics)
{
    std::string text = Text;
    std::size_t lineStart = 0;
    std::size_t candidate = std::string::npos;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const bool atEnd = i == text.size();
        const bool lineBreak = !atEnd && text[i] == '\n';
        if (!atEnd && !lineBreak && text[i] != ' ')
            continue;
        const int width = Metrics.Width(text.substr(lineStart, i - lineStart));
        if (width > Limit && candidate != std::string::npos) {
            text[candidate] = '\n';
            lineStart = candidate + 1;
        }
        if (lineBreak) {
            lineStart = i + 1;
            candidate = std::string::npos;
        } else {
            candidate = atEnd ? std::string::npos : i;
        }
    }
    return WrappedText{text, WidestLine(text, Metrics)};
}

MsgLayout LayoutMsgForm(const std::string& Text, const MsgButtons& Buttons, const MsgTextMetrics& Metrics,
                        int ScreenWidth, int ScreenHeight, int ImageSize, int FrameWidth, int FrameHeight)
{
    MsgLayout l;
    const int half = ScreenWidth / 2;
    const int limit = half - LabelLeft;

    l.Image = MsgRect{34 - ImageSize / 2, 10, ImageSize, ImageSize};

    l.LabelText = Text;
    int labelWidth = WidestLine(Text, Metrics);
    if (Metrics.Width(Text) > half) {
        const WrappedText wrapped = WrapMsgText(Text, limit, Metrics);
        l.LabelText = wrapped.Text;
        labelWidth = wrapped.Width;
    }
    l.Label = MsgRect{LabelLeft, 10, labelWidth, LineCount(l.LabelText) * Metrics.LineHeight};

    const int n = static_cast<int>(Buttons.Buttons.size());
    int width = n * ButtonPitch + 65;
    width = std::max(width, l.Label.Left + l.Label.Width + 10);

    l.LinkVisible = Buttons.ShowLink;
    if (l.LinkVisible) {
        const std::string link = MsgLinkText;
        l.Link = MsgRect{l.Label.Left, l.Label.Top + l.Label.Height, WidestLine(link, Metrics),
                         LineCount(link) * Metrics.LineHeight};
        l.ClientHeight = std::max(l.Image.Height, l.Label.Height + l.Link.Height) + 60;
        width = std::max(width, l.Link.Left + l.Link.Width + 10);
    } else {
        l.ClientHeight = std::max(l.Image.Height, l.Label.Height) + 60;
    }
    l.ClientWidth = width;

    for (int i = 0; i < n; ++i) {
        l.ButtonRects.push_back(MsgRect{l.ClientWidth / 2 + i * ButtonPitch - (n * ButtonPitch - 5) / 2,
                                        l.ClientHeight - ButtonHeight - 10, ButtonWidth, ButtonHeight});
    }

    l.Left = ScreenWidth / 2 - (l.ClientWidth + FrameWidth) / 2;
    l.Top = ScreenHeight / 2 - (l.ClientHeight + FrameHeight) / 2;
    return l;
}

std::string MsgCodeText(unsigned Code)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", Code);
    return text;
}

} // namespace kvr::platform
