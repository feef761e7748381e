// Node texts, the comparator and the rebuilding of a device's modules.

#include <gtest/gtest.h>

#include "service/maintenance/moduletree.h"
#include "service/maintenance/mtntypes.h"
#include "service/statusmsg.h"

namespace {

using namespace kvr::service;
using servicetest::Status;
using servicetest::StatusMsg;

TEST(ModuleTree, ModuleTexts)
{
    struct Case {
        std::uint8_t type, index;
        std::uint16_t number;
        const char* text;
    } const cases[] = {
        {2, 0, 1234, "KX730-020  #F1  PN: 1234"},
        {3, 11, 7, "KX730-010  #C12  PN: 7"},
        {31, 5, 77, "KX730-027   PN: 77"},
        {30, 0, 5, "KX730-079    1  PN: 5"},
        {0, 0, 1, "None1  PN: 1"},
        {12, 0, 1, "unknown module - type 12"},
        {255, 0, 1, "unknown module - type 255"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ModuleNodeText(c.type, c.index, c.number), c.text) << int(c.type);
}

TEST(ModuleTree, DeviceTexts)
{
    struct Case {
        std::uint32_t serial;
        bool modules;
        const char* text;
    } const cases[] = {
        {0x1234, true, "ABCD - EMU1 - 001234"},
        {0xAB001234, true, "ABCD - EMU1 - 001234"}, // six digits of the low 24 bits
        {3, true, "COM3: ABCD - EMU1"},
        {3, false, "COM3"},
        {0x1234, false, ""},
    };
    for (const Case& c : cases) {
        DeviceList list;
        Status s;
        s.Serial = c.serial;
        if (c.modules)
            s.Modules = {{1, 2, 0}};
        list.Take({StatusMsg(s)}, 1);
        TModuleNodeRec rec;
        rec.Device = list.Entries().at(0).get();
        EXPECT_EQ(DeviceNodeText(rec), c.text) << c.serial;
    }
    TDeviceInfo_cza added; // registered by address, not found by broadcast
    added.CK = Kvrdata_ns::dckFixedIP;
    TModuleNodeRec rec;
    rec.Device = &added;
    rec.Text = "Fixed";
    EXPECT_EQ(DeviceNodeText(rec), "Fixed");
}

TEST(ModuleTree, SiblingsSortByCharacterCodes)
{
    EXPECT_EQ(CompareNodeTexts("a", "B"), 1) << "upper case sorts before lower case";
    EXPECT_EQ(CompareNodeTexts("B", "a"), 0);
    EXPECT_EQ(CompareNodeTexts("x", "x"), 0);
    EXPECT_EQ(CompareNodeTexts("KX730-020  #F10", "KX730-020  #F2"), 0);
    EXPECT_EQ(CompareNodeTexts("\xE9", "z"), 1) << "characters above 127 sort after ASCII";
}

TEST(ModuleTree, RebuildKeepsExpansionAndFollowsTheModules)
{
    DeviceList list;
    Status s;
    s.Modules = {{1003, 4, 0}, {1001, 2, 0}, {1002, 3, 0}};
    list.Take({StatusMsg(s)}, 1);
    ModuleTree tree;
    TModuleNode* device = tree.AddDevice(list.Entries().at(0).get());
    ASSERT_EQ(device->Children.size(), 3u);
    EXPECT_EQ(device->Rec.Address, 0xFFFF);
    EXPECT_EQ(device->Rec.Type, 255);
    const TModuleNode* first = device->Children[0].get();
    EXPECT_EQ(first->Rec.Address, 1003);
    EXPECT_EQ(first->Rec.Type, 4);
    EXPECT_EQ(first->Level(), 1);

    const auto sorted = ModuleTree::Sorted(device->Children, tree);
    EXPECT_EQ(tree.NodeText(*sorted[0]), "KX730-010  #C1  PN: 1002");
    EXPECT_EQ(tree.NodeText(*sorted[2]), "KX730-851  #B1  PN: 1003");

    device->Expanded = true;
    s.Modules.pop_back();
    list.Take({StatusMsg(s)}, 2);
    tree.RebuildChildren(device);
    EXPECT_TRUE(device->Expanded);
    EXPECT_EQ(device->Children.size(), 2u);
    EXPECT_FALSE(tree.Contains(first));
    EXPECT_TRUE(tree.Contains(device->Children[0].get()));
}

} // namespace
