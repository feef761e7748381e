// Where the fitting report goes and how the user learns where it is.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/qtmodelhost.h"
#include "platform/application.h"
#include "platform/currentprompter.h"
#include "platform/prompter.h"

using namespace kvr::app;

TEST(ReportFile, ReportsGoToTheUsersDataFolder)
{
    QStandardPaths::setTestModeEnabled(true);
    const std::string folder = QtModelHost().ReportFolder();
    QStandardPaths::setTestModeEnabled(false);
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder, kvr::platform::ProgramFolder()) << "not beside the program";
    EXPECT_TRUE(QFileInfo(QString::fromStdString(folder)).isWritable());
    EXPECT_TRUE(folder.starts_with(QDir::homePath().toStdString())) << folder;
}

TEST(ReportFile, WithoutAViewerTheUserIsToldWhereTheReportIs)
{
    auto script = std::make_unique<kvr::platform::ScriptedPrompter>();
    auto* prompts = script.get();
    kvr::platform::setPrompter(std::move(script));
    QUrl opened;
    ShowReportFile("/home/u/fitting_A.txt", [&](const QUrl& Url) {
        opened = Url;
        return true;
    });
    EXPECT_EQ(opened, QUrl::fromLocalFile("/home/u/fitting_A.txt"));
    EXPECT_TRUE(prompts->records().empty());
    ShowReportFile("/home/u/fitting_A.txt", [](const QUrl&) { return false; });
    ASSERT_EQ(prompts->records().size(), 1u);
    EXPECT_TRUE(prompts->records()[0].text.endsWith("/home/u/fitting_A.txt"));
    kvr::platform::setPrompter(nullptr);
}
