#pragma once
// A project of three devices ("North", "South", "East") of project "ABCD", with a model host that
// records what the data model shows.

#include <gtest/gtest.h>

#include "../../model/recordinghost.h"
#include "studioproject.h"

namespace kvr::app::test {

class PageFixture : public ::testing::Test {
protected:
    void SetUp() override { MakeStudio(project, {"North", "South", "East"}); }

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
