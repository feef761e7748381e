#include "app/projectpages/projectoptions.h"

#include "model/potaccess.h"
#include "pagefixture.h"

using namespace kvr::app;

namespace {

class ProjectOptionsTest : public test::PageFixture {
protected:
    std::array<std::uint8_t, 4> ProjectIDBytes() const
    {
        const auto header = project.GetHeader();
        return {header[88], header[89], header[90], header[91]};
    }
    std::array<std::uint8_t, 4> DeviceIDBytes(int Index)
    {
        const auto header = Device(Index).GetHeader();
        return {header[12], header[13], header[14], header[15]};
    }
};

} // namespace

TEST_F(ProjectOptionsTest, ProjectIDGoesIntoTheProjectAndEveryDevice)
{
    MakeFixedModel(2);
    struct Case {
        const char* typed;
        std::array<std::uint8_t, 4> stored;
        const char* shown;
    };
    const Case cases[] = {
        {"ST", {'S', 'T', 0, 0}, "ST"},
        {"WXYZ", {'W', 'X', 'Y', 'Z'}, "WXYZ"},
        {"abcdef", {'a', 'b', 'c', 'd'}, "abcd"}, // no case conversion, cut at four
        {"", {0, 0, 0, 0}, ""},
    };
    ProjectOptions options(project);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        options.SetProjectID(c.typed);
        EXPECT_EQ(ProjectIDBytes(), c.stored);
        for (int d = 0; d < project.DeviceCount(); ++d)
            EXPECT_EQ(DeviceIDBytes(d), c.stored) << "device " << d;
        EXPECT_EQ(options.Fill().ProjectID, c.shown);
        options.EndFill();
    }
}

TEST_F(ProjectOptionsTest, FillShowsTheHeaderAndHoldsOffEdits)
{
    project.SetName("Studio 4");
    ProjectOptions options(project);
    const ProjectOptionFields fields = options.Fill();
    EXPECT_EQ(fields.Name, "Studio 4");
    EXPECT_EQ(fields.ProjectID, "ABCD");
    EXPECT_EQ(fields.FileDate, project.GetFileDate());

    // While the page fills its fields, their change handlers write nothing.
    options.SetName("Other");
    options.SetProjectID("XY");
    EXPECT_EQ(project.GetName(), "Studio 4");
    EXPECT_EQ(ProjectIDBytes(), (std::array<std::uint8_t, 4>{'A', 'B', 'C', 'D'}));

    options.EndFill();
    options.SetName("A name of more than thirty-five characters");
    EXPECT_EQ(project.GetName(), std::string("A name of more than thirty-five characters").substr(0, 35));
}

TEST_F(ProjectOptionsTest, PotNamesDefaultAndStoreEachEdit)
{
    ProjectOptions options(project);
    const std::vector<std::string> names = options.PotNames();
    ASSERT_EQ(names.size(), 20u);
    EXPECT_EQ(names.front(), "Global Pot. 1");
    EXPECT_EQ(names.back(), "Global Pot. 20");

    options.SetPotName(2, "Studio mic gain, left");
    options.SetPotName(19, "Talk");
    options.SetPotName(20, "Outside"); // no 21st pot
    std::string name;
    EXPECT_EQ(kvr::model::GetGlobalPotName(project, 3, name), 1);
    EXPECT_EQ(name, "Studio mic gain,");
    const std::vector<std::string> after = options.PotNames();
    EXPECT_EQ(after[2], "Studio mic gain,");
    EXPECT_EQ(after[19], "Talk");
    EXPECT_EQ(after[1], "Global Pot. 2");
}
