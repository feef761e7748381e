#pragma once
// A small project for the source trees and assignments: one device with a record of every kind
// that offers a source, and helpers that read a node list by group.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "editors/common/sourcenode.h"
#include "kvrdata/byteorder.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "recordinghost.h"
#include "sourcebuilder.h"

namespace kvr::editors::test {

using namespace kvr::model;
using namespace kvr::model::test;

using Item = std::pair<std::string, int>; // text, ID

inline std::vector<std::string> RootTexts(const SourceNodes& nodes, int parent = -1)
{
    std::vector<std::string> out;
    for (const auto& n : nodes)
        if (n.Parent == parent)
            out.push_back(n.Text);
    return out;
}

// Index of the first node with that text under the parent (-2: anywhere); -1 when none.
inline int Find(const SourceNodes& nodes, const std::string& text, int parent = -2)
{
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].Text == text && (parent == -2 || nodes[i].Parent == parent))
            return static_cast<int>(i);
    return -1;
}

inline std::vector<Item> Children(const SourceNodes& nodes, int parent)
{
    std::vector<Item> out;
    for (const auto& n : nodes)
        if (n.Parent == parent)
            out.push_back({n.Text, n.ID});
    return out;
}

inline std::vector<Item> Group(const SourceNodes& nodes, const std::string& text, int parent = -2)
{
    const int group = Find(nodes, text, parent);
    EXPECT_GE(group, 0) << text;
    return group < 0 ? std::vector<Item>{} : Children(nodes, group);
}

class SourceProject : public ::testing::Test {
public:
    SourceProject()
    {
        project.AddDevice();
        dev = project.Device(0);
        FillStudio(*dev, "Studio A");
    }

    // A device with buses, clean feeds, cards, fader channels and logic records.
    static void FillStudio(TDevice& d, const std::string& name)
    {
        d.SetName(name);
        SetHeaderBytes(d, {{dh::ProgramBusCount, 2}, {dh::AuxBusCount, 1}, {dh::CleanFeedCount, 2},
                           {dh::OutFktCount, 1}, {dh::FixedProcCount, 2}, {dh::FaderCount, 2},
                           {dh::TalkOptions, 0x80}});
        d.SetData(stBus, Concat({BusRec("Main", true), BusRec("Sub", true), BusRec("Aux1", false)}));
        d.SetData(stCleanFeed, Concat({BusRec("CFa", true), BusRec("", false)}));
        d.SetData(stOutFkt, OutFktRec("Out1", {{0, 0, 0}, {931, 0, 0}}));
        d.SetData(stProc, Concat({ProcRec("Proc", 0, true), ProcRec("Mono", 0, false)}));
        d.SetData(stSOF, Concat({Bytes{20, 6}, SOFRec("Sof1", {})}));
        // Slot 2: a stereo input pair and a mono output.
        d.SetSetupData(2, CardRec(111, {{"Mic", 0x2300}, {"Spk", 0x0382}, {"Line", 0x0304}}));
        // Slot 1: GPIO entries, GPIs at entries 0, 2, 4, 6; the one at entry 2 has no name.
        d.SetSetupData(1, CardRec(111, {}, {"Door", "x", "", "y", "Lamp", "z", "Bell", "w"}));
        d.SetData(stFCH, Concat({FaderRec(5, "Mic"), FaderRec(41, "Far")}));
        d.SetData(stLevelDetect, LevelBlock({{"Lev", 0x2300}}));
        d.SetData(stLogicDelay, DelayRec("Del"));
        d.SetData(stLogicFkt, Concat({LogicRec("Mic On", {}), LogicRec("", {}), LogicRec("Third", {})}));
        d.SetData(stSourceList, Concat({SourceListRec("Src  ", 0, {{0, 0, "A  "}, {0, 0, "B"}})}));
        d.SetSetupData(100, ModuleRec(10, 0, {KeyRec(0, "Talk", 4), KeyRec(3, "Cue", 4)}));
        d.FLogicSourcesChanged = false;
        d.FAudioSourcesChanged = false;
    }

    RecordingHost host;
    TProject project;
    TDevice* dev = nullptr;
};

} // namespace kvr::editors::test
