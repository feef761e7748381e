#pragma once
// The two sections printed as ruled tables: the project's global logic table and a device's
// output routing list.

namespace kvr::reports {

class PageFrame;

// Once per run, before the device sections.
void PrintGlobalLogicTable(PageFrame& Frame);
// The last section of the device Frame.FDevice; an empty list still opens and closes its job.
void PrintOutputRouting(PageFrame& Frame);

} // namespace kvr::reports
