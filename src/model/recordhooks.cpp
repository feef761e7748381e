#include "model/recordhooks.h"

#include "model/adaptation.h"

namespace kvr::model {

RecordHooks& Hooks()
{
    static RecordHooks hooks;
    return hooks;
}

void AdaptLogics(TDevice& device, int a, int b, int mode)
{
    if (Hooks().AdaptLogics)
        Hooks().AdaptLogics(device, a, b, mode);
    else
        AdaptLogicReferences(device, a, b, mode);
}

void DeleteCleanFeed(TDevice& device, int cleanFeed)
{
    if (Hooks().DeleteCleanFeed)
        Hooks().DeleteCleanFeed(device, cleanFeed);
}

void TrimFixedInserts(TDevice& device)
{
    if (Hooks().TrimFixedInserts)
        Hooks().TrimFixedInserts(device);
}

void RemovePoolLinesOfLink(TDevice& device, const TDeviceLinkRecord& link)
{
    if (Hooks().RemovePoolLinesOfLink)
        Hooks().RemovePoolLinesOfLink(device, link);
}

} // namespace kvr::model

#include "model/device.h"
#include "model/project.h"

namespace kvr::model {

void SetHeaderByte(TDevice& device, std::size_t offset, std::uint8_t value)
{
    auto header = device.GetHeader();
    if (header[offset] == value)
        return;
    header[offset] = value;
    device.SetHeader(header, true);
}

void MarkProjectModified(TProject& project)
{
    project.SetHeader(project.GetHeader());
}

} // namespace kvr::model
