// Support mail: the .eml opened by the desktop, the mailto: fallback, and both failing.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include "platform/supportmail.h"

namespace {

using namespace kvr::platform;

TEST(SupportMail, MessageOpensAsAnEmlFile)
{
    QTemporaryDir dir;
    QString opened;
    QByteArray content;
    MailOpener opener{[&](const QString& path) {
                          opened = path;
                          QFile f(path);
                          f.open(QIODevice::ReadOnly);
                          content = f.readAll();
                          return true;
                      },
                      [](const QString&) {
                          ADD_FAILURE() << "no fallback needed";
                          return false;
                      }};
    ASSERT_TRUE(sendSupportMail("Support request", "Module : KX730-851\nTemp: 21.00", opener, dir.path()));
    EXPECT_TRUE(opened.endsWith(".eml"));
    EXPECT_TRUE(opened.startsWith(dir.path()));
    EXPECT_TRUE(content.startsWith("To: \"Product Support\" <support@example.com>\r\nSubject: Support request\r\n"));
    EXPECT_TRUE(content.endsWith("\r\n\r\nModule : KX730-851\r\nTemp: 21.00\r\n")) << content.toStdString();
}

TEST(SupportMail, FallsBackToMailtoAndReportsFailure)
{
    QTemporaryDir dir;
    QString url;
    MailOpener opener{[](const QString&) { return false; }, [&](const QString& u) {
                          url = u;
                          return true;
                      }};
    ASSERT_TRUE(sendSupportMail("Support request", "a&b", opener, dir.path()));
    const QUrl parsed(url);
    EXPECT_EQ(parsed.scheme(), "mailto");
    EXPECT_EQ(parsed.path(), "support@example.com");
    EXPECT_EQ(QUrlQuery(parsed).queryItemValue("body", QUrl::FullyDecoded), "a&b");
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty()) << "the unopened file is not left behind";

    opener.openUrl = [](const QString&) { return false; };
    EXPECT_FALSE(sendSupportMail("Support request", "x", opener, dir.path()));
    EXPECT_FALSE(sendSupportMail("Support request", "x", opener, dir.path() + "/missing")) << "an unwritable folder";
}

} // namespace
