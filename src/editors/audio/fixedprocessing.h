#pragma once
// The Fixed Processing page without its widgets: the device's processings (each an audio source
// of its own), their label, source and stereo flag, and their chains of DSP functions with the
// limits of the catalogue and the fitting. Every change is written to the device at once.

#include <cstdint>
#include <string>
#include <vector>

#include "editors/dsp/dspparamcodec.h"
#include "editors/common/sourcepicker.h"

namespace kvr::model {
class TProject;
class TDevice;
}

namespace kvr::editors {

struct ProcessingFunction {
    int Type = 0;
    std::string Name;  // Windows-1252
    int Resource = 0;  // the DSP cycles the fitting weighs
    int Icon = 0;
    int Maximum = 0;   // per processing
};

struct ProcessingView {
    std::string Label;
    std::uint16_t Source = 0;
    bool Stereo = false;
    std::string SourceText; // "A" or "A + B"
    std::vector<ProcessingFunction> Functions;
};

// The options dialog as the page sees it: true for "Ok" with the new words in Words.
class DspParamEditor {
public:
    virtual ~DspParamEditor() = default;
    virtual bool Edit(int Type, DspWords& Words) = 0;
};

inline constexpr int kMaxFixedProcessings = 72;
inline constexpr int kMaxProcessingFunctions = 10;

class FixedProcessingPage {
public:
    FixedProcessingPage(model::TProject& Project, int Device);

    std::vector<std::string> Labels();
    // The offer lists in their fixed order; types the catalogue does not know are left out.
    static std::vector<ProcessingFunction> StandardFunctions();
    static std::vector<ProcessingFunction> EnhancedFunctions();

    bool CanAddProcessing();
    // Index of the new last processing, -1 when refused.
    int AddProcessing();
    void RemoveProcessing(int Index);
    bool View(int Index, ProcessingView& Out);

    void SetLabel(int Index, const std::string& Text);
    // On: the flag and the even channel of the pair; off: the source stays.
    void SetStereo(int Index, bool Stereo);

    // "<<" and drops onto the chain: not while processings or unknown functions exceed the limits.
    bool CanAddFunction();
    // Inserts before Row (appends for -1). Gives the message to show, empty when none.
    std::string AddFunction(int Index, const ProcessingFunction& Offer, int Row);
    void RemoveFunction(int Index, int Row);
    void MoveFunction(int Index, int From, int To);
    // The words are written back only when the editor returns "Ok"; true then.
    bool EditFunction(int Index, int Row, DspParamEditor& Editor);

private:
    model::TProject& FProject;
    int FDeviceIndex;
    model::TDevice& FDev;
};

} // namespace kvr::editors
