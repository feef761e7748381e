#pragma once
// Layout of the numbered-message dialog: the buttons from a string of button letters, the
// wrapping of long texts and the geometry of every part. Kept apart from the widget so that the
// rules can be checked without a screen.

#include <functional>
#include <string>
#include <vector>

namespace kvr::platform {

// Modal results of the message buttons.
enum MsgResult : int { msgNone = 0, msgOk = 1, msgCancel = 2, msgAbort = 3, msgRetry = 4, msgYes = 6, msgNo = 7 };

struct MsgButton {
    std::string Caption; // with '&' before the accelerator
    int ModalResult = msgNone;
    bool Default = false;
};

struct MsgButtons {
    std::vector<MsgButton> Buttons;
    bool ShowLink = false; // "M": the link below the text
};

// Letters A, C, N, O, R, Y make buttons; "!" before a letter makes that button the default;
// the first "M" adds the link; other characters are ignored. The empty string is "O".
MsgButtons ParseMsgButtons(const std::string& Letters);

// Caption and whether an icon shows, by message kind (code >> 29); an empty caption keeps the
// dialog's own caption.
std::string MsgKindCaption(int Kind);

// Measures text in the label's font.
struct MsgTextMetrics {
    std::function<int(const std::string& Line)> Width;
    int LineHeight = 13;
};

struct WrappedText {
    std::string Text;
    int Width = 0; // of the widest line
};

// Greedy word wrap at blanks to Limit pixels; line breaks already in the text stay.
WrappedText WrapMsgText(const std::string& Text, int Limit, const MsgTextMetrics& Metrics);

struct MsgRect {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool operator==(const MsgRect&) const = default;
};

struct MsgLayout {
    int ClientWidth = 0, ClientHeight = 0;
    MsgRect Image;
    MsgRect Label;
    std::string LabelText;
    bool LinkVisible = false;
    MsgRect Link;
    std::vector<MsgRect> ButtonRects; // in the order of MsgButtons::Buttons
    int Left = 0, Top = 0;            // the dialog's position on the screen
};

inline constexpr const char* MsgLinkText = "\nClick here to learn more about this message";

// Lays the dialog out for Text and the parsed buttons on a screen of the given size. The image
// is ImageSize pixels square; FrameWidth and FrameHeight are what the window frame adds.
MsgLayout LayoutMsgForm(const std::string& Text, const MsgButtons& Buttons, const MsgTextMetrics& Metrics,
                        int ScreenWidth, int ScreenHeight, int ImageSize = 41, int FrameWidth = 0, int FrameHeight = 0);

// The code as the image's tooltip: eight upper-case hexadecimal digits.
std::string MsgCodeText(unsigned Code);

} // namespace kvr::platform
