// Reading a device file for the slot import, its rows and the copy into a device.
#include "app/slotimport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "app/projectaccess.h"
#include "model/device.h"
#include "model/project.h"

using namespace kvr::app;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct RawEntry {
    std::uint8_t id;
    Bytes payload;
};

// Header and area A only, as the import reads them.
Bytes DeviceFile(const std::vector<RawEntry>& entries, std::size_t padTo = 0)
{
    Bytes file(200, 0);
    file[53] = static_cast<std::uint8_t>(entries.size());
    for (const RawEntry& e : entries) {
        file.push_back(e.id);
        file.push_back(0);
        file.push_back(static_cast<std::uint8_t>(e.payload.size() >> 8));
        file.push_back(static_cast<std::uint8_t>(e.payload.size()));
        file.insert(file.end(), e.payload.begin(), e.payload.end());
    }
    if (file.size() < padTo)
        file.resize(padTo, 0);
    return file;
}

Bytes Card(int type, std::size_t size, std::uint8_t byte4 = 0)
{
    Bytes payload(size, 0);
    payload[0] = static_cast<std::uint8_t>(type >> 8);
    payload[1] = static_cast<std::uint8_t>(type);
    if (size > 4)
        payload[4] = byte4;
    return payload;
}

class SlotImportFile : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() / ("kvr_import_" + std::to_string(::getpid()));
    SlotImport import;

    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }
    std::string Write(const std::string& name, const Bytes& bytes)
    {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
};

} // namespace

TEST(SlotImportRows, TextByCardType)
{
    struct Case {
        std::optional<Bytes> payload;
        std::string row;
    } const cases[] = {
        {std::nullopt, "Slot 4 empty"},
        {Card(111, 100), "Slot 4 100Bytes, Type 111, Digital I/O"},
        {Card(122, 28), "Slot 4 28Bytes, Type 122, Analog I/O"},
        {Card(123, 28), "Slot 4 28Bytes, Type 123, Analog In"},
        {Card(222, 28), "Slot 4 28Bytes, Type 222, Analog I/O"},
        {Card(223, 28), "Slot 4 28Bytes, Type 223, Analog I/O"},
        {Card(848, 8, 6), "Slot 4 8Bytes, Type 848-6, DSP"},
        {Card(848, 4), "Slot 4 4Bytes, Type 848-0, DSP"}, // too short for the sub-type
        {Card(500, 8), "Slot 4 8Bytes"},
        {Bytes{}, "Slot 4 0Bytes"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SlotRowText(4, c.payload), c.row);
}

TEST_F(SlotImportFile, ListsAllThirtySlotsOfTheFile)
{
    ASSERT_EQ(import.Load(Write("a.kvf", DeviceFile({{2, Card(111, 60)}, {9, Card(848, 12, 2)}}))), "");
    const auto rows = import.SlotRows();
    ASSERT_EQ(rows.size(), 30u);
    EXPECT_EQ(rows[0], "Slot 0 empty");
    EXPECT_EQ(rows[2], "Slot 2 60Bytes, Type 111, Digital I/O");
    EXPECT_EQ(rows[9], "Slot 9 12Bytes, Type 848-2, DSP");
    EXPECT_EQ(rows[29], "Slot 29 empty");
}

TEST_F(SlotImportFile, FilesAreReadWholeUpToTheLargestImageAndEntriesStayInsideTheData)
{
    EXPECT_EQ(import.Load((dir / "missing.kvf").string()), "Unable to open file!");
    EXPECT_EQ(import.Load(Write("empty.kvf", {})), "Selected file has zero-size!");
    EXPECT_NE(import.Load(Write("huge.kvf", DeviceFile({}, 64001))), "");
    EXPECT_FALSE(import.IsLoaded());

    // An image of 64000 bytes with a slot behind the 40000th byte.
    ASSERT_EQ(import.Load(Write("big.kvf", DeviceFile({{1, Bytes(45000, 7)}, {5, Card(123, 28)}}, 64000))), "");
    EXPECT_EQ(import.FindSlotEntry(1)->size(), 45000u);
    EXPECT_EQ(import.SlotRows()[5], "Slot 5 28Bytes, Type 123, Analog In");

    // A length that runs past the end of the file ends the walk.
    Bytes cut = DeviceFile({{3, Card(111, 40)}, {4, Card(111, 40)}});
    cut.resize(cut.size() - 1);
    ASSERT_EQ(import.Load(Write("cut.kvf", cut)), "");
    EXPECT_TRUE(import.FindSlotEntry(3));
    EXPECT_FALSE(import.FindSlotEntry(4));
    // More entries claimed than present.
    Bytes claims = DeviceFile({{3, Card(111, 40)}});
    claims[53] = 200;
    ASSERT_EQ(import.Load(Write("claims.kvf", claims)), "");
    EXPECT_FALSE(import.FindSlotEntry(7));
    // Shorter than a header: nothing in it.
    ASSERT_EQ(import.Load(Write("short.kvf", Bytes(50, 1))), "");
    EXPECT_EQ(import.SlotRows()[1], "Slot 1 empty");
}

TEST_F(SlotImportFile, ChosenSlotsReplaceTheDevicesCardsAndEmptyOnesRemoveThem)
{
    std::unique_ptr<ProjectAccess> project = NewProject();
    kvr::model::TDevice& device = *project->Model()->Device(project->Model()->AddDevice());
    ASSERT_GE(device.SetSetupData(19, Card(848, 8, 2)), 0);
    // A DSP payload larger than 16384 bytes is copied whole.
    ASSERT_EQ(import.Load(Write("a.kvf", DeviceFile({{9, Card(848, 20000, 3)}}))), "");
    const Bytes before = device.GetSetupData(9);

    EXPECT_FALSE(ImportSlots(project.get(), -1, import, {9}));
    EXPECT_FALSE(ImportSlots(nullptr, 0, import, {9}));
    EXPECT_EQ(device.GetSetupData(9), before);

    EXPECT_TRUE(ImportSlots(project.get(), 0, import, {9, 19}));
    EXPECT_EQ(device.GetSetupData(9), Card(848, 20000, 3));
    EXPECT_TRUE(device.GetSetupData(19).empty());
}
