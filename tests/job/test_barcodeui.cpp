// What the barcode sets draw: the browser's preview, the A4 sheet read back
// bar by bar, and the browser's controls over a folder of sets.
#include "job/barcode.h"
#include "job/ui/barcodedlg.h"
#include "support/recordingmessageboxes.h"
#include "support/scopedlanguage.h"
#include "support/testfiles.h"
#include "support/textfit.h"

#include <QBuffer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

const QString Code = QStringLiteral("5900000000015");

bool Dark(QRgb pixel)
{
    return qGray(pixel) < 128;
}

} // namespace

TEST(BarcodeDrawing, PreviewHasItsLongBarsWhereTheGuardsAre)
{
    const QImage preview = BarcodePreview(Ean13Pattern(Code));
    std::vector<int> longBars;
    for (int x = 0; x < preview.width(); ++x) {
        if (preview.pixel(x, 83) == qRgb(0, 0, 0))
            longBars.push_back(x);
    }
    EXPECT_EQ(longBars, (std::vector<int> {12, 14, 58, 60, 104, 106}));
    EXPECT_EQ(preview.pixel(0, 0), qRgb(0, 128, 0));
    EXPECT_EQ(preview.pixel(2, 2), qRgb(255, 255, 255));

    const QImage blank = BarcodePreview(QString());
    for (int x = 2; x < blank.width() - 2; ++x)
        ASSERT_EQ(blank.pixel(x, 50), qRgb(255, 255, 255)) << x;
}

TEST(BarcodeDrawing, SheetReadsBackModuleByModuleAndFillsAnA4Pdf)
{
    ScopedLanguage language(ShippedLanguage());
    const TBarcodeSheet sheet
        = BarcodeSheetFor(Code, {"Tryb pracy: Cięcie 2D", "b", "c", "d", "e"}, {"Łódź", "", "", ""},
                          "/cfg/shop.mcc", {"/d/1.plt", "/d/2.plt", "/d/3.plt", "/d/4.plt", "/d/5.plt"});
    // A4 at 200 dots per inch.
    QImage page(1654, 2339, QImage::Format_RGB32);
    page.setDotsPerMeterX(7874);
    page.setDotsPerMeterY(7874);
    page.fill(Qt::white);
    TSheetLayout layout;
    {
        QPainter painter(&page);
        layout = PaintBarcodeSheet(painter, sheet);
    }
    ASSERT_GT(layout.module, 3.0);
    const QString pattern = Ean13Pattern(Code);
    const int y = int(layout.bars.center().y());
    QString read;
    for (int i = 0; i < 95; ++i)
        read += Dark(page.pixel(int(layout.bars.left() + (i + 0.5) * layout.module), y)) ? u'1' : u'0';
    EXPECT_EQ(read, pattern);
    // Quiet zones on both sides.
    EXPECT_FALSE(Dark(page.pixel(int(layout.bars.left() - 2 * layout.module), y)));
    EXPECT_FALSE(Dark(page.pixel(int(layout.bars.right() + 2 * layout.module), y)));

    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setPageSize(QPageSize(QPageSize::A4));
        QPainter painter(&writer);
        PaintBarcodeSheet(painter, sheet);
    }
    EXPECT_TRUE(pdf.data().startsWith("%PDF-"));
    // A4 in points.
    EXPECT_TRUE(pdf.data().contains("/MediaBox [0 0 595.000000 842.000000]"));
}

TEST(BarcodeBrowserWindow, ControlsFollowTheSetsAndEditsSaveTheFile)
{
    QTemporaryDir dir;
    ScopedLanguage language(ShippedLanguage());
    RecordingMessageBoxes boxes;
    TBarcodeBrowserContext context;
    context.setFolder = dir.path();
    context.portSettings = dir.filePath("Prentavik.ini");
    context.askForFile
        = [](const QString &, const QString &, const QString &) { return QStringLiteral("/d/new.plt"); };
    const char *setControls[]
        = {"btnUsunPlik",    "btnDrukujEtykiete", "btnDrukujPelneInfo", "sbPobierzSciezkeKonfiga",
           "sbDodajProjekt", "sbUsunProjekt",     "btnZapisz",          "TntBitBtn1"};
    {
        TfBarCodDlg empty(context, QString());
        EXPECT_TRUE(TfBarCodDlg::isOpen());
        EXPECT_EQ(empty.windowTitle(), "Barcode sets - browser");
        for (const char *name : setControls)
            EXPECT_FALSE(empty.findChild<QWidget *>(name)->isEnabled()) << name;
    }
    EXPECT_FALSE(TfBarCodDlg::isOpen());

    WriteAll(dir.filePath(Code + ".cod"), "[Projects]\r\nPrj1=/d/a.plt\r\n[Label]\r\nLine1=Shelf\r\n");
    {
        // A code without a set selects nothing, even once the list has the focus.
        TfBarCodDlg other(context, "5900000000022");
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        auto *list = other.findChild<QListWidget *>("lbKodyKreskowe");
        list->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(list->hasFocus());
        EXPECT_EQ(list->currentRow(), -1);
        EXPECT_FALSE(other.findChild<QPushButton *>("btnUsunPlik")->isEnabled());
    }
    TfBarCodDlg dialog(context, Code);
    EXPECT_EQ(dialog.findChild<QListWidget *>("lbKodyKreskowe")->currentRow(), 0);
    auto *projects = dialog.findChild<QListWidget *>("lbProjekty");
    ASSERT_EQ(projects->count(), 1);
    EXPECT_EQ(projects->item(0)->toolTip(), "/d/a.plt");
    EXPECT_EQ(dialog.findChild<QLineEdit *>("eEtykieta1")->text(), "Shelf");
    EXPECT_FALSE(dialog.findChild<QLabel *>("Image1")->pixmap().isNull());
    auto *save = dialog.findChild<QPushButton *>("btnZapisz");
    EXPECT_FALSE(save->isEnabled());
    EXPECT_TRUE(dialog.findChild<QPushButton *>("btnDrukujEtykiete")->isEnabled());

    dialog.findChild<QToolButton *>("sbDodajProjekt")->click();
    EXPECT_TRUE(save->isEnabled());
    EXPECT_EQ(projects->item(1)->toolTip(), "/d/new.plt");
    save->click();
    EXPECT_FALSE(save->isEnabled());
    const QByteArray saved = ReadAll(dir.filePath(Code + ".cod"));
    EXPECT_TRUE(saved.contains("Prj1=/d/a.plt\r\nPrj2=/d/new.plt\r\n"));
    EXPECT_TRUE(saved.contains("Line1=Shelf\r\n"));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(BarcodeBrowserWindow, EveryTextShowsWholeInEnglishAndPolish)
{
    QTemporaryDir dir;
    RecordingMessageBoxes boxes;
    WriteAll(dir.filePath(Code + ".cod"), "[Projects]\r\nPrj1=/d/a.plt\r\n[Label]\r\nLine1=Shelf\r\n");
    TBarcodeBrowserContext context;
    context.setFolder = dir.path();
    context.portSettings = dir.filePath("Prentavik.ini");
    for (const char *code : {"US", "PL"}) {
        SCOPED_TRACE(code);
        ScopedLanguage language(ShippedLanguage(QString::fromLatin1(code)));
        TfBarCodDlg dialog(context, Code);
        dialog.show();
        const QStringList clipped = ClippedTexts(dialog);
        EXPECT_TRUE(clipped.isEmpty()) << Listed(clipped);
    }
}
