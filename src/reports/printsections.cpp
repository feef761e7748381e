// The sections this program prints so far; a section still empty prints nothing and starts no
// job.
#include "reports/cardlists.h"
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
    sections.Section[pbOutputRouting] = PrintOutputRouting;
    return sections;
}

} // namespace kvr::reports
