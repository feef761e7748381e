#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sstream>

#include "client/clientfixture.h"
#include "gfx/recordingcanvas.h"
#include "kvrdata/byteorder.h"
#include "model/globalresources.h"
#include "model/project.h"
#include "model/recordinghost.h"
#include "service/watch/watchcontroller.h"
#include "service/watch/watchgraph.h"
#include "service/watch/watchlistfile.h"

namespace {

using kvr::service::TWatch;
using kvr::service::WatchController;
using Kvrdata_ns::KVRCANBlock;
using Kvrdata_ns::TUDPMsg;

KVRCANBlock Block(std::uint32_t ID, std::vector<std::uint8_t> Data)
{
    KVRCANBlock b;
    b.ID = ID;
    b.Len = static_cast<std::uint8_t>(Data.size());
    std::copy(Data.begin(), Data.end(), b.Data.begin());
    return b;
}

class Watch : public clienttest::ClientTest {
protected:
    void SetUp() override
    {
        clienttest::ClientTest::SetUp();
        project.AddDevice();
        project.AddDevice();
        kvr::service::TWatchServices s;
        s.Project = [this] { return &project; };
        s.ProjectFileName = [this] { return projectFile; };
        s.ShowMessage = [this](const std::string& Text) { messages.push_back(Text); };
        s.Folder = folder.path().toStdString();
        controller = std::make_unique<WatchController>(Connected(), std::move(s));
        controller->OnLogLine = [this](const std::string& Line) { log.push_back(Line); };
        controller->SetDevice("", "Studio", project.Device(1)->GetDeviceID(), ProjectID());
    }
    void TearDown() override
    {
        controller.reset();
        clienttest::ClientTest::TearDown();
    }

    unsigned ProjectID() const { return static_cast<unsigned>(project.GetProjectID()); }
    // Watches written straight into the device's file, as a file edited by hand would be.
    void WriteList(const std::vector<kvr::service::WatchRecord>& Records)
    {
        WriteFile(kvr::service::WatchListFile::Encode(Records));
        controller->RefreshWatchList();
    }
    void WriteFile(const std::vector<std::uint8_t>& Bytes)
    {
        QFile f(QString::fromStdString(controller->WatchListPath()));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<qint64>(Bytes.size()));
    }
    std::vector<std::int32_t> IDs() const
    {
        std::vector<std::int32_t> ids;
        for (const TWatch& w : controller->Watches())
            ids.push_back(w.LogicID);
        return ids;
    }
    std::vector<std::string> States() const
    {
        std::vector<std::string> s;
        for (const auto& r : controller->Rows())
            s.push_back(r.State);
        return s;
    }
    std::vector<std::vector<std::uint8_t>> Requests() const
    {
        std::vector<std::vector<std::uint8_t>> out;
        for (const auto& b : Server->sentBlocks(Client->GetClientHandle())) {
            const KVRCANBlock cb = clienttest::BlockOf(b);
            if (cb.ID == kvr::service::WatchStateRequestID)
                out.push_back({cb.Len, cb.Data[0], cb.Data[1]});
        }
        return out;
    }

    kvr::model::test::RecordingHost host;
    kvr::model::TProject project;
    QTemporaryDir folder;
    std::string projectFile = "/projects/studio.kvp";
    std::vector<std::string> messages;
    std::vector<std::string> log;
    std::unique_ptr<WatchController> controller;
};

TEST(WatchAdmission, CategoriesAtTheirEdges)
{
    const struct {
        std::int32_t id;
        bool admitted;
    } cases[] = {
        {0, false},    {1, true},     {384, true},   {385, true},   {780, true},  {781, false}, // PFL per channel
        {930, false},  {931, true},   {1081, true},  {1415, true},  {1416, false}, // clean feed functions
        {1535, false}, {1536, true},  {1836, true},  {1985, true},  {2135, true},  {2136, false}, // PFL per fader
        {2175, false}, {2176, true},  {2235, true},  {2236, false}, {16383, false}, {-1, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kvr::service::IsMonitorableLogic(c.id), c.admitted) << c.id;
}

TEST_F(Watch, AddingRefusesWhatCanNotOrIsAlreadyMonitored)
{
    EXPECT_FALSE(controller->AddWatch(781, -1));
    EXPECT_FALSE(controller->AddWatch(2236, -1));
    ASSERT_TRUE(controller->AddWatch(1836, 4));
    EXPECT_FALSE(controller->AddWatch(1836, 5)) << "another secondary index is the same logic";
    EXPECT_EQ(messages, (std::vector<std::string>{"This logic can not be monitored", "This logic can not be monitored",
                                                  "This logic is already monitored!"}));
    EXPECT_EQ(IDs(), (std::vector<std::int32_t>{1836}));
}

TEST_F(Watch, AddAndRemoveWriteTheFileAndRequestEveryStateAnew)
{
    ASSERT_TRUE(controller->AddWatch(1086, -1));
    ASSERT_TRUE(controller->AddWatch(0x0102, -1));
    EXPECT_EQ(Requests(), (std::vector<std::vector<std::uint8_t>>{{2, 0x04, 0x3E}, {2, 0x04, 0x3E}, {2, 0x01, 0x02}}));
    EXPECT_EQ(QFileInfo(QString::fromStdString(controller->WatchListPath())).size(), 60 + 2 * 12);
    EXPECT_EQ(controller->WatchListPath(), folder.path().toStdString() + "/-Studio.tdv");

    controller->Select(-1);
    EXPECT_FALSE(controller->RemoveSelected()) << "nothing selected";
    controller->Select(1);
    ASSERT_TRUE(controller->RemoveSelected());
    EXPECT_EQ(IDs(), (std::vector<std::int32_t>{1086}));
    EXPECT_EQ(controller->Selected(), 0) << "the selection moves up to the last row";
    controller->Select(0);
    ASSERT_TRUE(controller->RemoveSelected());
    EXPECT_EQ(controller->Selected(), -1);
    EXPECT_EQ(QFileInfo(QString::fromStdString(controller->WatchListPath())).size(), 60);
}

TEST_F(Watch, NothingIsWrittenWhileTheProjectHasNoFile)
{
    projectFile.clear();
    WriteList({{5, 1, -1}});
    ASSERT_TRUE(controller->AddWatch(7, -1));
    EXPECT_EQ(IDs(), (std::vector<std::int32_t>{5})) << "the rebuild reads the device's older file";
}

TEST_F(Watch, ADamagedFileLeavesTheListAndADeviceNameStaysInItsFolder)
{
    WriteList({{5, 1, -1}, {6, 0, -1}});
    EXPECT_EQ(States(), (std::vector<std::string>{"0", "0"})) << "the stored state is never shown";
    std::vector<std::uint8_t> damaged = kvr::service::WatchListFile::Encode({{9, 0, -1}});
    damaged.resize(64);
    WriteFile(damaged);
    controller->RefreshWatchList();
    EXPECT_EQ(IDs(), (std::vector<std::int32_t>{5, 6}));

    controller->SetDevice("AB", "../../x", 1, 0);
    EXPECT_EQ(controller->WatchListPath(), folder.path().toStdString() + "/AB-.._.._x.tdv");
    EXPECT_EQ(controller->LogFileName(), "Watch-AB-.._.._x");
    controller->SetDevice(" ", "", 1, 0);
    EXPECT_EQ(controller->DeviceName(), "default");
    EXPECT_EQ(controller->Caption(), "Watching device default");
}

TEST_F(Watch, NamesSayUnknownDeviceAndWrongProject)
{
    WriteList({{1086, 0, -1}});
    EXPECT_EQ(controller->GetWatchName(1086, 12345), "unknown");
    const std::string name = controller->GetWatchName(1086, project.Device(1)->GetDeviceID());
    EXPECT_NE(name, "unknown");
    controller->SetDevice("", "Studio", project.Device(1)->GetDeviceID(), ProjectID() + 1);
    EXPECT_EQ(controller->GetWatchName(1086, project.Device(1)->GetDeviceID()), "(wrong project) " + name);
}

TEST_F(Watch, StatesFromEveryBlockClass)
{
    WriteList({{1086, 0, -1}, {1040, 0, -1}, {1081 + 0x300, 0, -1}, {0x0300, 0, -1}, {5, 0, -1}});
    const struct {
        const char* what;
        KVRCANBlock block;
        std::vector<std::string> states;
        std::size_t lines;
    } steps[] = {
        {"global logic 5", Block(0x11500000, {0, 5, 1}), {"1", "0", "0", "0", "0"}, 1},
        {"module address: ID as it is", Block(0x11500003, {0x04, 0x10, 1}), {"1", "1", "0", "0", "0"}, 2},
        {"0x01F3FFFF adds 1081", Block(0x01F3FFFF, {0x03, 0x00, 2}), {"1", "1", "1", "0", "0"}, 3},
        {"other 0x01F3 as it is", Block(0x01F30001, {0x03, 0x00, 1}), {"1", "1", "1", "1", "0"}, 4},
        {"equal state: no line", Block(0x110E0000, {0x04, 0x3E, 1}), {"1", "1", "1", "1", "0"}, 4},
        {"off", Block(0x110E0000, {0x04, 0x3E, 0}), {"0", "1", "1", "1", "0"}, 5},
        {"other classes ignored", Block(0x11200000, {0, 5, 1}), {"0", "1", "1", "1", "0"}, 5},
    };
    for (const auto& s : steps) {
        controller->BlockReceived(s.block);
        EXPECT_EQ(States(), s.states) << s.what;
        EXPECT_EQ(log.size(), s.lines) << s.what;
    }
    EXPECT_EQ(log.front(), controller->Rows()[0].Name + " -> 1");
    EXPECT_EQ(controller->Watches()[2].State, 2) << "the state byte is kept, shown as 1";
}

TEST_F(Watch, OnlyTheFirstOfTwoEqualWatchesFollows)
{
    WriteList({{5, 0, -1}, {5, 0, -1}});
    controller->BlockReceived(Block(0x110E0000, {0, 5, 1}));
    EXPECT_EQ(States(), (std::vector<std::string>{"1", "0"}));
}

TEST_F(Watch, GlobalResourceOwnerDecidesItsSubscribers)
{
    kvr::model::TGlobalResource r;
    ASSERT_EQ(kvr::model::AddGlobalResource(project, r), 1);
    r.Count = 2;
    r.Subscribers[0] = {project.Device(0)->GetDeviceID(), 1836};
    r.Subscribers[1] = {project.Device(1)->GetDeviceID(), 1837};
    kvr::model::SetGlobalResource(project, r);
    WriteList({{1836, 0, r.ID}, {1837, 0, r.ID}, {1838, 0, r.ID + 1}});
    const auto owner = [&](std::uint32_t Owner, int Resource) {
        KVRCANBlock b = Block(0x11900000, {0, 0, 0, 0, static_cast<std::uint8_t>(Resource)});
        kvr::writeBE32(b.Data, 0, Owner);
        controller->BlockReceived(b);
        return States();
    };
    EXPECT_EQ(owner(project.Device(1)->GetDeviceID(), r.ID), (std::vector<std::string>{"0", "1", "0"}));
    EXPECT_EQ(owner(project.Device(0)->GetDeviceID(), r.ID), (std::vector<std::string>{"1", "0", "0"}));
    EXPECT_EQ(owner(0, r.ID), (std::vector<std::string>{"0", "0", "0"})) << "owner 0 sets them all off";
    owner(project.Device(0)->GetDeviceID(), r.ID);
    EXPECT_EQ(owner(project.Device(1)->GetDeviceID(), 77), (std::vector<std::string>{"1", "0", "0"}))
        << "a resource the project lacks is ignored";
}

TEST_F(Watch, UDPGlobalLogicsOfThisProjectOnly)
{
    WriteList({{1086, 0, -1}});
    const auto msg = [](std::uint32_t Magic, std::uint32_t Project, std::uint32_t ID) {
        TUDPMsg m;
        kvr::writeLE32(m.Payload, 0, Magic);
        kvr::writeLE32(m.Payload, 4, Project);
        m.Payload[8] = 3;
        kvr::writeLE32(m.Payload, 10, ID);
        kvr::writeBE16(m.Payload, 14, 5);
        m.Payload[16] = 1;
        m.Length = 17;
        std::vector<std::uint8_t> v;
        Kvrdata_ns::UDPMsgToVariant(m, v);
        return v;
    };
    const auto projectID = static_cast<std::uint32_t>(project.GetProjectID());
    const std::int32_t h = Client->GetClientHandle();
    Server->queueUDP(h, msg(0x20081997, projectID, 0x11500000));
    Server->queueUDP(h, msg(0x20081996, projectID + 1, 0x11500000));
    Server->queueUDP(h, msg(0x20081996, projectID, 0x11500001));
    controller->DrainUDP();
    EXPECT_EQ(States(), (std::vector<std::string>{"0"}));
    Server->queueUDP(h, msg(0x20081996, projectID, 0x11500000));
    controller->DrainUDP();
    EXPECT_EQ(States(), (std::vector<std::string>{"1"}));
}

TEST_F(Watch, SamplesPerEventForEveryWatchWithinTheGraphWidth)
{
    WriteList({{5, 0, -1}, {6, 0, -1}});
    controller->GraphWidth = 300;
    int repaints = 0;
    controller->OnGraphChanged = [&] { ++repaints; };
    for (int i = 0; i < 150; ++i)
        controller->BlockReceived(Block(0x110E0000, {0, 5, static_cast<std::uint8_t>(i % 2 == 0)}));
    EXPECT_EQ(repaints, 150);
    EXPECT_EQ(controller->Watches()[0].HistoryLength, 99);
    EXPECT_EQ(controller->Watches()[1].HistoryLength, 99) << "a change of one watch samples every watch";
    EXPECT_FALSE(controller->Watches()[0].GetHistoryBit(98)) << "the newest sample is the last change: off";
    EXPECT_FALSE(controller->Watches()[0].GetHistoryBit(99));

    controller->ScrollPerEvent = false;
    controller->BlockReceived(Block(0x110E0000, {0, 5, 1}));
    EXPECT_EQ(repaints, 150) << "scrolling by time samples on the timer only";

    TWatch narrow;
    for (int i = 0; i < 3; ++i)
        narrow.AppendHistory(true, 0);
    EXPECT_EQ(narrow.HistoryLength, 0) << "a limit below 1 still ends";
}

TEST(WatchGraph, TwoWatchesOnTheRecordingCanvas)
{
    std::vector<TWatch> watches(2);
    watches[0].AppendHistory(true, 100);
    watches[0].AppendHistory(false, 100);
    watches[1].AppendHistory(false, 100);
    watches[1].AppendHistory(true, 100);
    kvr::gfx::RecordingCanvas c;
    kvr::service::PaintWatchGraph(c, 33, 40, 17, watches);
    using kvr::gfx::OpKind;
    std::vector<std::string> seen;
    for (const auto& op : c.ops()) {
        std::ostringstream s;
        if (op.kind == OpKind::Line)
            s << "line " << op.points[0].x << "," << op.points[0].y << "-" << op.points[1].x << "," << op.points[1].y
              << (op.pen.color == kvr::gfx::clHotLight ? " hot" : "") << (op.pen.color == kvr::gfx::clWindow ? " window" : "");
        else
            s << kvr::gfx::opKindName(op.kind) << " " << op.rect.left << "," << op.rect.top << "," << op.rect.right << ","
              << op.rect.bottom;
        seen.push_back(s.str());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"Rectangle 0,0,33,40", "line 32,0-32,40 window", "line 0,17-33,17",
                                              "line 0,0-0,40 hot", "FillRect 0,7,3,17", "line 30,0-30,40 hot",
                                              "line 0,34-33,34", "FillRect 3,24,6,34"}));

    kvr::gfx::RecordingCanvas empty;
    kvr::service::PaintWatchGraph(empty, 33, 40, 17, {});
    EXPECT_TRUE(empty.ops().empty());

    kvr::gfx::RecordingCanvas cursor;
    kvr::service::DrawGraphCursor(cursor, 12, 40);
    ASSERT_EQ(cursor.ops().size(), 1u);
    EXPECT_EQ(cursor.ops()[0].pen.mode, kvr::gfx::PenMode::NotXor);
    EXPECT_EQ(cursor.pen().mode, kvr::gfx::PenMode::Copy);
}

} // namespace
