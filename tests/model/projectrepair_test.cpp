// The project-level repairs around project files: a load leaves each global logic to one
// device and starts unchanged; a prepared save repairs global logics and stereo sources.
#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

#include "imagebuilder.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "recordinghost.h"
#include "sourcebuilder.h"

namespace kvr::model {
namespace {

using test::Bytes;
using test::FaderRec;

class ProjectRepairs : public ::testing::Test {
protected:
    test::RecordingHost host;
};

TEST_F(ProjectRepairs, AProjectLoadLeavesEachGlobalLogicToOneDevice)
{
    // A file as an older program could leave it: two devices send global logic 5.
    Bytes file(100, 0);
    file[0] = 0x22, file[1] = 0x10, file[2] = 0x20, file[3] = 0x01;
    writeBE64(file, 4, (5ull << 48) | (1ull << 32) | (9ull << 16) | 409);
    file[78] = 2;
    writeBE16(file, 80, 100);
    const Bytes first = test::makeImage({}, {{stGLAssign, Bytes{1, 0, 5, 0, 0x03, 0xA3}}}, 1, "One");
    const Bytes second = test::makeImage({}, {{stGLAssign, Bytes{2, 0, 5, 0, 0x03, 0xA4, 6, 0, 0x03, 0xA5}}}, 2, "Two");
    for (const Bytes* image : {&first, &second}) {
        file.push_back(static_cast<std::uint8_t>(image->size() >> 8));
        file.push_back(static_cast<std::uint8_t>(image->size()));
        file.insert(file.end(), image->begin(), image->end());
    }
    const std::string path = "/tmp/kvr-loadchain-" + std::to_string(::getpid()) + ".kvp";
    {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        ASSERT_NE(nullptr, out);
        std::fwrite(file.data(), 1, file.size(), out);
        std::fclose(out);
    }
    TProject loaded;
    ASSERT_EQ(1, loaded.LoadFromDisk(path, true));
    ASSERT_EQ(2, loaded.DeviceCount());
    EXPECT_EQ(931, GetGLSource(*loaded.Device(0), 5));
    EXPECT_EQ(0, GetGLSource(*loaded.Device(1), 5));
    EXPECT_EQ(933, GetGLSource(*loaded.Device(1), 6));
    EXPECT_FALSE(loaded.IsChanged()); // the repairs wrote, yet the project just opened is unchanged
    std::remove(path.c_str());
}

TEST_F(ProjectRepairs, SavingRepairsGlobalLogicsAndStereoSources)
{
    const std::string path = "/tmp/kvr-loadchain-save-" + std::to_string(::getpid()) + ".kvp";
    TProject project;
    project.AddDevice();
    project.AddDevice();
    SetGLSource(*project.Device(0), 5, 931);
    SetGLSource(*project.Device(1), 5, 932);
    Bytes stereo = FaderRec(2, "st", 0x0103);
    stereo[18] = 0x20;
    project.Device(1)->SetData(stFCH, stereo);
    ASSERT_EQ(1, project.SaveToDisk(path, true));
    EXPECT_EQ(0, GetGLSource(*project.Device(1), 5));
    EXPECT_EQ(0x0102, readBE16(project.Device(1)->GetData(stFCH), 4));
    std::remove(path.c_str());
}

} // namespace
} // namespace kvr::model
