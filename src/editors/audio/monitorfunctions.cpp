// Monitor bus default sources and rotary monitor selector lists.

#include "editors/audio/monitorfunctions.h"

#include "model/device.h"
#include "model/inserts.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/recordtext.h"
#include "model/smallrecordaccess.h"
#include "model/sourcenames.h"
#include "model/summingbuses.h"

namespace kvr::editors {

using namespace kvr::model;

namespace {
constexpr int kShownLists = 10;
}

MonitorFunctions::MonitorFunctions(TProject& Project, int Device)
    : FProject(Project), FDeviceIndex(Device), FDev(*Project.Device(Device))
{
}

std::vector<MonitorBusRow> MonitorFunctions::BusRows()
{
    TGlobalPoolRecord pool;
    GetGlobalPoolLines(FDev, pool);
    std::vector<MonitorBusRow> rows;
    for (int n = 0; n < kBusSources; ++n) {
        MonitorBusRow row;
        row.Bus = "Monitor Bus " + std::to_string(n / 2 + 1) + (n % 2 == 0 ? "L" : "R");
        row.Ref = GetMonitorBusSource(FDev, n);
        row.Source = GetAudioSourceName(FProject, row.Ref, FDeviceIndex, false);
        if (GlobalPoolUsesBus(pool, n / 2))
            row.Info = "Global Pool";
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<RotarySelectorRow> MonitorFunctions::SelectorRows()
{
    TGlobalPoolRecord pool;
    GetGlobalPoolLines(FDev, pool);
    std::vector<RotarySelectorRow> rows;
    for (int i = 0; i < kSelectors; ++i) {
        RotarySelectorRow row;
        row.Selector = "Rotary Selector " + std::to_string(i + 1);
        const int list = GetRotSelSourceList(FDev, i);
        if (list < 0) {
            row.List = "None";
        } else {
            TSourceList record;
            GetSourceList(FDev, list, record);
            row.List = LabelText(record.Label);
            row.Item = list + 1;
        }
        if (IsRotarySelectorOnGlobalPool(pool, i))
            row.Info = "Global Pool";
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::string> MonitorFunctions::ListItems()
{
    std::vector<std::string> items{"None"};
    for (int list = 0; list < kShownLists; ++list) {
        TSourceList record;
        GetSourceList(FDev, list, record);
        items.push_back(LabelText(record.Label));
    }
    return items;
}

void MonitorFunctions::ClearBus(int Row)
{
    if (Row >= 0 && Row < kBusSources)
        SetMonitorBusSource(FDev, Row, 0);
}

void MonitorFunctions::ClearAll()
{
    for (int n = 0; n < kBusSources; ++n)
        SetMonitorBusSource(FDev, n, 0);
}

void MonitorFunctions::SetSelectorList(int Selector, int Item)
{
    if (Selector < 0 || Selector >= kSelectors || Item < 0 || Item > kShownLists)
        return;
    SetRotSelSourceList(FDev, Selector, Item - 1);
}

} // namespace kvr::editors
