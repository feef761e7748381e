#include "imagebuilder.h"
#include "model/project.h"
#include "model/recordhooks.h"
#include "recordinghost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace kvr;
using namespace kvr::model;
using namespace kvr::model::test;
namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t version(unsigned major, unsigned minor, unsigned release, unsigned build = 0)
{
    return (std::uint64_t{major} << 48) | (std::uint64_t{minor} << 32) | (std::uint64_t{release} << 16) | build;
}

struct FileSpec {
    std::uint64_t fileVersion = version(5, 1, 9, 409);
    std::vector<Entry> entries;
    std::vector<Bytes> images;
    bool oldLayout = false;      // block size in bytes 82-83, without the header
    bool littleEndian = false;   // device lengths
    int blockSizeField = -1;     // overrides what is written into the size field
    int deviceCountField = -1;   // overrides header byte 78
};

Bytes projectFile(const FileSpec& spec)
{
    Bytes block(100, 0);
    block[0] = 0x22, block[1] = 0x10, block[2] = 0x20, block[3] = 0x01;
    writeBE64(block, 4, spec.fileVersion);
    std::memcpy(block.data() + 12, "From File", 9);
    std::memcpy(block.data() + 88, "WXYZ", 4);
    block[78] = static_cast<std::uint8_t>(spec.deviceCountField >= 0 ? spec.deviceCountField : spec.images.size());
    for (const auto& e : spec.entries)
        appendEntry(block, e);
    const int size = spec.blockSizeField >= 0 ? spec.blockSizeField : static_cast<int>(block.size());
    if (spec.oldLayout)
        writeBE16(block, 82, static_cast<std::uint16_t>(size - 100));
    else
        writeBE16(block, 80, static_cast<std::uint16_t>(size));
    ByteWriter w(block);
    for (const auto& image : spec.images) {
        if (spec.littleEndian)
            w.le16(static_cast<std::uint16_t>(image.size()));
        else
            w.be16(static_cast<std::uint16_t>(image.size()));
        w.bytes(image);
    }
    return block;
}

// The image as a device holds it once loaded: the load repairs add what an older image lacks.
Bytes asLoaded(const Bytes& image)
{
    TDevice device;
    device.SetAllData(image);
    return device.GetAllData();
}

Bytes deviceImage(std::uint32_t id, std::size_t payload = 20)
{
    // With a chip card ID, loading takes the image as it is.
    Bytes image = makeImage({{9, {0x03, 0x50, 0, 0xFE, 0, 0, 0, 0}}}, {{3, Bytes(payload, static_cast<std::uint8_t>(id))}}, id,
                     "Dev " + std::to_string(id));
    std::memcpy(image.data() + 110, "CHIP", 4);
    image[61] = 16; // the summing-bus capacity of its DSP card, as the fitting keeps it
    return image;
}

class FileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("kvr-model-" + std::to_string(::getpid()) + "-" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string path(const std::string& name) const { return (dir / name).string(); }

    std::string write(const std::string& name, const Bytes& bytes) const
    {
        std::ofstream out(path(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path(name);
    }

    static Bytes read(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::size_t filesInDir() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator())); }

    // A project with something in it, to see that failed loads leave it alone.
    void fillProject(TProject& project)
    {
        project.SetName("Keep");
        project.AddDevice();
        project.Device(0)->SetData(3, Bytes{1, 2, 3});
        project.SetProjData(pstGlobalPots, Bytes(8, 'p'));
    }

    RecordingHost host;
    fs::path dir;
};

TEST_F(FileTest, ProjectRoundTripKeepsBlockAndImages)
{
    TProject project;
    fillProject(project);
    project.AddDevice();
    project.AddDevice();
    project.Device(2)->SetSetupData(120, Bytes(300, 9));
    project.SetProjData(pstDeviceLinks, Bytes(16, 1));
    host.now = 1800000000;

    const std::string file = path("p.kvp");
    ASSERT_EQ(1, project.SaveToDisk(file, true));
    EXPECT_TRUE(host.shown.empty());
    EXPECT_FALSE(project.IsChanged());
    EXPECT_EQ("tester", project.GetUserName());
    EXPECT_EQ(1u, filesInDir()); // no temporary file left behind

    TProject loaded; // an open project with devices of its own is replaced whole
    fillProject(loaded);
    loaded.AddDevice();
    loaded.AddDevice();
    loaded.AddDevice();
    ASSERT_EQ(1, loaded.LoadFromDisk(file, false));
    EXPECT_TRUE(host.shown.empty());
    EXPECT_EQ(Bytes(project.Block().begin(), project.Block().end()), Bytes(loaded.Block().begin(), loaded.Block().end()));
    EXPECT_EQ(1800000000u, readBE32(loaded.Block(), 84));
    ASSERT_EQ(3, loaded.DeviceCount());
    for (int i = 0; i < 3; ++i) {
        Bytes saved = asLoaded(project.Device(i)->GetAllData());
        const Bytes taken = loaded.Device(i)->GetAllData();
        ASSERT_EQ(saved.size(), taken.size());
        EXPECT_EQ(1, taken[76]); // the device had unsaved changes when it was written
        saved[76] = taken[76];
        EXPECT_EQ(saved, taken) << i;
        EXPECT_EQ(project.GetProjectID(), static_cast<std::int32_t>(readBE32(loaded.Device(i)->Header(), 12)));
    }
    EXPECT_FALSE(loaded.IsModified());

    // The file is exactly the block and each device's length and image.
    std::size_t expected = project.BlockSize();
    for (int i = 0; i < 3; ++i)
        expected += 2 + project.Device(i)->GetAllData().size();
    EXPECT_EQ(expected, read(file).size());
}

// Fresh devices lack what the load repairs add (fader-channel labels, group logic, user groups,
// reserved keys). Reading the file must not stamp them: a device running the saved image would
// show "Modified" after every open.
TEST_F(FileTest, OpeningASavedProjectKeepsEveryDevicesStamp)
{
    TProject project;
    project.AddDevice();
    project.AddDevice();
    host.now = 1800000100;
    project.Device(1)->SetName("Edited");
    host.now = 1800000200;
    const std::string file = path("stamps.kvp");
    ASSERT_EQ(1, project.SaveToDisk(file, true));
    const std::uint32_t saved[2] = {project.Device(0)->GetChangeTime(), project.Device(1)->GetChangeTime()};

    const auto openAt = [&](std::uint32_t now, TProject& into) {
        host.now = now;
        ASSERT_EQ(1, into.LoadFromDisk(file, false));
        EXPECT_FALSE(into.IsChanged());
        for (int d = 0; d < 2; ++d) {
            EXPECT_EQ(saved[d], into.Device(d)->GetChangeTime()) << "device " << d << " opened at " << now;
            // A device running the saved image reports that stamp: online, not modified.
            TDeviceOnlineRecord r;
            r.ProjectID = static_cast<std::uint32_t>(into.GetProjectID());
            r.DeviceID = into.Device(d)->GetDeviceID();
            r.Stamp = saved[d];
            into.UpdateOnlineState(r);
            EXPECT_EQ(1u, into.Device(d)->FOnline);
            EXPECT_EQ(0u, into.Device(d)->FOnlineModified) << "device " << d;
        }
    };
    TProject first;
    openAt(1800000300, first);
    TProject second;
    openAt(1800000400, second);
    for (int d = 0; d < 2; ++d)
        EXPECT_EQ(first.Device(d)->GetAllData(), second.Device(d)->GetAllData());

    // Saved again unchanged and reopened: still the same stamps.
    host.now = 1800000500;
    ASSERT_EQ(1, second.SaveToDisk(file, true));
    TProject third;
    openAt(1800000600, third);
}

struct LayoutCase {
    const char* what;
    FileSpec spec;
    std::size_t blockSize;
    std::vector<std::string> messages;
};

TEST_F(FileTest, EveryVersionLayoutIsRead)
{
    const std::string older = "Warning! This file was created with an older version of Cordex4.\nPlease check entire configuration carefully.";
    const Entry entry{pstGlobalLogics, Bytes(284, 'g')}; // 288 bytes of entries
    const Bytes image528 = deviceImage(3, 528 - 200 - 12 - 4);
    ASSERT_EQ(528u, image528.size());

    const LayoutCase cases[] = {
        {"current", {version(5, 1, 9, 409), {entry}, {deviceImage(1)}}, 388, {}},
        {"own version, higher build", {version(5, 1, 9, 999), {entry}, {deviceImage(1)}}, 388, {}},
        {"5.1.8 keeps the size in 82-83", {version(5, 1, 8), {entry}, {deviceImage(1)}, true}, 388, {}},
        {"5.0.8", {version(5, 0, 8), {entry}, {deviceImage(1)}, true}, 388, {}},
        {"5.0.0", {version(5, 0, 0), {entry}, {deviceImage(1)}, true}, 388, {}},
        {"0.0.1 has little-endian lengths", {version(0, 0, 1), {entry}, {image528}, true, true}, 388, {older}},
        {"a part of 16 reads as 0.0.1", {version(16, 2, 3), {entry}, {image528}, true, true}, 388, {older}},
        {"4.99.1 reads as 0.0.1", {version(4, 99, 1), {entry}, {image528}, true, true}, 388, {older}},
        {"5.0.5 has no readable global data", {version(5, 0, 5), {}, {deviceImage(1)}}, 100,
         {"Unknown file version... cannot read global data!"}},
        {"newer", {version(6, 0, 1, 2), {entry}, {deviceImage(1)}}, 388,
         {"Warning! This file was created with a newer Cordex4, version 6.0.1"}},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.what);
        host.shown.clear();
        TProject project;
        ASSERT_EQ(1, project.LoadFromDisk(write("layout.kvp", projectFile(c.spec)), false));
        EXPECT_EQ(c.messages, host.Texts());
        EXPECT_EQ(c.blockSize, project.BlockSize());
        if (c.blockSize > 100) {
            EXPECT_EQ(entry.payload, project.GetProjData(pstGlobalLogics));
        }
        ASSERT_EQ(1, project.DeviceCount());
        EXPECT_EQ(asLoaded(c.spec.images[0]), project.Device(0)->GetAllData());
        EXPECT_EQ("From File", project.GetName());
    }
}

TEST_F(FileTest, QuietLoadShowsNoVersionWarnings)
{
    TProject project;
    FileSpec spec{version(6, 0, 0), {}, {deviceImage(1)}};
    EXPECT_EQ(1, project.LoadFromDisk(write("new.kvp", projectFile(spec)), true));
    EXPECT_TRUE(host.shown.empty());
}

TEST_F(FileTest, InvalidProjectDataIsDroppedAndTheDevicesStillLoad)
{
    const std::string dropped = "Project data has invalid size. Global Logic Names and Device Links removed!";
    Bytes badEntries = projectFile({version(5, 1, 9), {{pstGlobalPots, Bytes(10, 'x')}}, {deviceImage(1)}});
    writeBE16(badEntries, 102, 20); // the entry claims more than the block holds

    struct Case {
        const char* what;
        Bytes file;
    };
    const Case cases[] = {
        {"size above 8000", projectFile({version(5, 1, 9), {}, {deviceImage(1)}, false, false, 9000})},
        {"size below the header", projectFile({version(5, 1, 9), {}, {deviceImage(1)}, false, false, 50})},
        {"old layout above 8000", projectFile({version(5, 1, 8), {}, {deviceImage(1)}, true, false, 8101})},
        {"entries that do not fill the block", badEntries},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.shown.clear();
        TProject project;
        ASSERT_EQ(1, project.LoadFromDisk(write("bad.kvp", c.file), false));
        EXPECT_EQ((std::vector<std::string>{dropped}), host.Texts());
        EXPECT_EQ(100u, project.BlockSize());
        ASSERT_EQ(1, project.DeviceCount());
        EXPECT_EQ(asLoaded(deviceImage(1)), project.Device(0)->GetAllData());
    }
}

TEST_F(FileTest, RefusedProjectFilesLeaveTheOpenProjectUntouched)
{
    const std::string prefix = "Error: Project->LoadFromDisk: ";
    Bytes damaged = deviceImage(2);
    damaged[60] = 5; // more structures than the area holds
    Bytes longLength = projectFile({version(5, 1, 9), {}, {deviceImage(1)}});
    writeBE16(longLength, 100, 64001);
    longLength.resize(100 + 2 + 64001, 0);

    struct Case {
        const char* what;
        Bytes file;
        std::string message;
    };
    const Case cases[] = {
        {"not a project file", Bytes{'M', 'P', 'J', '2', 0, 0}, prefix + "No valid project file!!"},
        {"three bytes", Bytes{0x22, 0x10, 0x20}, prefix + "No valid project file!!"},
        {"short header", Bytes{0x22, 0x10, 0x20, 0x01, 0, 5}, prefix + "Unable to read from file! Disk error?!"},
        {"short block", [] { Bytes f = projectFile({version(5, 1, 9), {{2, Bytes(50, 1)}}, {}}); f.resize(120); return f; }(),
         prefix + "Unable to read from file. Disk error?!"},
        {"missing device length", projectFile({version(5, 1, 9), {}, {deviceImage(1)}, false, false, -1, 2}),
         prefix + "Unable to read from file. Already opened?!"},
        {"short image", [] { Bytes f = projectFile({version(5, 1, 9), {}, {deviceImage(1)}}); f.pop_back(); return f; }(),
         prefix + "Unable to read from file. Possible disk error?!"},
        {"image longer than 64000", longLength, prefix + "Unable to read from file. Possible disk error?!"},
        {"damaged image", projectFile({version(5, 1, 9), {}, {deviceImage(1), damaged}}),
         prefix + "Device 2 of the file is damaged: the structures do not fill their area!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TProject project;
        fillProject(project);
        const Bytes block(project.Block().begin(), project.Block().end());
        const Bytes image = project.Device(0)->GetAllData();
        host.shown.clear();

        EXPECT_EQ(0, project.LoadFromDisk(write("refused.kvp", c.file), false));
        EXPECT_EQ((std::vector<std::string>{c.message}), host.Texts());
        EXPECT_EQ(block, Bytes(project.Block().begin(), project.Block().end()));
        ASSERT_EQ(1, project.DeviceCount());
        EXPECT_EQ(image, project.Device(0)->GetAllData());
        EXPECT_TRUE(project.IsChanged());
    }
}

// The sample project cut short, lengthened and with its device count changed: a file loads only
// when its header, block and device lengths account for every byte of it; otherwise it is
// refused with one message, the open project stays and the file is left as it is.
TEST_F(FileTest, FilesWhoseContentsDoNotAccountForTheirLengthAreRefused)
{
    const Bytes sample = read(KVR_SAMPLE_PROJECT);
    ASSERT_EQ(sample[78], 2);
    const std::size_t firstDeviceEnd = 100 + 2 + readBE16(sample, 100);
    ASSERT_LT(firstDeviceEnd, sample.size());
    const std::string prefix = "Error: Project->LoadFromDisk: ";
    const auto withCount = [&](std::uint8_t count, std::size_t size) {
        Bytes file = sample;
        file[78] = count;
        file.resize(size, 0x5A);
        return file;
    };
    const auto follow = [&](std::size_t bytes, int devices) {
        return prefix + "Filesize does not match the project information: " + std::to_string(bytes) + " bytes follow the " +
               std::to_string(devices) + " devices the header announces. File corrupted?!";
    };

    struct Case {
        const char* what;
        Bytes file;
        int devices; // -1: refused with the message
        std::string message;
    };
    const Case cases[] = {
        {"as saved", sample, 2, ""},
        {"no devices and nothing after the block", withCount(0, 100), 0, ""},
        {"no devices but both images after the block", withCount(0, sample.size()), -1, follow(sample.size() - 100, 0)},
        {"one device and the second after it", withCount(1, sample.size()), -1, follow(sample.size() - firstDeviceEnd, 1)},
        {"one byte more", withCount(2, sample.size() + 1), -1, follow(1, 2)},
        {"600 bytes more", withCount(2, sample.size() + 600), -1, follow(600, 2)},
        {"cut inside the last image", withCount(2, sample.size() - 1), -1, prefix + "Unable to read from file. Possible disk error?!"},
        {"cut inside the second length", withCount(2, firstDeviceEnd + 1), -1, prefix + "Unable to read from file. Already opened?!"},
        {"three devices announced", withCount(3, sample.size()), -1, prefix + "Unable to read from file. Already opened?!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TProject project;
        fillProject(project);
        host.shown.clear();
        const std::string file = write("sample.kvp", c.file);
        const int result = project.LoadFromDisk(file, true);
        EXPECT_EQ(read(file), c.file);
        if (c.devices >= 0) {
            EXPECT_EQ(1, result);
            EXPECT_TRUE(host.shown.empty());
            EXPECT_EQ(c.devices, project.DeviceCount());
            continue;
        }
        EXPECT_EQ(0, result);
        EXPECT_EQ((std::vector<std::string>{c.message}), host.Texts());
        EXPECT_EQ("Keep", project.GetName());
        ASSERT_EQ(1, project.DeviceCount());
        EXPECT_TRUE(project.IsChanged());
    }
}

TEST_F(FileTest, MissingProjectFileShowsThePlainMessage)
{
    TProject project;
    fillProject(project);
    const std::string file = path("missing.kvp");
    EXPECT_EQ(0, project.LoadFromDisk(file, false));
    EXPECT_EQ((std::vector<Shown>{{"message",
                                   "File \"" + file +
                                       "\" could not be opened.\nPlease check if the file is still available and not used by an other program.",
                                   ""}}),
              host.shown);
    EXPECT_EQ("Keep", project.GetName());
    EXPECT_EQ(1, project.DeviceCount());
}

TEST_F(FileTest, MoreThanTwentyDevicesLoad)
{
    FileSpec spec;
    for (std::uint32_t id = 1; id <= 21; ++id)
        spec.images.push_back(deviceImage(id));
    TProject project;
    ASSERT_EQ(1, project.LoadFromDisk(write("many.kvp", projectFile(spec)), false));
    EXPECT_EQ(21, project.DeviceCount());
    EXPECT_EQ(21u, project.Device(20)->GetDeviceID());
}

TEST_F(FileTest, DuplicateAndLargeIdsAreFixedOnLoading)
{
    FileSpec spec;
    spec.images = {deviceImage(4), deviceImage(4), deviceImage(0x30000)};
    TProject project;
    ASSERT_EQ(1, project.LoadFromDisk(write("ids.kvp", projectFile(spec)), false));
    // Slot 0 is one of the pair; the free ID search wraps to the lowest unused ID past the large one.
    EXPECT_EQ(1u, project.Device(0)->GetDeviceID());
    EXPECT_EQ(4u, project.Device(1)->GetDeviceID());
    EXPECT_EQ(2u, project.Device(2)->GetDeviceID());
    EXPECT_FALSE(project.IsModified());
}

TEST_F(FileTest, FailedSavesKeepTheOldFileAndTheChangedState)
{
    TProject project;
    fillProject(project);
    const std::string missingDir = path("no/such/dir/p.kvp");
    EXPECT_EQ(0, project.SaveToDisk(missingDir, true));
    EXPECT_EQ((std::vector<std::string>{"Error: Project->SaveToDisk: Unable to create file. Please check write protection! (" +
                                        missingDir + ")!"}),
              host.Texts());
    EXPECT_TRUE(project.IsModified());

    // A target that cannot be replaced: the temporary file goes, the target stays.
    fs::create_directory(path("taken.kvp"));
    host.shown.clear();
    EXPECT_EQ(0, project.SaveToDisk(path("taken.kvp"), false));
    EXPECT_EQ((std::vector<std::string>{"Error: Project->SaveToDisk: Unable to write file! Disk full? (" + path("taken.kvp") + ")!"}),
              host.Texts());
    EXPECT_TRUE(fs::is_directory(path("taken.kvp")));
    EXPECT_EQ(1u, filesInDir());
    EXPECT_TRUE(project.IsModified());
    EXPECT_TRUE(project.Device(0)->IsChanged());

    // Writing is not a change, and stamps work again afterwards.
    host.now = 5;
    ASSERT_EQ(1, project.SaveToDisk(path("p.kvp"), false));
    EXPECT_FALSE(project.IsChanged());
    EXPECT_NE(5u, project.Device(0)->GetChangeTime());
    project.Device(0)->SetData(3, Bytes{1});
    EXPECT_EQ(5u, project.Device(0)->GetChangeTime());
}

TEST_F(FileTest, PreparedSavesStoreFaderModulesOfType21AsType20)
{
    TProject project;
    project.AddDevice();
    TDevice& device = *project.Device(0);
    Bytes module(6, 0);
    writeLE16(module, 0, 21);
    device.SetSetupData(102, module);

    ASSERT_EQ(1, project.SaveToDisk(path("plain.kvp"), false));
    EXPECT_EQ(21, readLE16(device.GetSetupData(102), 0));
    ASSERT_EQ(1, project.SaveToDisk(path("prepared.kvp"), true));
    EXPECT_EQ(20, readLE16(device.GetSetupData(102), 0));

    TProject loaded;
    ASSERT_EQ(1, loaded.LoadFromDisk(path("prepared.kvp"), false));
    EXPECT_EQ(20, readLE16(loaded.Device(0)->GetSetupData(102), 0));
}

TEST_F(FileTest, PreparedSavesKeepReferencesToKeysWithoutFunction)
{
    TProject project;
    project.AddDevice();
    Bytes module(6, 0);
    writeLE16(module, 0, 10); // a key module without key records
    project.Device(0)->SetSetupData(100, module);
    int deletes = 0;
    Hooks().AdaptLogics = [&](TDevice&, int, int, int mode) { deletes += mode == amDelete; };
    const int saved = project.SaveToDisk(path("keys.kvp"), true);
    Hooks().AdaptLogics = nullptr;
    EXPECT_EQ(1, saved);
    EXPECT_EQ(0, deletes);
}

TEST_F(FileTest, DeviceFileRoundTripKeepsTheDevicesIds)
{
    TDevice source;
    source.SetName("Source");
    source.WriteDeviceID(33);
    source.SetData(3, Bytes(100, 3));
    const std::string file = path("d.kvf");
    ASSERT_EQ(1, source.Save(file));
    EXPECT_EQ(source.GetAllData(), read(file));
    EXPECT_EQ(1u, filesInDir());

    TDevice target;
    target.WriteDeviceID(5);
    const auto header = target.GetHeader();
    ASSERT_EQ(1, target.Replace(file));
    EXPECT_TRUE(host.shown.empty());
    EXPECT_EQ("Source", target.GetName());
    EXPECT_EQ((Bytes(100, 3)), target.GetData(3));
    EXPECT_EQ(5u, target.GetDeviceID());
    EXPECT_TRUE(std::equal(header.begin() + 12, header.begin() + 16, target.Header().begin() + 12));

    // Older device files start with "KV".
    Bytes old = deviceImage(8);
    old[2] = 'x', old[3] = 'y';
    old[0] = 'K', old[1] = 'V';
    EXPECT_EQ(1, target.Replace(write("old.kvf", old)));
}

TEST_F(FileTest, RefusedDeviceFilesLeaveTheDeviceUntouched)
{
    Bytes mismatch = deviceImage(1);
    mismatch.push_back(0);
    Bytes damaged = deviceImage(1);
    damaged[53] = 2;
    Bytes notKvf = deviceImage(1);
    notKvf[0] = 'X';

    struct Case {
        const char* what;
        Bytes file;
        std::string message;
    };
    const std::string prefix = "Error: Device->Replace: ";
    const Case cases[] = {
        {"too big", Bytes(64001, 0), prefix + "The file " + path("refused.kvf") + " is too big!!"},
        {"short header", Bytes(150, 'K'), prefix + "Error reading file header from " + path("refused.kvf") + "! File corrupted?!"},
        {"not a device file", notKvf, prefix + "No KVF file!!"},
        {"size differs from the header", mismatch, prefix + "Filesize does not match fileheader information! File corrupted?!"},
        {"damaged entries", damaged,
         prefix + "The file " + path("refused.kvf") + " is damaged: the setup entries do not fill their area!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TDevice device;
        device.SetData(3, Bytes{7});
        const Bytes before = device.GetAllData();
        host.shown.clear();
        EXPECT_EQ(0, device.Replace(write("refused.kvf", c.file)));
        EXPECT_EQ((std::vector<std::string>{c.message}), host.Texts());
        EXPECT_EQ(before, device.GetAllData());
    }
}

TEST_F(FileTest, NewerDeviceFileWarnsAndLoads)
{
    Bytes image = deviceImage(1);
    writeBE64(image, 4, version(5, 2, 0));
    TDevice device;
    EXPECT_EQ(1, device.Replace(write("newer.kvf", image)));
    EXPECT_EQ((std::vector<Shown>{{"warning", "Warning! This file was created with a newer Cordex4, version 5.2.0", ""}}), host.shown);
}

TEST_F(FileTest, DeviceSaveReportsFilesItCannotCreate)
{
    TDevice device;
    const std::string file = path("none/d.kvf");
    EXPECT_EQ(0, device.Save(file));
    EXPECT_EQ((std::vector<std::string>{"Error: Device->Save: Unable to create file! Please check write protection! (" + file + ")!"}),
              host.Texts());
}

} // namespace
