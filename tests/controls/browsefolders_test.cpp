// The folder dialog component over a scripted prompter.
#include "controls/browsefoldersdialog.h"
#include "platform/currentprompter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QStandardPaths>

#include <memory>

using namespace kvr::controls;
using kvr::platform::ScriptedPrompter;

namespace {

class BrowseFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto owned = std::make_unique<ScriptedPrompter>();
        script = owned.get();
        kvr::platform::setPrompter(std::move(owned));
    }
    void TearDown() override
    {
        EXPECT_EQ(script->unexpected, 0);
        kvr::platform::setPrompter(nullptr);
    }
    ScriptedPrompter* script = nullptr;
};

TEST_F(BrowseFolders, ChoosingSetsFolderAndDisplayNameAndPassesTheRequest)
{
    TBrowseFoldersDialog dialog;
    dialog.SetFolder(QStringLiteral("  /srv/projects  "));
    EXPECT_EQ(dialog.Folder(), QStringLiteral("/srv/projects"));
    dialog.Title = QStringLiteral("Export to");
    dialog.Options = {bffReturnOnlyDirs, bffEditBox};
    script->file(QStringLiteral("/srv/projects/studio A/"));
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Folder(), QStringLiteral("/srv/projects/studio A/"));
    EXPECT_EQ(dialog.DisplayName(), QStringLiteral("studio A"));

    ASSERT_EQ(script->folderChoices().size(), 1u);
    const auto& asked = script->folderChoices().front();
    EXPECT_EQ(asked.caption, QStringLiteral("Export to"));
    EXPECT_EQ(asked.initialDir, QStringLiteral("/srv/projects"));
    EXPECT_EQ(asked.options, kvr::platform::FolderDirsOnly | kvr::platform::FolderEditBox);
}

TEST_F(BrowseFolders, CancelLeavesFolderAndDisplayName)
{
    TBrowseFoldersDialog dialog;
    script->file(QStringLiteral("/"));
    ASSERT_TRUE(dialog.Execute(nullptr));
    EXPECT_EQ(dialog.DisplayName(), QStringLiteral("/"));
    script->file(std::nullopt);
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.Folder(), QStringLiteral("/"));
    EXPECT_EQ(dialog.DisplayName(), QStringLiteral("/"));
}

TEST(BrowseFoldersOptions, EveryFlagHasItsOwnOption)
{
    unsigned all = 0;
    for (int f = bffBrowseForComputer; f <= bffNewDialogStyle; ++f) {
        const unsigned bit = folderOptions({static_cast<tagTBrowseFoldersFlag>(f)});
        EXPECT_EQ(__builtin_popcount(bit), 1) << f;
        EXPECT_EQ(all & bit, 0u) << f;
        all |= bit;
    }
    EXPECT_EQ(folderOptions({}), 0u);
    EXPECT_EQ(folderOptions({bffReturnOnlyDirs}), kvr::platform::FolderDirsOnly);
    EXPECT_EQ(folderOptions({bffNewDialogStyle}), kvr::platform::FolderNewFolder);
}

TEST(BrowseFoldersOptions, RootsMapToStandardFoldersOrHome)
{
    EXPECT_EQ(rootFolder(bfrDrives), QDir::rootPath());
    EXPECT_EQ(rootFolder(bfrRecycleBin), QDir::homePath());
    EXPECT_EQ(rootFolder(bfrPrinters), QDir::homePath());
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    EXPECT_EQ(rootFolder(bfrPersonal), QDir(documents).exists() ? documents : QDir::homePath());
    for (int r = bfrRecycleBin; r <= bfrTemplates; ++r)
        EXPECT_TRUE(QDir(rootFolder(static_cast<tagTBrowseFoldersRoot>(r))).exists()) << r;
}

} // namespace
