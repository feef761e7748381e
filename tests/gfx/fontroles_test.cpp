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
    registerRoleFonts();
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

// Texts of the windows' fixed-size controls with the pixels their fixed layout leaves them at 96 dpi
// (to the next control, or a cell's width less its text inset and drop-down arrow).
struct FixedText {
    const char* text;
    int room;
};
constexpr FixedText fixedTexts[] = {
    {"Autolock after", 70}, // authorisation row: label at 350, lock-time box at 420
    {"Label:", 35},         // label at 80, edit at 115
    {"PIN:", 25},           // label at 270, PIN edit at 295
    {"Display", 43},        // check box 60 wide, less its box and gap
    {"Uni-directional", 89},     // link direction, one of two columns in 228 pixels
    {"Pulse on deactivate", 96}, // condition, one of two columns in the 250-pixel source window
    {"Stereo", 35},              // frame I/O: 50-pixel cell, text at +5, arrow 9 from the right
    {"Set All", 35},
    {"10.01.01 - 02", 65},        // MADI address: 70-pixel column, text at +5
    {"0dBint=-18dBFS=0dBu", 120}, // level: 135-pixel cell
    {"Set All Digital Level", 120},
    {"Rotary Monitor Selector", 132}, // list header 140 wide, less its margins
    {"Conc.", 27},                    // list header 35 wide
};

QFont atEightPoints(const QString& family)
{
    QFont font(family);
    font.setPixelSize(11);
    return font;
}

TEST(FontRoles, TheSystemFontFitsTheTextsOfTheFixedLayouts)
{
    const QFont system = systemFont();
    EXPECT_EQ(system.pointSize(), 8);
    const QFontMetrics chosen(system);
    const QFontMetrics dejaVu(atEightPoints(QStringLiteral("DejaVu Sans")));
    for (const FixedText& fixed : fixedTexts) {
        const QString text = QString::fromLatin1(fixed.text);
        EXPECT_LE(chosen.horizontalAdvance(text), fixed.room)
            << fixed.text << " in " << system.family().toStdString() << " (DejaVu Sans "
            << dejaVu.horizontalAdvance(text) << ")";
    }
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
