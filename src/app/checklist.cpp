#include "app/checklist.h"

namespace kvr::app {

CheckListRow CheckListRowFor(const std::string& DeviceName, const ConfigViolation& V,
                             const std::function<std::string(int)>& FixedProcessingLabel)
{
    CheckListRow row{DeviceName, {}, {}};
    switch (V.Kind) {
    case 1: row.Problem = "Too many summing buses"; row.Solution = "Please remove some"; break;
    case 2: row.Problem = "Too many output functions"; row.Solution = "Please remove some"; break;
    case 3: row.Problem = "Too many signal processings in use"; row.Solution = "Please remove some"; break;
    case 4: row.Problem = "Too many Level Detects"; row.Solution = "Please remove some."; break;
    case 5:
        row.Problem = "Unknown DSP-function in ";
        if (V.SubKind == 1) {
            row.Problem += "processing of fader #" + std::to_string(V.Index + 1) + "!";
        } else if (V.SubKind == 2) {
            std::string label = FixedProcessingLabel ? FixedProcessingLabel(V.Index) : std::string();
            label = label.substr(0, label.find('\0'));
            if (label.size() > 10)
                label.resize(10);
            row.Problem += "fixed processing \"" + label + "\"!";
        }
        row.Solution = "Remove the unknown function.";
        break;
    case 6: row.Problem = "Too many commands placed in scripts"; row.Solution = "Please reduce the commands."; break;
    case 7: row.Problem = "Too many super output functions"; row.Solution = "Please remove some"; break;
    default: break;
    }
    return row;
}

} // namespace kvr::app
