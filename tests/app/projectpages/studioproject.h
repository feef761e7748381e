#pragma once
// The fixture project of these tests: project "ABCD" with the named devices.

#include <initializer_list>

#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/project.h"

namespace kvr::app::test {

inline void MakeStudio(model::TProject& Project, std::initializer_list<const char*> Devices)
{
    Project.SetName("Studio");
    auto header = Project.GetHeader();
    kvr::writeBE32(header, model::ph::ProjectID, 0x41424344);
    Project.SetHeader(header);
    for (const char* name : Devices)
        Project.Device(Project.AddDevice())->SetName(name);
}

} // namespace kvr::app::test
