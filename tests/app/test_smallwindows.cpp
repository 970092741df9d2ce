// The texts of the About box, the folder dialog's name check and the
// support-request page, without a screen.
#include "app/aboutbox.h"
#include "app/common.h"
#include "app/folderchoice.h"
#include "app/supportrequest.h"
#include "support/recordingmessageboxes.h"
#include "support/scopedlanguage.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TMachineReport Machine(const char *family)
{
    TMachineReport machine;
    machine.connected = true;
    machine.manufacturer = QStringLiteral("Korvanel");
    machine.machineName = QString::fromLatin1(family) + QStringLiteral("45");
    machine.family = QString::fromLatin1(family);
    machine.limitX = 1270;
    machine.limitY = 762;
    machine.limitZ = 360;
    machine.fcWidth = 1200;
    machine.workingTime = 135;
    machine.jobCount = 56;
    machine.firmwareMajor = 4;
    machine.firmwareMinor = 12;
    return machine;
}

} // namespace

TEST(AboutBox, MachineValuesFollowTheFamilyAndTheUnit)
{
    ScopedLanguage language(ShippedLanguage());
    const TAboutValues inch = AboutValues(Machine("Vq"), 1, QStringLiteral("1 Mar 2024"));
    EXPECT_EQ(inch.area, "50.0x30.0 in");
    EXPECT_EQ(inch.workingTime, "2 h 15 min.");
    EXPECT_EQ(inch.width, "47.24 in"); // inches with two decimals
    EXPECT_EQ(inch.producer + inch.model + inch.jobs + " " + inch.firmware, "KorvanelVq4556 4.12");
    EXPECT_EQ(inch.version + " " + inch.date, VersionString(true, true) + " 1 Mar 2024");

    struct Case
    {
        const char *family;
        TAboutWidthRow row;
        const char *width;
    };
    const Case cases[] = {
        {"Vq", TAboutWidthRow::Width, "1200.0 mm"}, {"GZ", TAboutWidthRow::Width, "1200.0 mm"},
        {"zf", TAboutWidthRow::Width, "1200.0 mm"}, {"bn", TAboutWidthRow::ZTravel, "360.0 mm"},
        {"Q7", TAboutWidthRow::Hidden, ""},         {"LJ", TAboutWidthRow::Hidden, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.family);
        const TAboutValues mm = AboutValues(Machine(c.family), 0, {});
        EXPECT_EQ(mm.widthRow, c.row);
        EXPECT_EQ(mm.width, c.width);
    }

    TMachineReport absent = Machine("Vq");
    absent.connected = false;
    const TAboutValues none = AboutValues(absent, 0, {});
    for (const QString &field :
         {none.producer, none.model, none.area, none.width, none.workingTime, none.jobs, none.firmware})
        EXPECT_EQ(field, "no data");
    EXPECT_EQ(none.widthRow, TAboutWidthRow::Width);
}

TEST(AboutBox, LinkAndLogoFollowTheDealer)
{
    QTemporaryDir dir;
    QFile(dir.filePath(QStringLiteral("SOLMAR.bmp"))).open(QIODevice::WriteOnly);
    const DeploymentLinks links {
        QStringLiteral("https://maker.example"), QStringLiteral("https://solmar.example"), {}};
    struct Case
    {
        const char *dealer;
        const char *link;
        bool producer;
        bool logo;
    };
    const Case cases[] = {
        {"", "https://maker.example", true, false},
        {"KORVANEL", "https://maker.example", true, false},
        {"SOLMAR", "https://solmar.example", false, true},
        {"OTHER", "", false, false}, // a dealer without its logo file: no logo panel
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.dealer);
        const TAboutLayout layout = AboutLayout(QString::fromLatin1(c.dealer), dir.path(), links);
        EXPECT_EQ(layout.link, c.link);
        EXPECT_EQ(layout.showProducer, c.producer);
        EXPECT_EQ(layout.logoPath.isEmpty(), !c.logo);
    }
}

TEST(FolderDialog, NamesWithForbiddenCharactersOrOnlyDotsAndBlanksAreRefused)
{
    for (const char *name :
         {"a:b", "a\\b", "a/b", "a*", "a?", "a\"b", "a<b", "a>b", "a|b", "", ".", "..", "  ", ". ."})
        EXPECT_FALSE(IsValidFolderName(QString::fromLatin1(name))) << name;
    for (const char *name : {"serial", "a.b", " a", "wing 2", "..x"})
        EXPECT_TRUE(IsValidFolderName(QString::fromLatin1(name))) << name;

    ScopedLanguage language(ShippedLanguage());
    EXPECT_EQ(InvalidFolderNameText(QStringLiteral("a:b")),
              "This name cannot be given to a folder:\r\n\r\na:b\r\n\r\nA folder name must not be empty, "
              "must not be "
              "made only of dots and blanks, and must not hold these characters :  \\/:*?\"<>|");

    QTemporaryDir dir;
    QString path;
    EXPECT_EQ(CreateNewFolder(dir.path(), QStringLiteral("passes"), path), TNewFolderResult::Created);
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_EQ(CreateNewFolder(dir.path(), QStringLiteral("passes"), path), TNewFolderResult::Exists);
    EXPECT_EQ(NewFolderFailureText(TNewFolderResult::Exists, path),
              "A folder of this name already exists:\r\n" + QDir::toNativeSeparators(path));
}

namespace {

TSupportRequest Request(bool connected)
{
    TSupportRequest request;
    request.softwareVersion = SupportSoftwareVersion(QStringLiteral("1 Mar 2024"));
    request.operatingSystem = QStringLiteral("Debian <script>alert(1)</script>");
    request.attachedFiles = {QStringLiteral("/p/Prentavik.mcc"), QStringLiteral("/d/wing.plt"),
                             QStringLiteral("/d/a\"<b>&.plt")};
    request.machine.connected = connected;
    request.machine.manufacturer = QStringLiteral("Korvanel");
    request.machine.machineName = QStringLiteral("bn45");
    request.machine.limitX = 1200;
    request.machine.limitY = 800;
    request.machine.fcWidth = 1200.5;
    request.machine.workingTime = 125;
    request.machine.jobCount = 56;
    request.decimalPoint = QStringLiteral(",");
    request.formAction = QStringLiteral("https://support.example/form?a=1&b=2");
    return request;
}

QString Field(const QString &page, const char *name)
{
    const QString start = QStringLiteral("NAME=\"") + QString::fromLatin1(name) + QStringLiteral("\"");
    const qsizetype at = page.indexOf(start);
    const qsizetype value = page.indexOf(QStringLiteral("VALUE=\""), at) + 7;
    return at < 0 ? QString() : page.mid(value, page.indexOf(QLatin1Char('"'), value) - value);
}

} // namespace

TEST(SupportRequest, MachineFieldsNoDataNoticeAndEscapedAttachments)
{
    const QString absent = MakeSupportRequest(Request(false));
    EXPECT_EQ(absent.count(QStringLiteral("VALUE=\"!!! no data !!!\"")), 7);
    EXPECT_TRUE(
        absent.contains(QStringLiteral("No communication, no data! Please connect ploter and try again")));

    const QString page = MakeSupportRequest(Request(true));
    EXPECT_FALSE(page.contains(QStringLiteral("No communication")));
    const std::pair<const char *, const char *> fields[] = {
        {"ploterManufacturer", "Korvanel"},       {"ploterModel", "bn45"},
        {"ploterWorkingArea", "1200.0x800.0 mm"}, {"ploterWidth", "1200,5 mm"},
        {"ploterWorkingTime", "2 h 5 min."},      {"ploterNumberOfFiles", "56"},
        {"ploterDesigned", "!!! no data !!!"},
    };
    for (const auto &[name, value] : fields)
        EXPECT_EQ(Field(page, name), value) << name;
    EXPECT_EQ(Field(page, "softVersion"), VersionString(true, true) + " [1 Mar 2024]");
    EXPECT_TRUE(page.endsWith(QStringLiteral(" </FORM>\r\n </BODY></HTML>\r\n")));

    // Attachments in order, every value escaped.
    EXPECT_EQ(page.count(QStringLiteral("<OPTION NAME=\"atach")), 3);
    const qsizetype configuration
        = page.indexOf(QStringLiteral("NAME=\"atach1\" VALUE=\"/p/Prentavik.mcc\""));
    EXPECT_GE(configuration, 0);
    EXPECT_LT(configuration, page.indexOf(QStringLiteral("NAME=\"atach2\" VALUE=\"/d/wing.plt\"")));
    EXPECT_TRUE(page.contains(
        QStringLiteral("VALUE=\"/d/a&quot;&lt;b&gt;&amp;.plt\" SELECTED>/d/a&quot;&lt;b&gt;&amp;.plt<")));
    EXPECT_FALSE(page.contains(QStringLiteral("<b>")));
    EXPECT_FALSE(page.contains(QStringLiteral("<script>")));
    EXPECT_TRUE(page.contains(QStringLiteral("ACTION=\"https://support.example/form?a=1&amp;b=2\"")));
}

TEST(SupportRequest, WrittenWholeAndOpenedOrTheFailureShown)
{
    ScopedLanguage language(ShippedLanguage());
    RecordingMessageBoxes boxes;
    QTemporaryDir dir;
    QStringList opened;
    auto open = [&opened](const QString &path) {
        opened << path;
        return true;
    };
    const QString path = dir.filePath(QStringLiteral("SupportRequest.html"));
    ASSERT_TRUE(WriteSupportRequest(Request(false), path, open));
    EXPECT_EQ(opened, QStringList {path});
    EXPECT_EQ(ReadAll(path), "\xEF\xBB\xBF" + MakeSupportRequest(Request(false)).toUtf8());

    const QString unwritable = dir.filePath(QStringLiteral("missing/SupportRequest.html"));
    EXPECT_FALSE(WriteSupportRequest(Request(false), unwritable, open));
    EXPECT_EQ(opened.size(), 1);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, MessageKind::Error);
    EXPECT_TRUE(boxes.shown[0].text.startsWith("The file could not be written:\n"
                                               + QDir::toNativeSeparators(unwritable)));
}

// Fault mended: with no browser to start, the page was written and nothing
// said so; the operator did not know where to find it.
TEST(SupportRequest, ABrowserThatDoesNotStartLeavesThePagesPathShown)
{
    RecordingMessageBoxes boxes;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SupportRequest.html"));
    for (const char *lang : {"US", "PL"}) {
        SCOPED_TRACE(lang);
        ScopedLanguage language(ShippedLanguage(QString::fromLatin1(lang)));
        boxes.shown.clear();
        EXPECT_TRUE(WriteSupportRequest(Request(false), path, [](const QString &) { return false; }));
        EXPECT_TRUE(QFileInfo(path).isFile());
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].kind, MessageKind::Information);
        EXPECT_TRUE(boxes.shown[0].text.endsWith(":\n" + QDir::toNativeSeparators(path)));
    }
    EXPECT_TRUE(boxes.shown[0].text.startsWith("Strona zgłoszenia została zapisana"));
}
