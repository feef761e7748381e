#pragma once
// A project of three devices ("North", "South", "East") of project "ABCD", with a model host that
// records what the data model shows.

#include <gtest/gtest.h>

#include "../../model/recordinghost.h"
#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/project.h"

namespace kvr::app::test {

class PageFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto header = project.GetHeader();
        kvr::writeBE32(header, model::ph::ProjectID, 0x41424344);
        project.SetHeader(header);
        for (const char* name : {"North", "South", "East"})
            project.Device(project.AddDevice())->SetName(name);
    }

    model::TDevice& Device(int Index) { return *project.Device(Index); }

    // Marks a device as a fixed-model device (header byte 106).
    void MakeFixedModel(int Index)
    {
        auto header = Device(Index).GetHeader();
        header[model::dh::DummyDevModel] = 1;
        Device(Index).SetHeader(header, false);
    }

    model::test::RecordingHost host;
    model::TProject project;
};

} // namespace kvr::app::test
