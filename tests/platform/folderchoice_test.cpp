// The folder browser's options as the Qt dialog takes them, and the plain fallback.
#include "platform/prompter.h"

#include <gtest/gtest.h>

using namespace kvr::platform;

namespace {

TEST(FolderChoice, OptionsMapToTheQtDialog)
{
    struct Case {
        unsigned options;
        QFileDialog::Options expected;
    };
    const Case cases[] = {
        {0, QFileDialog::ReadOnly},
        {FolderDirsOnly, QFileDialog::ShowDirsOnly | QFileDialog::ReadOnly},
        {FolderDirsOnly | FolderEditBox, QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog | QFileDialog::ReadOnly},
        {FolderNewFolder, {}},
        {FolderStatusText | FolderComputers | FolderPrinters, QFileDialog::ReadOnly},
    };
    for (const Case& c : cases)
        EXPECT_EQ(qtFolderOptions(c.options), c.expected) << c.options;
}

// A prompter that knows only the plain folder choice.
class PlainFolders : public ScriptedPrompter {
public:
    std::optional<QString> chooseFolder(const FolderChoice& choice) override { return Prompter::chooseFolder(choice); }
};

TEST(FolderChoice, WithoutItsOwnBrowserThePlainChoiceStartsAtTheFolderOrTheRoot)
{
    PlainFolders prompter;
    prompter.file(QStringLiteral("/a"));
    prompter.file(QStringLiteral("/b"));
    EXPECT_EQ(prompter.chooseFolder({QStringLiteral("Pick"), QStringLiteral("/x"), QStringLiteral("/r")}), QStringLiteral("/a"));
    EXPECT_EQ(prompter.chooseFolder({QStringLiteral("Pick"), QString(), QStringLiteral("/r")}), QStringLiteral("/b"));
    ASSERT_EQ(prompter.records().size(), 2u);
    EXPECT_EQ(prompter.records()[0].caption, QStringLiteral("Pick"));
    EXPECT_TRUE(prompter.folderChoices().empty());
}

} // namespace
