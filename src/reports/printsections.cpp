// The sections this program prints, and the face of one module printed alone.
#include "reports/cardlists.h"
#include "reports/consolelayout.h"
#include "reports/keylabels.h"
#include "reports/printrun.h"
#include "reports/rearview.h"
#include "reports/ruledsections.h"

namespace kvr::reports {

PrintSections DefaultPrintSections()
{
    PrintSections sections;
    sections.Section[pbGlobalLogicTable] = PrintGlobalLogicTable;
    sections.Section[pbFrameView] = PrintRearView;
    sections.Section[pbAudioList] = PrintAudioList;
    sections.Section[pbMADIList] = PrintMADIList;
    sections.Section[pbGPIOList] = PrintGPIOList;
    sections.Section[pbConsolesLayout] = PrintConsoleLayouts;
    sections.Section[pbModulesLayout] = PrintModuleLayouts;
    sections.Section[pbKeyLabels] = PrintKeyLabels;
    sections.Section[pbOutputRouting] = PrintOutputRouting;
    sections.PrintModule = PrintModule;
    return sections;
}

} // namespace kvr::reports
