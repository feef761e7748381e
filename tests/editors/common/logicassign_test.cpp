#include <gtest/gtest.h>

#include <functional>

#include "editors/common/sourceassign.h"
#include "faketarget.h"
#include "model/faderaccess.h"
#include "model/gpoaccess.h"
#include "model/keyaccess.h"
#include "model/logicaccess.h"
#include "model/outputfunctions.h"
#include "model/summingbuses.h"
#include "model/superoutputs.h"
#include "sourcefixture.h"

namespace kvr::editors::test {
namespace {

class LogicAssign : public SourceProject {
public:
    LogicAssign()
    {
        dev->SetData(stScript, ScriptRec("Run", 0));
        target.record = ToKey(KeyRec(7, "Key", 4));
    }
    static TKeyRecord ToKey(const Bytes& b)
    {
        TKeyRecord r{};
        std::copy(b.begin(), b.end(), r.begin());
        return r;
    }
    AssignOutcome Assign(int kind, std::uint16_t ref, int nodeDevice = 0, const std::string& text = "Node")
    {
        targets.Set(kind, &target);
        PickedSource source;
        source.Ref = ref;
        source.DeviceIndex = nodeDevice;
        source.Text = text;
        return AssignLogicSource(project, 0, kind, source, targets, dev->GetDeviceID());
    }
    TFaderChannel Channel(int number)
    {
        TFaderChannel c;
        GetFaderChannel(*dev, number, c);
        return c;
    }
    int Header16(std::size_t at) { return readBE16(dev->GetHeader(), at); }

    FakeTarget target;
    SourceTargets targets;
};

struct WriteCase {
    const char* what;
    int kind;
    TargetSelection sel;
    std::function<int(LogicAssign&)> read;
    int expected;
};

// Condition "pulse on activate" on source 1286 ("Voice"): kinds that take the ID only drop it.
constexpr std::uint16_t kRef = 0x4000 | 1286;

TEST_F(LogicAssign, EveryKindWritesItsRecord)
{
    using T = LogicAssign;
    const WriteCase cases[] = {
        {"console key logic word 1", ltConsoleKey, {1}, [](T& t) {
             TKeyRecord r{};
             GetKeyFunction(*t.dev, 7, r, 100);
             return static_cast<int>(readBE16(r, 38));
         }, 1286},
        {"logic function appended", ltLogicFunction, {0}, [](T& t) {
             TLogicFunction f;
             GetLogicFunction(*t.dev, 0, f);
             return f.SourceCount() * 0x10000 + f.Source[0];
         }, 0x10000 + kRef},
        {"logic delay", ltLogicDelay, {0}, [](T& t) {
             TLogicDelay d;
             GetLogicDelay(*t.dev, 0, d);
             return static_cast<int>(d.Source);
         }, 1286},
        {"script", ltScript, {0}, [](T& t) {
             TScript s;
             GetScript(*t.dev, 0, s);
             return static_cast<int>(s.Source);
         }, 1286},
        {"fader lamp", ltFaderLamp, {5}, [](T& t) { return static_cast<int>(t.Channel(5).LampSource); }, 1286},
        {"fader mute", ltFaderMute, {5}, [](T& t) { return static_cast<int>(t.Channel(5).MuteCondition); }, 1286},
        {"fader ready", ltFaderReady, {5}, [](T& t) { return static_cast<int>(t.Channel(5).ReadySignal); }, 1286},
        {"fader FF2 select", ltFaderFF2Select, {5}, [](T& t) { return static_cast<int>(t.Channel(5).LampSource2); }, 1286},
        {"fader timer", ltFaderTimer, {5}, [](T& t) { return static_cast<int>(t.Channel(5).ChannelTimer); }, 1286},
        {"GPO keeps the condition", ltGPORouting, {3}, [](T& t) { return static_cast<int>(GetGPORouting(*t.dev, 3)); }, kRef},
        {"output function condition", ltOutFktCondition, {0, 1}, [](T& t) {
             TOutputFunction f;
             GetOutputFunction(*t.dev, 0, f);
             return static_cast<int>(f.Cond[1].ConditionID);
         }, 1286},
        {"bus talk condition 1", ltTalkCondition1, {1}, [](T& t) {
             TBusRecord b;
             GetBus(*t.dev, 1, b);
             return static_cast<int>(b.Logic1);
         }, 1286},
        {"clean feed talk condition 2", ltTalkCondition2, {3, -1, 0}, [](T& t) {
             TBusRecord b;
             GetCleanFeed(*t.dev, 0, b);
             return static_cast<int>(b.Logic2);
         }, 1286},
        {"slot 20 card logic", ltSlot20Logic, {}, [](T& t) { return t.Header16(100); }, 1286},
        {"slot 30 card logic", ltSlot30Logic, {}, [](T& t) { return t.Header16(102); }, 1286},
        {"PIN source 2", ltPinSource2, {}, [](T& t) {
             TUserGroups g;
             GetUserGroups(*t.dev, g);
             return static_cast<int>(g.PinLogic2);
         }, 1286},
        {"preparation mode", ltPreparationMode, {}, [](T& t) { return t.Header16(108); }, 1286},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LogicAssign& t = *this;
        target.sel = c.sel;
        target.refreshed.clear();
        const AssignOutcome out = Assign(c.kind, kRef);
        EXPECT_TRUE(out.Written);
        EXPECT_EQ(out.Message, "");
        EXPECT_EQ(c.read(t), c.expected);
        ASSERT_EQ(target.refreshed.size(), 1u);
        EXPECT_EQ(target.refreshed[0].kind, c.kind);
    }
}

TEST_F(LogicAssign, UnmetPreconditionsChangeNothing)
{
    const std::pair<int, TargetSelection> cases[] = {
        {ltConsoleKey, {}}, {ltConsoleKey, {9}}, // no row, a row past the record's three logic words
        {ltLogicFunction, {}}, {ltLogicFunction, {9}}, {ltLogicDelay, {}}, {ltLogicDelay, {9}},
        {ltScript, {}}, {ltScript, {9}}, {ltFaderLamp, {}}, {ltFaderReady, {9}}, {ltGPORouting, {}},
        {ltOutFktCondition, {0}}, {ltOutFktCondition, {0, 9}}, {ltOutFktCondition, {9, 0}},
        {ltTalkCondition1, {}}, {ltTalkCondition1, {9}}, {ltTalkCondition2, {0, -1, 9}}, {ltGlobalLogic, {}},
        {ltGlobalLogic, {200}}, {ltSOFCondition + 100, {0}}};
    const auto before = dev->GetAllData();
    for (const auto& [kind, sel] : cases) {
        target.sel = sel;
        EXPECT_FALSE(Assign(kind, kRef).Written) << kind << " " << sel.Element << " " << sel.Row;
    }
    // Key kinds without a key being edited.
    target.hasKey = false;
    target.sel = {0};
    EXPECT_FALSE(Assign(ltConsoleKey, kRef).Written);
    EXPECT_FALSE(Assign(ltKeyLogicFunction, kRef).Written);
    EXPECT_EQ(dev->GetAllData(), before);
    EXPECT_TRUE(target.refreshed.empty());

    // Without a registered target nothing is written, whatever the kind.
    targets = {};
    PickedSource source;
    source.Ref = 1286;
    for (int kind = 0; kind <= 24; ++kind)
        EXPECT_FALSE(AssignLogicSource(project, 0, kind, source, targets, dev->GetDeviceID()).Written);
    EXPECT_EQ(dev->GetAllData(), before);
}

TEST_F(LogicAssign, OffOnlyForReadySignalisation)
{
    target.sel = {5};
    const auto before = dev->GetAllData();
    for (const int kind : {ltFaderLamp, ltGPORouting, ltPinSource1, ltPreparationMode, ltNone}) {
        const AssignOutcome out = Assign(kind, 0xC000 | 0x3FFF);
        EXPECT_FALSE(out.Written);
        EXPECT_EQ(out.Message, "Logic function \"Off\" can only be assigned to \"Ready signalisation\"");
    }
    EXPECT_EQ(dev->GetAllData(), before);
    EXPECT_TRUE(Assign(ltFaderReady, 0xC000 | 0x3FFF).Written);
    EXPECT_EQ(Channel(5).ReadySignal, 0x3FFF);
}

TEST_F(LogicAssign, LogicFunctionSourcesReplaceAppendAndStopAt20)
{
    dev->SetData(stLogicFkt, Concat({LogicRec("Two", {931, 932}), LogicRec("Full", std::initializer_list<std::uint16_t>{
                                                                                      1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12,
                                                                                      13, 14, 15, 16, 17, 18, 19, 20})}));
    target.sel = {0, 1};
    EXPECT_TRUE(Assign(ltLogicFunction, kRef).Written);
    TLogicFunction f;
    GetLogicFunction(*dev, 0, f);
    EXPECT_EQ(f.SourceCount(), 2);
    EXPECT_EQ(f.Source[1], kRef);

    const auto before = dev->GetAllData();
    target.sel = {1, -1};
    const AssignOutcome out = Assign(ltLogicFunction, kRef);
    EXPECT_FALSE(out.Written);
    EXPECT_EQ(out.Message, "Cannot add more logic sources! Maximum number is 20.");
    EXPECT_EQ(dev->GetAllData(), before);
}

TEST_F(LogicAssign, KeyLogicFunctionReplacesTheWholeLabel)
{
    target.record = ToKey(KeyRec(7, "An old and very long label xyz", 4, 0x1111));
    EXPECT_TRUE(Assign(ltKeyLogicFunction, kRef).Written);
    TKeyRecord stored{};
    ASSERT_EQ(GetKeyFunction(*dev, 7, stored, 100), 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&stored[1]), 11), "DONOTDELETE");
    for (std::size_t i = 12; i <= 30; ++i)
        EXPECT_EQ(stored[i], 0) << i;
    EXPECT_EQ(stored[33], 63);
    EXPECT_EQ(readBE16(stored, 36), 1286);
}

TEST_F(LogicAssign, GlobalLogicHasOneSenderInTheProject)
{
    project.AddDevice();
    FillStudio(*project.Device(1), "Studio B");
    SetGLSource(*project.Device(1), 4, 931);
    target.sel = {4};
    EXPECT_TRUE(Assign(ltGlobalLogic, kRef, 0, "OffAir").Written);
    EXPECT_EQ(GetGLSource(*dev, 4), 1286);
    EXPECT_EQ(GetGLSource(*project.Device(1), 4), 0);
    EXPECT_EQ(GetGlobalLogicName(project, 4), "OffAir");

    // A name of its own stays; a node without device leaves the logic without sender.
    EXPECT_TRUE(Assign(ltGlobalLogic, 1285, 1, "Other").Written);
    EXPECT_EQ(GetGLSource(*project.Device(1), 4), 1285);
    EXPECT_EQ(GetGlobalLogicName(project, 4), "OffAir");
    EXPECT_TRUE(Assign(ltGlobalLogic, 0, -1, "None").Written);
    EXPECT_EQ(GetGLSource(*dev, 4), 0);
    EXPECT_EQ(GetGLSource(*project.Device(1), 4), 0);
}

// The project page assigns with the project root selected (no current device); a fixed-model
// device cannot send, and the sender it would have replaced stays.
TEST_F(LogicAssign, GlobalLogicNeedsNoCurrentDeviceAndRefusesAFixedModelSender)
{
    project.AddDevice();
    FillStudio(*project.Device(1), "Fixed");
    auto header = project.Device(1)->GetHeader();
    header[dh::DummyDevModel] = 27;
    project.Device(1)->SetHeader(header, false);
    SetGLSource(*dev, 4, 931);
    targets.Set(ltGlobalLogic, &target);
    target.sel = {4};
    PickedSource source;
    source.Ref = 0xC000 | 1285;
    source.DeviceIndex = 1;
    source.Text = "Fixed node";
    EXPECT_FALSE(AssignLogicSource(project, -1, ltGlobalLogic, source, targets, -1).Written);
    EXPECT_EQ(GetGLSource(*dev, 4), 931);
    EXPECT_TRUE(target.refreshed.empty());

    source.DeviceIndex = 0;
    EXPECT_TRUE(AssignLogicSource(project, -1, ltGlobalLogic, source, targets, -1).Written);
    EXPECT_EQ(GetGLSource(*dev, 4), 1285);
    ASSERT_EQ(target.refreshed.size(), 1u);
    EXPECT_EQ(target.refreshed[0].source.Ref, 1285);
}

TEST_F(LogicAssign, FramesAndTheWatchWindowTakeTheSourceThemselves)
{
    target.sel = {2, 1};
    EXPECT_TRUE(Assign(ltSOFCondition, kRef).Written);
    ASSERT_EQ(target.taken.size(), 1u);
    EXPECT_EQ(target.taken[0].source.Ref, 1286);
    EXPECT_EQ(target.taken[0].selection.Row, 1);

    // The watch window takes a source of the device it is connected to, never "None".
    target.taken.clear();
    target.watched = dev->GetDeviceID() + 1;
    EXPECT_FALSE(Assign(ltWatch, kRef).Written);
    target.watched = dev->GetDeviceID();
    EXPECT_FALSE(Assign(ltWatch, 0xC000).Written);
    EXPECT_TRUE(Assign(ltWatch, kRef).Written);
    ASSERT_EQ(target.taken.size(), 1u);
    EXPECT_EQ(target.taken[0].source.Ref, 1286);
}

TEST_F(LogicAssign, TheOpenLogicEditorDecidesWhereTheButtonAssigns)
{
    FakeTarget function, delay, script;
    targets.Set(ltLogicFunction, &function);
    targets.Set(ltLogicDelay, &delay);
    targets.Set(ltScript, &script);
    EXPECT_EQ(ResolveLogicKind(ltGPORouting, AssignSender::Button, true, targets), ltGPORouting);
    function.open = true;
    delay.open = true;
    EXPECT_EQ(ResolveLogicKind(ltGPORouting, AssignSender::Button, true, targets), ltLogicDelay);
    script.open = true;
    EXPECT_EQ(ResolveLogicKind(ltGPORouting, AssignSender::Button, true, targets), ltScript);
    // Drops and other owners keep their kind.
    EXPECT_EQ(ResolveLogicKind(ltGPORouting, AssignSender::Page, true, targets), ltGPORouting);
    EXPECT_EQ(ResolveLogicKind(ltWatch, AssignSender::Button, false, targets), ltWatch);
}

} // namespace
} // namespace kvr::editors::test
