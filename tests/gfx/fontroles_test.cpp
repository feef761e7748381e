// Every font name the system asks for must land on an installed family, and the install script
// must bring the packages the role table names.
#include "gfx/fontroles.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>

using namespace kvr::gfx;

namespace {

TEST(FontRoles, EveryRoleResolvesToItsInstalledFamily)
{
    const QStringList installed = QFontDatabase::families();
    for (const FontRole& role : fontRoles()) {
        const QString family = resolveFamily(role.requested);
        EXPECT_TRUE(installed.contains(family)) << role.requested << " -> " << family.toStdString();
        // The preferred family itself, so a missing package shows here and not as a look-alike.
        EXPECT_EQ(family, QString::fromLatin1(role.families.front())) << role.requested;
    }
}

TEST(FontRoles, NamesMatchWithoutCaseAndUnknownNamesGetTheUiSans)
{
    EXPECT_EQ(resolveFamily("arial"), resolveFamily("Arial"));
    EXPECT_EQ(resolveFamily("Wingdings"), resolveFamily("MS Sans Serif"));
    EXPECT_NE(resolveFamily("Courier New"), resolveFamily("Arial"));
}

TEST(FontRoles, TheSymbolFontShowsInfinityForCharacter165)
{
    EXPECT_EQ(textForFont("Symbol", "\xA5"), QString(QChar(char16_t{0x221E})));
    EXPECT_EQ(textForFont("Arial", "\xA5"), QString(QChar(char16_t{0x00A5})));
    const QFont symbol(resolveFamily("Symbol"));
    EXPECT_TRUE(QFontMetrics(symbol).inFontUcs4(0x221E));
}

TEST(FontRoles, InstallScriptBringsEveryPackageTheTableNames)
{
    QFile script(QStringLiteral(KVR_SOURCE_DIR "/scripts/install-deps"));
    ASSERT_TRUE(script.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(script.readAll());
    for (const FontRole& role : fontRoles())
        EXPECT_TRUE(text.contains(QString::fromLatin1(role.package))) << role.package;
}

} // namespace
