// Barcode sets: the codes and their bars, the label bytes and where they go,
// the set files, and saving and opening a set over a recording host.
#include "app/inifile.h"
#include "job/barcode.h"
#include "job/barcodebrowser.h"
#include "job/barcodelabel.h"
#include "job/barcodesets.h"
#include "support/recordingmessageboxes.h"
#include "support/scopedlanguage.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iconv.h>
#include <map>
#include <poll.h>
#include <unistd.h>

namespace {

// Records what the sets ask of the main window.
class RecordingHost : public IBarcodeSetHost
{
public:
    explicit RecordingHost(QString folder)
        : folder(std::move(folder))
    { }
    QString setFolder() const override { return folder; }
    bool loadKonfig(const QString &path) override
    {
        log << "config " + path;
        return configTaken;
    }
    QString machineConfigPath() const override { return QStringLiteral("/cfg/shop.mcc"); }
    void openProject(const QString &fileName) override
    {
        log << "open " + fileName;
        ++count;
    }
    int projectCount() const override { return count; }
    void closeAllProjects() override
    {
        log << QStringLiteral("close all");
        count = 0;
    }
    void tileWindows() override { log << QStringLiteral("tile"); }
    std::vector<TSetProjectWindow> projectWindows() const override { return windows; }

    QString folder;
    QStringList log;
    bool configTaken = true;
    int count = 0;
    std::vector<TSetProjectWindow> windows;
};

// Opening a drawing may open another with it, as a front profile opens its
// side; the windows record what is open.
class WindowOpeningHost : public RecordingHost
{
public:
    using RecordingHost::RecordingHost;
    void openProject(const QString &fileName) override
    {
        RecordingHost::openProject(fileName);
        windows.push_back({fileName, fileName});
        if (const auto along = alongWith.find(fileName); along != alongWith.end()) {
            windows.push_back({along->second, along->second, 1});
            ++count;
        }
    }

    std::map<QString, QString> alongWith;
};

const QString Label15Pattern
    = QStringLiteral("1010001011010011101001110001101000110101001110101011100101110010111001011100"
                     "1011001101001110101");

} // namespace

TEST(Ean13, CodesCheckDigitsAndBars)
{
    const std::pair<int, const char *> codes[] = {
        {1, "5900000000015"},  {2, "5900000000022"},         {10, "5900000000107"},
        {11, "5900000000114"}, {123456789, "5901234567893"},
    };
    for (const auto &[number, code] : codes) {
        SCOPED_TRACE(number);
        EXPECT_EQ(MakeEan13(number), QString::fromLatin1(code));
    }
    EXPECT_EQ(MakeEan13(0), QString());
    EXPECT_EQ(MakeEan13(MaxBarcodeNumber + 1), QString());

    EXPECT_EQ(Ean13Pattern(QStringLiteral("5900000000015")), Label15Pattern);
    // A first digit with G-coded places: 5 selects L G G L L G.
    EXPECT_EQ(Ean13Pattern(QStringLiteral("5901234567893")).mid(3, 14), QStringLiteral("00010110100111"));
    for (const char *notACode : {"", "590000000001", "59000000000155", "590000000001x", "590000000001٥"})
        EXPECT_EQ(Ean13Pattern(QString::fromUtf8(notACode)), QString()) << notACode;
}

TEST(BarcodeSets, OnlyThirteenDigitCodFilesCountAndSaveWritesTheNextCode)
{
    QTemporaryDir dir;
    for (const char *name :
         {"5900000000015.cod", "5900000000107.cod", "abc.cod", "5900000000999.txt", "590000000099.cod"})
        WriteAll(dir.filePath(QString::fromLatin1(name)), "[Projects]\r\n");
    EXPECT_EQ(HighestBarcodeNumber(dir.path()), 10);
    EXPECT_EQ(BarcodeSetCodes(dir.path()), (QStringList {"5900000000015", "5900000000107"}));

    ScopedLanguage language(ShippedLanguage());
    RecordingMessageBoxes boxes;
    RecordingHost host(dir.path());
    host.windows = {
        {"a.plt", "/d/a.plt"}, {"Copies 3 x 2", ""}, {"b.dxf FRONT", "/d/b.dxf"}, {"b.dxf BACK", "/d/b.dxf"}};
    const TSavedSet saved = SaveBarcodeSet(host);
    ASSERT_TRUE(saved.saved);
    EXPECT_EQ(saved.code, "5900000000114");
    EXPECT_EQ(ReadAll(saved.fileName),
              "[Configuration]\r\nConfigFileName=/cfg/shop.mcc\r\n\r\n"
              "[Projects]\r\nPrj1=/d/a.plt\r\nPrj2=/d/b.dxf\r\n");
    // The generated project is named, once, in one information box.
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, MessageKind::Information);
    EXPECT_TRUE(boxes.shown[0].text.endsWith("\nCopies 3 x 2"));

    // A name the count does not see (a folder) still blocks the next code.
    boxes.shown.clear();
    ASSERT_TRUE(QDir(dir.path()).mkdir("5900000000121.cod"));
    EXPECT_FALSE(SaveBarcodeSet(host).saved);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Taki kod kreskowy już istnieje"));

    // Past the last running number nothing is written.
    boxes.shown.clear();
    WriteAll(dir.filePath("5909999999999.cod"), {});
    EXPECT_FALSE(SaveBarcodeSet(host).saved);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, MessageKind::Error);
}

TEST(BarcodeSets, OpeningLoadsTheConfigurationAndProjectsUpToTheFirstGap)
{
    QTemporaryDir dir;
    ScopedLanguage language(ShippedLanguage());
    RecordingMessageBoxes boxes;
    const QString config = dir.filePath("shop.mcc");
    WriteAll(config, "Mode := 0\r\n");
    WriteAll(dir.filePath("5900000000015.cod"),
             "[Configuration]\r\nConfigFileName=" + config.toUtf8()
                 + "\r\n[Projects]\r\nPrj1=/d/a.plt\r\nPrj3=/d/c.plt\r\n");
    WriteAll(dir.filePath("5900000000022.cod"), "[Projects]\r\nPrj1=/d/a.plt\r\nPrj2=sub/b.dxf\r\n");

    RecordingHost host(dir.path());
    host.count = 1; // a project is open
    EXPECT_TRUE(OpenScannedSet("5900000000015", host));
    EXPECT_EQ(host.log, (QStringList {"close all", "config " + config, "open /d/a.plt"}));

    // Two projects are tiled; a relative name is taken from the set's folder;
    // no configuration means false, yet the projects open.
    host.log.clear();
    EXPECT_FALSE(OpenBarcodeSet("5900000000022", host));
    EXPECT_EQ(host.log, (QStringList {"open /d/a.plt", "open " + dir.filePath("sub/b.dxf"), "tile"}));

    // A code without a set changes nothing.
    host.log.clear();
    EXPECT_FALSE(OpenScannedSet("5900000000039", host));
    EXPECT_TRUE(host.log.isEmpty());

    // A path the global record cannot hold is refused, not cut.
    const QString longDir = dir.filePath(QString(120, u'd')) + "/" + QString(120, u'e');
    ASSERT_TRUE(QDir().mkpath(longDir));
    const QString longConfig = longDir + "/shop.mcc";
    WriteAll(longConfig, "Mode := 0\r\n");
    WriteAll(dir.filePath("5900000000039.cod"),
             "[Configuration]\r\nConfigFileName=" + longConfig.toUtf8() + "\r\n");
    host.log.clear();
    EXPECT_FALSE(OpenBarcodeSet("5900000000039", host));
    EXPECT_TRUE(host.log.isEmpty());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.endsWith("\n" + longConfig.left(60) + "..."));
}

// Faults mended in sets edited by hand: blanks around the configuration path
// made it name no file, and a set saved as "<code>.COD" was not listed, so
// the next save wrote a second set under the same code.
TEST(BarcodeSets, HandEditedSetsAreReadAsTheProgramsOwn)
{
    QTemporaryDir dir;
    ScopedLanguage language(ShippedLanguage());
    RecordingMessageBoxes boxes;
    const QString config = dir.filePath("shop.mcc");
    WriteAll(config, "Mode := 0\r\n");
    WriteAll(dir.filePath("5900000000015.COD"),
             "[Configuration]\r\nConfigFileName= " + config.toUtf8() + " \r\n");
    WriteAll(dir.filePath("5900000000022.cod"), "[Configuration]\r\nConfigFileName= shop.mcc\r\n");
    EXPECT_EQ(BarcodeSetCodes(dir.path()), (QStringList {"5900000000015", "5900000000022"}));
    EXPECT_EQ(BarcodeSetPath(dir.path(), "5900000000015"), dir.filePath("5900000000015.COD"));

    RecordingHost host(dir.path());
    EXPECT_TRUE(OpenScannedSet("5900000000015", host));
    EXPECT_TRUE(OpenBarcodeSet("5900000000022", host)); // relative, from the set's folder
    EXPECT_EQ(host.log, (QStringList {"close all", "config " + config, "config " + config}));
    host.configTaken = false; // the configuration refused the file
    EXPECT_FALSE(OpenBarcodeSet("5900000000015", host));

    const TSavedSet saved = SaveBarcodeSet(host);
    ASSERT_TRUE(saved.saved);
    EXPECT_EQ(saved.code, "5900000000039");
    EXPECT_EQ(QDir(dir.path()).entryList({"*.cod"}, QDir::Files).size(), 3);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(BarcodeSets, AFrontProfileIsSavedFirstAndItsSideOpensOnlyWithIt)
{
    QTemporaryDir dir;
    ScopedLanguage language(ShippedLanguage());
    RecordingMessageBoxes boxes;
    WindowOpeningHost host(dir.path());
    // Saved while the side window was the active one.
    host.windows = {{"p_bok.plt   Side", "/d/p_bok.plt", 1}, {"p.plt   Front", "/d/p.plt", 0}};
    const TSavedSet saved = SaveBarcodeSet(host);
    ASSERT_TRUE(saved.saved);
    EXPECT_EQ(ReadBarcodeSet(TIniFile(saved.fileName)).projects, (QStringList {"/d/p.plt", "/d/p_bok.plt"}));

    host.windows.clear();
    host.alongWith["/d/p.plt"] = "/d/p_bok.plt";
    OpenBarcodeSet(saved.code, host);
    EXPECT_EQ(host.log, (QStringList {"open /d/p.plt", "tile"}));
}

TEST(BarcodeSets, SaveCommandOffersTheBrowserOnTheNewCode)
{
    QTemporaryDir dir;
    ScopedLanguage language(ShippedLanguage());
    RecordingMessageBoxes boxes;
    RecordingHost host(dir.path());
    QStringList browsed;
    auto browse = [&](const QString &code) { browsed << code; };

    KodyKreskoweZapisClick(host, browse);
    ASSERT_EQ(boxes.questions.size(), 1u);
    EXPECT_EQ(boxes.questions[0],
              "Obecne ustawienia zapisano do pliku :\r\n" + dir.filePath("5900000000015.cod")
                  + "\r\n\r\nCzy chcesz uzupełnić etykietę kodu kreskowego?");
    EXPECT_EQ(browsed, QStringList {"5900000000015"});

    boxes.answer = DlgButton::Cancel;
    KodyKreskoweZapisClick(host, browse);
    EXPECT_EQ(browsed, QStringList {"5900000000015"});
    EXPECT_TRUE(QFile::exists(dir.filePath("5900000000022.cod")));
}

TEST(BarcodeLabel, BytesOfTheEplCommands)
{
    TBarcodeLabel label;
    label.code = QStringLiteral("5900000000015");
    label.configurationLines = {"Tryb: Ciecie", "V: 300 [mm/min]", "P: 5 [A]", "T: 1000 [ms]", "Pz: 0 [ms]"};
    label.userLines = {QStringLiteral(" Łódź 1 "), QString(), "x", QString()};
    label.copies = 2;
    EXPECT_EQ(BarcodeLabelBytes(label),
              QByteArray("\n\r\n"
                         "N\r\n"
                         "B50,10,0,E30,3,7,100,B,\"5900000000015\"\r\n"
                         "I8,B,001\r\n"
                         "A0,140,0,4,1,1,N,\"Tryb: Ciecie\"\r\n"
                         "A0,175,0,4,1,1,N,\"V: 300 [mm/min]\"\r\n"
                         "A0,210,0,4,1,1,N,\"P: 5 [A]\"\r\n"
                         "A0,245,0,4,1,1,N,\"T: 1000 [ms]\"\r\n"
                         "A0,280,0,4,1,1,N,\"Pz: 0 [ms]\"\r\n"
                         "A0,325,0,4,1,1,N,\"Lodz 1\"\r\n"
                         "A0,360,0,4,1,1,N,\"\"\r\n"
                         "A0,395,0,4,1,1,N,\"x\"\r\n"
                         "A0,430,0,4,1,1,N,\"\"\r\n"
                         "P2\r\n"));

    // Kept letters go out in Windows-1250; quotes, backslashes and line
    // breaks cannot end the printer's text early.
    label.keepNationalLetters = true;
    label.userLines = {QStringLiteral("Łódź"), "a \"b\" \\", "one\ntwo", QStringLiteral("Ā")};
    label.configurationLines[0] = QStringLiteral("Tryb: Cięcie");
    const QByteArray bytes = BarcodeLabelBytes(label);
    EXPECT_TRUE(bytes.contains("N,\"Tryb: Ci\xEA"
                               "cie\"\r\n"));
    EXPECT_TRUE(bytes.contains("325,0,4,1,1,N,\"\xA3\xF3\x64\x9F\"\r\n"));
    EXPECT_TRUE(bytes.contains("N,\"a \\\"b\\\" \\\\\"\r\n"));
    EXPECT_TRUE(bytes.contains("N,\"one?two\"\r\n"));
    EXPECT_TRUE(bytes.contains("N,\"?\"\r\n"));
}

TEST(BarcodeLabel, CodePageTableMatchesTheSystemsConverter)
{
    iconv_t cd = iconv_open("UTF-16LE", "WINDOWS-1250");
    ASSERT_NE(cd, iconv_t(-1));
    int mapped = 0;
    for (int b = 0x80; b <= 0xFF; ++b) {
        char in = char(b);
        char16_t out = 0;
        char *inPtr = &in;
        char *outPtr = reinterpret_cast<char *>(&out);
        size_t inLeft = 1;
        size_t outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1))
            continue; // a byte the code page leaves undefined
        ++mapped;
        EXPECT_EQ(EncodeWindows1250(QStringView(&out, 1)), QByteArray(1, char(b))) << std::hex << b;
    }
    iconv_close(cd);
    EXPECT_EQ(mapped, 123);
    EXPECT_EQ(EncodeWindows1250(u"x\U0001F600y"), "x?y");
}

TEST(BarcodeLabel, GoesRawToATerminalAndAsItIsToAFile)
{
    const QByteArray bytes = "\nN\r\nP1\r\n";

    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const QString terminal = QString::fromLocal8Bit(ptsname(master));
    const ConfigFiles::FileResult sent = WriteLabel(terminal, bytes);
    EXPECT_TRUE(sent.ok) << sent.error.toStdString();
    // A terminal left in its cooked mode would turn the lone LF into CR LF.
    QByteArray received;
    pollfd wait {master, POLLIN, 0};
    while (received.size() < bytes.size() && poll(&wait, 1, 2000) > 0) {
        char buffer[64];
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        received.append(buffer, n);
    }
    close(master);
    EXPECT_EQ(received, bytes);

    QTemporaryDir dir;
    const QString file = dir.filePath("label.prn");
    WriteAll(file, "an older, longer label");
    EXPECT_TRUE(WriteLabel(file, bytes).ok);
    EXPECT_EQ(ReadAll(file), bytes);

    const ConfigFiles::FileResult failed = WriteLabel(dir.filePath("no/such/folder"), bytes);
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.error.isEmpty());
    // A mistyped port fails, even where /dev is writable, and leaves no file.
    const QString missingPort = QStringLiteral("/dev/prentavik-no-such-port");
    EXPECT_FALSE(WriteLabel(missingPort, bytes).ok);
    EXPECT_FALSE(QFile::exists(missingPort));
}

TEST(BarcodeBrowser, ListsEditsAndSavesSets)
{
    QTemporaryDir dir;
    ScopedLanguage language(ShippedLanguage());
    RecordingMessageBoxes boxes;
    const QString config = dir.filePath("shop.mcc");
    WriteAll(config,
             "Mode := 0\r\nszybkoscObrobki := 300\r\nwork_power := 5\r\nCzasRozgrzewania := 1000\r\n"
             "Pauza_w_kacie := 0\r\nwork_power := 2.5\r\n");
    WriteAll(dir.filePath("5900000000015.cod"),
             "[Configuration]\r\nConfigFileName=" + config.toUtf8()
                 + "\r\n[Projects]\r\nPrj1=/d/1.plt\r\nPrj2=/d/2.plt\r\nPrj3=/d/3.plt\r\nPrj4=/d/4.plt\r\n"
                   "Prj5=/d/5.plt\r\nPrj6=/d/6.plt\r\n[Label]\r\nLine2=kept\r\n[Notes]\r\nby=hand\r\n");

    TBarcodeBrowser browser(dir.path(), "5900000000015", dir.filePath("Prentavik.ini"));
    browser.FormShow();
    ASSERT_EQ(browser.selectedIndex(), 0);
    EXPECT_EQ(browser.pattern(), Label15Pattern);
    EXPECT_FALSE(browser.saveEnabled());
    EXPECT_EQ(browser.userLines(), (std::array<QString, 4> {"", "kept", "", ""}));
    EXPECT_EQ(browser.summary(),
              (std::array<QString, 5> {"Cutting mode: Flat cutting", "Working speed: 300 [mm/min]",
                                       "Heating power: 2.5 [A]", "Heat-up time: 1000 [ms]",
                                       "Pause in a corner: 0 [ms]"}));
    const TBarcodeSheet sheet = browser.sheet();
    EXPECT_EQ(sheet.pIloscProjektow, QStringLiteral("Wyświetlane są tylko 4 z 6 projektów"));
    EXPECT_EQ(sheet.projects, (QStringList {"/d/1.plt", "/d/2.plt", "/d/3.plt", "/d/4.plt"}));
    EXPECT_EQ(sheet.pMoc, "Heating power: 2.5 [A]");

    // A shorter list leaves no surplus keys; other sections stay.
    for (int i = 0; i < 4; ++i)
        browser.removeProject(1);
    browser.setUserLine(0, "Shelf 4");
    ASSERT_TRUE(browser.saveEnabled());
    ASSERT_TRUE(browser.btnZapiszClick().ok);
    EXPECT_FALSE(browser.saveEnabled());
    const TIniFile saved(dir.filePath("5900000000015.cod"));
    EXPECT_EQ(ReadBarcodeSet(saved).projects, (QStringList {"/d/1.plt", "/d/6.plt"}));
    EXPECT_FALSE(saved.valueExists("Projects", "Prj3"));
    EXPECT_EQ(saved.readString("Label", "Line1"), "Shelf 4");
    EXPECT_EQ(saved.readString("Notes", "by"), "hand");

    // A missing configuration file gives an empty summary.
    browser.setConfigFileName(dir.filePath("gone.mcc"));
    EXPECT_EQ(browser.summary(), (std::array<QString, 5> {}));

    // The label goes to the port, which is kept for the next browser.
    browser.setLabelPort(dir.filePath("label.prn"));
    const TBarcodeBrowser::LabelOutcome printed = browser.btnDrukujEtykieteClick();
    EXPECT_TRUE(printed.printed.ok && printed.portSaved.ok);
    EXPECT_TRUE(ReadAll(dir.filePath("label.prn")).contains("N,\"Shelf 4\"\r\nA0,360,0,4,1,1,N,\"kept\""));
    EXPECT_EQ(ReadLabelPort(dir.filePath("Prentavik.ini")), dir.filePath("label.prn"));

    ASSERT_TRUE(browser.btnUsunPlikClick());
    EXPECT_TRUE(browser.codes().isEmpty());
    EXPECT_FALSE(browser.setButtonsEnabled());
}

// Fault mended: a set edited by hand with blanks around its paths opened its
// files when scanned, but the browser took the paths as written: its label
// and sheet had no configuration lines and it listed files that do not exist.
TEST(BarcodeBrowser, HandEditedSetShowsTheFilesItsScanOpens)
{
    QTemporaryDir dir;
    ScopedLanguage language(ShippedLanguage());
    RecordingMessageBoxes boxes;
    WriteAll(dir.filePath("shop.mcc"), "Mode := 0\r\nszybkoscObrobki := 300\r\n");
    WriteAll(
        dir.filePath("5900000000015.COD"),
        "[Configuration]\r\nConfigFileName=  shop.mcc \r\n[Projects]\r\nPrj1= /d/1.plt  \r\nPrj2= 2.plt\r\n");

    TBarcodeBrowser browser(dir.path(), "5900000000015", dir.filePath("Prentavik.ini"));
    browser.FormShow();
    ASSERT_EQ(browser.selectedIndex(), 0);
    EXPECT_EQ(browser.configFileName(), dir.filePath("shop.mcc"));
    EXPECT_EQ(browser.projects(), (QStringList {"/d/1.plt", dir.filePath("2.plt")}));
    EXPECT_EQ(browser.summary()[1], "Working speed: 300 [mm/min]");
    EXPECT_EQ(browser.sheet().projects, browser.projects());
}
