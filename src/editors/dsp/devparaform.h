#pragma once
// The options dialog of one DSP function: the panel of the function's type, its knobs, boxes
// and buttons bound to the parameter codec. The words come back only with "Ok".

#include "editors/dsp/dspparamcodec.h"

#include <QDialog>

#include <vector>

class QLabel;
class QVBoxLayout;

namespace kvr::editors {

class TDevParaForm : public QDialog {
public:
    explicit TDevParaForm(QWidget* parent = nullptr);

    int DSPFunctionType = 0;
    DspWords Parameters{};

    // Builds the type's panel from DSPFunctionType and Parameters.
    void FormShow();
    // FormShow and the modal loop: 1 for "Ok" (Parameters then holds the new words), 2 else.
    int ShowModal();

    const DspParamCodec& Codec() const { return FCodec; }

protected:
    // The form previews keys: Escape closes it whichever of its controls has the focus (a knob
    // takes every key it is sent).
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Changed(int field, int value);
    void Refresh();

    DspParamCodec FCodec;
    QWidget* FPanel = nullptr;
    QVBoxLayout* FBody = nullptr;
    std::vector<QWidget*> FControls; // per field: the knob, box, combo, tab bar or radio group
    std::vector<QLabel*> FTexts;     // per field: the value text, or null
    std::vector<std::vector<QWidget*>> FGroups; // per field: what hides with it
    bool FRefreshing = false;
};

} // namespace kvr::editors
