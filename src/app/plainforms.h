#pragma once
// Windows whose content other parts of the program build; here each exists under its name and
// caption so that the start-up order, the menu commands and the saved positions work.

#include <QDialog>

namespace kvr::app {

class TPlainForm : public QDialog {
    Q_OBJECT
public:
    // ClassName is the window's class ("TPrintForm"); the object name is it without the "T".
    TPlainForm(const char* ClassName, const char* Caption, QWidget* Parent = nullptr);
    const char* ClassName() const { return FClassName; }

private:
    const char* FClassName;
};

// The windows of the start-up order that are plain here, with their captions.
struct PlainFormSpec {
    const char* ClassName;
    const char* Caption;
};
inline constexpr PlainFormSpec GLProtoFormSpec{"TGLProtoForm", "Global Logic Monitor"};
inline constexpr PlainFormSpec LinkSelectFormSpec{"TLinkSelectForm", "Create device link"};
inline constexpr PlainFormSpec IBFormSpec{"TIBForm", "Create project summary"};

TPlainForm* MakePlainForm(const PlainFormSpec& Spec, QWidget* Parent);

} // namespace kvr::app
