// Damaged project files: many deterministic mutations of a fixture project, each opened over a
// loaded project. Each ends loaded (with well-framed images) or refused with the project as it
// was.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "model/project.h"
#include "recordinghost.h"
#include "sourceplaces.h"

namespace kvr::model {
namespace {

using namespace test;

std::string TempFile(const char* name)
{
    return "/tmp/kvr-mutation-" + std::to_string(::getpid()) + "-" + name;
}

void WriteFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

struct Snapshot {
    Bytes block;
    std::vector<Bytes> images;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const TProject& project)
{
    Snapshot s{Bytes(project.Block().begin(), project.Block().end()), {}};
    for (int i = 0; i < project.DeviceCount(); ++i)
        s.images.push_back(project.Device(i)->GetAllData());
    return s;
}

// Offsets of the length words in a current project file: the block size, each device's length
// word, each image's area sizes and the length of every entry.
std::vector<std::size_t> LengthFields(const Bytes& file)
{
    std::vector<std::size_t> fields = {80};
    std::size_t at = readBE16(file, 80);
    while (at + 2 <= file.size()) {
        fields.push_back(at);
        const std::size_t length = readBE16(file, at);
        const std::size_t image = at + 2;
        if (image + length > file.size() || length < 200)
            break;
        fields.insert(fields.end(), {image + 54, image + 56, image + 58});
        for (std::size_t e = image + 200; e + 4 <= image + length;) {
            fields.push_back(e + 2);
            e += 4 + readBE16(file, e + 2);
        }
        at = image + length;
    }
    return fields;
}

TEST(DamagedProjectFiles, EveryMutationLoadsOrLeavesTheProjectAlone)
{
    RecordingHost host;
    const std::string original = TempFile("original.kvp");
    const std::string mutated = TempFile("mutated.kvp");
    {
        TProject fixture;
        for (int i = 0; i < 3; ++i)
            fixture.AddDevice();
        FillLogicPlaces(*fixture.Device(0), 0xC000 | 934);
        FillAudioPlaces(*fixture.Device(1), 17154);
        TDevice& third = *fixture.Device(2);
        Bytes cleanFeedChannel = FaderRec(4, "cf");
        cleanFeedChannel[18] = 0x10;
        third.SetData(stFCH, cleanFeedChannel);
        third.SetData(stOldLevelDetect, Bytes(32, 1));
        third.SetData(stOldPoolNames, Bytes{1, 2, 3});
        third.SetSetupData(2, CardRec(222, {{"a", 0x0300}, {"b", 0x0301}}));
        ASSERT_EQ(1, fixture.SaveToDisk(original, false));
    }
    const Bytes file = ReadFile(original);
    ASSERT_GT(file.size(), 1000u);

    std::vector<Bytes> mutations;
    for (std::size_t at = 0; at < file.size(); at += 11) {
        Bytes m = file;
        m[at] ^= static_cast<std::uint8_t>(1u << (at % 8));
        mutations.push_back(m);
    }
    for (const std::size_t at : LengthFields(file))
        for (const std::uint16_t value : {0, 1, 0xFFFF}) {
            Bytes m = file;
            writeBE16(m, at, value);
            mutations.push_back(m);
        }
    for (std::size_t length = 0; length < file.size(); length += file.size() / 37 + 1)
        mutations.emplace_back(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
    mutations.emplace_back(file.begin(), file.end() - 1);

    TProject project;
    ASSERT_EQ(1, project.LoadFromDisk(original, true));
    int loaded = 0;
    for (std::size_t i = 0; i < mutations.size(); ++i) {
        WriteFile(mutated, mutations[i]);
        const Snapshot before = Take(project);
        if (project.LoadFromDisk(mutated, true) == 1) {
            ++loaded;
            for (int d = 0; d < project.DeviceCount(); ++d)
                EXPECT_EQ("", CheckDeviceImage(project.Device(d)->GetAllData())) << "mutation " << i;
            ASSERT_EQ(1, project.LoadFromDisk(original, true));
        } else {
            EXPECT_TRUE(before == Take(project)) << "mutation " << i;
        }
    }
    EXPECT_GT(loaded, 0);
    EXPECT_LT(loaded, static_cast<int>(mutations.size()));
    std::remove(original.c_str());
    std::remove(mutated.c_str());
}

} // namespace
} // namespace kvr::model
