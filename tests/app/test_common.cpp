#include "app/common.h"
#include "app/language.h"
#include "app/units.h"
#include "prentavik_version.h"
#include "support/recordingmessageboxes.h"
#include "support/scopedlanguage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <array>
#include <gtest/gtest.h>

namespace {

void touch(const QString &path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

} // namespace

TEST(Common, VersionStringComesFromTheBuild)
{
    const QString major = QString::number(PRENTAVIK_VERSION_MAJOR);
    const QString minor = QString::number(PRENTAVIK_VERSION_MINOR);
    EXPECT_EQ(VersionString(false, false), major + "." + minor);
    EXPECT_EQ(VersionString(true, false),
              major + "." + minor + "." + QString::number(PRENTAVIK_VERSION_RELEASE));
    EXPECT_EQ(VersionString(true, true), QStringLiteral(PRENTAVIK_VERSION_STRING));
}

TEST(Common, SystemIsSupportedAndNamed)
{
    // Broke before: any non-empty text passed. Both texts must name this
    // system's kernel release as the kernel itself reports it.
    QFile file(QStringLiteral("/proc/sys/kernel/osrelease"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString release = QString::fromLatin1(file.readAll()).trimmed();
    ASSERT_FALSE(release.isEmpty());
    QString description;
    EXPECT_TRUE(IsSupportedOS(description));
    EXPECT_TRUE(description.contains(release)) << description.toStdString();
    EXPECT_TRUE(OSName().contains(release)) << OSName().toStdString();
    EXPECT_TRUE(OSName().contains(QStringLiteral("linux"), Qt::CaseInsensitive)) << OSName().toStdString();
}

TEST(Common, FileSizeTextRoundsToTheNearestUnit)
{
    struct Case
    {
        qint64 bytes;
        const char *text;
    };
    const Case cases[] = {
        {0, "0b"},
        {1023, "1023b"},
        {1024, "1KB"},
        {1535, "1KB"},
        {1536, "2KB"}, // 1.5 goes to the even neighbour
        {2560, "2KB"}, // 2.5 as well
        {1048575, "1024KB"},
        {1048576, "1MB"},
        {3 * 1048576 / 2, "2MB"},
        {5 * 1048576 / 2, "2MB"},
        {7340032, "7MB"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(FileSizeText(c.bytes), QString::fromLatin1(c.text));
    }
}

TEST(Common, FileSizeTextOfAFile)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("model.raw"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(2048, 'x'));
    file.close();
    EXPECT_EQ(FileSizeText(file.fileName()), "2KB");
}

TEST(Common, PlToAsciiReplacesEveryPolishLetter)
{
    EXPECT_EQ(PlToAscii(QStringLiteral("ĄĆĘŁŃÓŚŹŻąćęłńóśźż")), "ACELNOSZZacelnoszz");
    EXPECT_EQ(PlToAscii(QStringLiteral("Zażółć gęślą jaźń 12")), "Zazolc gesla jazn 12");
    EXPECT_EQ(PlToAscii(QStringLiteral("Ü é")), QStringLiteral("Ü é"));
}

TEST(Common, RemoveCharDropsEveryOccurrence)
{
    EXPECT_EQ(RemoveChar(QLatin1Char(' '), " 12 34 "), "1234");
    EXPECT_EQ(RemoveChar(QLatin1Char('x'), "abc"), "abc");
}

TEST(Common, CopyToWideArrayAlwaysLeavesATerminator)
{
    std::array<char16_t, 5> array;
    array.fill(u'#');
    CopyToWideArray(QStringLiteral("abcdefgh"), array);
    EXPECT_EQ((std::array<char16_t, 5> {u'a', u'b', u'c', u'd', 0}), array);

    array.fill(u'#');
    CopyToWideArray(QStringLiteral("żx"), array);
    EXPECT_EQ((std::array<char16_t, 5> {u'ż', u'x', 0, 0, 0}), array);
}

TEST(Common, UnitDecimalsAndDegrees)
{
    EXPECT_EQ(UnitDecimals(0), 1);
    EXPECT_EQ(UnitDecimals(1), 2);
    EXPECT_EQ(UnitDecimals(2), 3);
    EXPECT_EQ(UnitDecimals(7), 1);
    const int saved = Units::currentLengthUnit();
    Units::setCurrentLengthUnit(Units::Inch);
    EXPECT_EQ(UnitDecimals(), 2);
    Units::setCurrentLengthUnit(saved);
    EXPECT_DOUBLE_EQ(DegToRad(180.0), 3.14159265358979323846);
    EXPECT_DOUBLE_EQ(DegToRad(-90.0), -1.57079632679489661923);
}

// Regression: numbers shown and written with fixed decimals (job time,
// lengths, the hole-drilling drawing) rounded exact halves away from zero.
TEST(Common, FixedTextRoundsExactHalvesToEven)
{
    const struct
    {
        double value;
        int decimals;
        const char *text;
    } cases[] = {{2.5, 0, "2"},
                 {3.5, 0, "4"},
                 {0.125, 2, "0.12"},
                 {0.375, 2, "0.38"},
                 {10.25, 1, "10.2"},
                 {-2.5, 0, "-2"},
                 {-0.4, 0, "0"},
                 {-0.004, 2, "0.00"},
                 {2.675, 2, "2.67"},
                 {1234567.891, 3, "1234567.891"},
                 {1e-7, 17, "0.00000010000000000"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(FixedText(c.value, c.decimals), QString::fromLatin1(c.text));
    }
}

TEST(Common, SideFileNamePrefersTheBokFile)
{
    QTemporaryDir dir;
    const QString front = dir.filePath("wing.plt");
    QString side;
    EXPECT_FALSE(SideFileName(front, side));
    EXPECT_EQ(side, dir.filePath("wing_side.plt"));
    touch(dir.filePath("wing_side.plt"));
    EXPECT_TRUE(SideFileName(front, side));
    EXPECT_EQ(side, dir.filePath("wing_side.plt"));
    touch(dir.filePath("wing_bok.plt"));
    EXPECT_TRUE(SideFileName(front, side));
    EXPECT_EQ(side, dir.filePath("wing_bok.plt"));
}

TEST(Common, DocumentsFollowLanguageDealerAndEnglishFallback)
{
    QTemporaryDir dir;
    const QString root = QDir::cleanPath(dir.path());
    auto in = [&](const char *name) { return root + "/" + name; };
    DocumentPlace de {root, "DE", ""};
    DocumentPlace dealer {root, "DE", "ACME"};
    DocumentPlace own {root, "DE", "KORVANEL"};
    QString path;

    EXPECT_FALSE(ManualPath(de, path));
    touch(in("Dervilon_manual_US.pdf"));
    EXPECT_TRUE(ManualPath(de, path));
    EXPECT_EQ(path, in("Dervilon_manual_US.pdf"));
    touch(in("Dervilon_manual_DE.pdf"));
    EXPECT_TRUE(ManualPath(de, path));
    EXPECT_EQ(path, in("Dervilon_manual_DE.pdf"));
    EXPECT_TRUE(ManualPath(own, path));
    EXPECT_EQ(path, in("Dervilon_manual_DE.pdf"));
    EXPECT_FALSE(ManualPath(dealer, path));
    touch(in("Dervilon_manual_US_ACME.pdf"));
    EXPECT_TRUE(ManualPath(dealer, path));
    EXPECT_EQ(path, in("Dervilon_manual_US_ACME.pdf"));

    EXPECT_FALSE(DealerCataloguePath(de, path));
    EXPECT_EQ(path, "");
    EXPECT_FALSE(DealerCataloguePath(dealer, path));
    EXPECT_EQ(path, "");
    touch(in("Catalogue_DE_ACME.pdf"));
    EXPECT_TRUE(DealerCataloguePath(dealer, path));
    EXPECT_EQ(path, in("Catalogue_DE_ACME.pdf"));
    EXPECT_TRUE(CataloguePath(dealer, path));
    EXPECT_EQ(path, in("Catalogue_DE_ACME.pdf"));

    EXPECT_FALSE(CataloguePath(de, path));
    touch(in("Catalogue_US.pdf"));
    EXPECT_TRUE(CataloguePath(own, path));
    EXPECT_EQ(path, in("Catalogue_US.pdf"));
}

TEST(Common, SamplesFolderForPolishFallsBackToSamples)
{
    QTemporaryDir dir;
    const QString root = QDir::cleanPath(dir.path());
    QString folder;
    EXPECT_FALSE(SamplesDir({root, "PL", ""}, folder));
    ASSERT_TRUE(QDir(root).mkdir("Samples"));
    EXPECT_TRUE(SamplesDir({root, "PL", ""}, folder));
    EXPECT_EQ(folder, root + "/Samples");
    ASSERT_TRUE(QDir(root).mkdir("Projekty probne"));
    EXPECT_TRUE(SamplesDir({root, "PL", ""}, folder));
    EXPECT_EQ(folder, root + "/Projekty probne");
    EXPECT_TRUE(SamplesDir({root, "US", ""}, folder));
    EXPECT_EQ(folder, root + "/Samples");
}

TEST(Common, DeleteFileMsgDeletesOrSaysWhy)
{
    LanguageFolder folder;
    folder.writeValid("US",
                      "<Universal><blad str=\"Error\"/>"
                      "<BrakPlikuDoUsuniecia str=\"No file to delete\"/>"
                      "<BladUsuwaniaPliku str=\"Cannot delete\"/></Universal>");
    tInterfejs language;
    ASSERT_TRUE(language.LoadFile("US", folder.check()));
    ScopedLanguage scoped(std::move(language));
    RecordingMessageBoxes boxes;
    QTemporaryDir dir;

    const QString existing = dir.filePath("set.cod");
    touch(existing);
    EXPECT_TRUE(DeleteFileMsg(existing));
    EXPECT_FALSE(QFileInfo::exists(existing));
    EXPECT_TRUE(boxes.shown.empty());

    EXPECT_FALSE(DeleteFileMsg(existing));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], (Message {"No file to delete\n\r" + existing, "Error", MessageKind::Error}));
}

// Regression: a delete that failed (the name is a folder here, so it fails
// even for root) used to report success.
TEST(Common, DeleteFileMsgReportsAFailedDelete)
{
    LanguageFolder folder;
    folder.writeValid(
        "US", "<Universal><blad str=\"Error\"/><BladUsuwaniaPliku str=\"Cannot delete\"/></Universal>");
    tInterfejs language;
    ASSERT_TRUE(language.LoadFile("US", folder.check()));
    ScopedLanguage scoped(std::move(language));
    RecordingMessageBoxes boxes;
    QTemporaryDir dir;
    const QString folderName = dir.filePath("sets");
    ASSERT_TRUE(QDir().mkdir(folderName));

    EXPECT_FALSE(DeleteFileMsg(folderName));
    EXPECT_TRUE(QFileInfo(folderName).isDir());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], (Message {"Cannot delete\n\r" + folderName, "Error", MessageKind::Error}));
}

TEST(Common, WithoutMnemonicReadsACaptionAsATip)
{
    const std::pair<const char *, const char *> cases[] = {{"&Start", "Start"},
                                                           {"E&xit", "Exit"},
                                                           {"Save && quit", "Save & quit"},
                                                           {"end&", "end"},
                                                           {"plain", "plain"}};
    for (const auto &[caption, tip] : cases)
        EXPECT_EQ(WithoutMnemonic(QString::fromLatin1(caption)), QString::fromLatin1(tip)) << caption;
}
