#pragma once
// The Logic System page on a one-device project, with a main window stand-in that records
// progress and a target table as the logic-source window keeps it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editors/common/editorhost.h"
#include "editors/logic/logicpage.h"
#include "editors/common/sourceassign.h"
#include "model/device.h"
#include "model/logicaccess.h"
#include "model/project.h"
#include "model/recordtext.h"
#include "model/sourcenames.h"
#include "recordinghost.h"
#include "sourcebuilder.h"

namespace kvr::editors::test {

using namespace kvr::model;
using namespace kvr::model::test;

struct PageHost : EditorHost {
    model::TProject* project = nullptr;
    int device = 0;
    std::vector<int> progress;
    bool progressShown = false;

    model::TProject* Project() override { return project; }
    int CurrentDevice() const override { return device; }
    bool HideUnnamedSources() const override { return false; }
    bool SelectNextRoutingAfterAssign() const override { return false; }
    void UpdateResourceGauges() override {}
    void ShowProgress(int, int, int Position) override
    {
        progressShown = true;
        progress.push_back(Position);
    }
    void HideProgress() override { progressShown = false; }
    void Log(const std::string&, int) override {}
    void PumpMessages() override {}
    LogicSourcePicker* LogicSources() override { return nullptr; }
    AudioSourcePicker* AudioSources() override { return nullptr; }
};

class LogicPageTest : public ::testing::Test {
public:
    LogicPageTest()
    {
        project.AddDevice();
        dev = project.Device(0);
        host.project = &project;
        for (const int kind : {ltLogicFunction, ltLogicDelay, ltScript, ltGPORouting})
            targets.Set(kind, &page);
    }

    // Page shown for a kind, with the row selected.
    void ShowAndSelect(int kind, int row)
    {
        page.Show(kind);
        ASSERT_TRUE(page.Select(row));
    }

    // The logic-source window's Assign of a reference.
    AssignOutcome Assign(int kind, std::uint16_t ref)
    {
        PickedSource source;
        source.Ref = ref;
        source.DeviceIndex = 0;
        return AssignLogicSource(project, 0, kind, source, targets, dev->GetDeviceID());
    }

    TLogicFunction Function(int index)
    {
        TLogicFunction f;
        EXPECT_EQ(GetLogicFunction(*dev, index, f), 1);
        return f;
    }

    std::vector<std::uint16_t> SourcesOf(int index)
    {
        const TLogicFunction f = Function(index);
        return {f.Source.begin(), f.Source.begin() + f.SourceCount()};
    }

    RecordingHost modelHost;
    TProject project;
    TDevice* dev = nullptr;
    PageHost host;
    LogicPage page{host};
    SourceTargets targets;
};

} // namespace kvr::editors::test
