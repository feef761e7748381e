#include "app/devicepages/pagesources.h"

#include <string>
#include <vector>

#include "../projectpages/pagefixture.h"
#include "fakelogicwindow.h"
#include "app/devicepages/devicepage.h"
#include "app/devicepages/usergroups.h"
#include "kvrdata/byteorder.h"
#include "model/sourceids.h"
#include "model/sourcenames.h"
#include "model/superoutputs.h"

using namespace kvr::app;
namespace editors = kvr::editors;

namespace {

class PageSourcesTest : public test::PageFixture {
protected:
    test::FakeLogicWindow window{project};
    std::vector<PageSource> shown;
    PageSources sources{[this] { return &window; }, [this](PageSource Source) { shown.push_back(Source); }};

    std::uint16_t PrepModeSource() { return DevicePage(project, 0).Fill().PrepModeSource; }
};

} // namespace

TEST_F(PageSourcesTest, SelectOpensTheWindowOnTheCurrentDevicesSourcesForTheirKind)
{
    const struct {
        PageSource source;
        std::uint16_t current;
        const char* kind;
    } cases[] = {
        {PageSource::PINInput1, 389, "kind 17"},
        {PageSource::PINInput2, 0, "kind 18"},
        {PageSource::PreparationMode, 1281, "kind 22"},
    };
    for (const auto& c : cases) {
        window.Calls.clear();
        sources.Select(c.source, c.current);
        EXPECT_EQ(window.Calls, (std::vector<std::string>{"filter 0", "build", "select " + std::to_string(c.current),
                                                          "show", c.kind}));
    }
    window.Calls.clear();
    sources.Drop(PageSource::PINInput2);
    EXPECT_EQ(window.Calls, (std::vector<std::string>{"kind 18", "assign from page"}));
}

TEST_F(PageSourcesTest, TheWindowWritesTheSourceIDWithoutConditionAndThePageShowsIt)
{
    window.Node.Ref = 0xC000 | 1281;
    sources.Drop(PageSource::PreparationMode);
    EXPECT_EQ(PrepModeSource(), 1281);
    EXPECT_EQ(DevicePage(project, 0).Fill().PrepMode, kvr::model::GetLogicSourceName(project, 1281, 0));
    EXPECT_TRUE(Device(0).IsChanged());

    // The first PIN source creates the user-group structure; the second keeps the first.
    ASSERT_TRUE(Device(0).GetData(kvr::model::stUserGroups).empty());
    sources.Drop(PageSource::PINInput1);
    window.Node.Ref = 389;
    sources.Select(PageSource::PINInput2, 0);
    window.Assign(editors::AssignSender::Button); // the window's own Assign button
    const UserGroupValues groups = UserGroups(project, 0).Values();
    EXPECT_EQ(groups.Source1, 1281);
    EXPECT_EQ(groups.Source2, 389);
    EXPECT_EQ(groups.Source2Name, kvr::model::GetLogicSourceName(project, 389, 0));
    EXPECT_EQ(Device(0).GetData(kvr::model::stUserGroups).size(), 166u);
    EXPECT_EQ(shown, (std::vector<PageSource>{PageSource::PreparationMode, PageSource::PINInput1, PageSource::PINInput2}));
}

TEST_F(PageSourcesTest, OffIsRefusedWithTheWindowsMessageAndWithoutAWindowNothingHappens)
{
    window.Node.Ref = kvr::model::OffLogicID;
    sources.Drop(PageSource::PreparationMode);
    EXPECT_EQ(window.Message, editors::kOffOnlyForReadyText);
    EXPECT_EQ(PrepModeSource(), 0);
    EXPECT_TRUE(shown.empty());

    // Once the page is gone the window no longer reaches it.
    sources.Release();
    EXPECT_EQ(window.Targets.Get(22), nullptr);
    PageSources alone{[] { return nullptr; }, {}};
    alone.Select(PageSource::PINInput1, 1);
    alone.Drop(PageSource::PINInput1);
    alone.Release();
}
