// The model information window: the record's lengths in the current unit, the unit labels
// and the file size, shown by control name.

#include "app/units.h"
#include "model3d/modelinfo.h"
#include "model3d/ui/modelinfodialog.h"
#include "modelbuilders.h"
#include "support/scopedlanguage.h"
#include "support/testfiles.h"
#include "support/textfit.h"

#include <QLabel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using modeltest::BoxOf;

TEST(ModelInfoTexts, LengthsInTheUnitWithItsDecimals)
{
    struct Case
    {
        int unit;
        TModelBox box;
        QLocale locale;
        std::array<const char *, 9> values; // extents x, y, z; then min and max of x, y, z
        const char *label;
    };
    const Case cases[] = {
        {Units::Inch,
         BoxOf(-25.4, 0, 0, 0, 50.8, 254),
         QLocale::c(),
         {"1.00 ", "2.00 ", "10.00 ", "-1.00 ", "0.00 ", "0.00 ", "2.00 ", "0.00 ", "10.00 "},
         " [in]"},
        {Units::Millimetre,
         BoxOf(-0.04, 1.2, 0, 123.42, 2.5, 7),
         QLocale::c(),
         {"123.5 ", "1.3 ", "7.0 ", "0.0 ", "123.4 ", "1.2 ", "2.5 ", "0.0 ", "7.0 "},
         " [mm]"},
        {Units::Foot,
         BoxOf(0, 0, 0, 304.8, 152.4, 1),
         QLocale(QLocale::Polish),
         {"1,000 ", "0,500 ", "0,003 ", "0,000 ", "1,000 ", "0,000 ", "0,500 ", "0,000 ", "0,003 "},
         " [ft]"},
        // A file without triangles has no lengths to show, rather than infinities.
        {Units::Millimetre, TModelBox {}, QLocale::c(), {"", "", "", "", "", "", "", "", ""}, " [mm]"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        const ModelInfoTexts t = MakeModelInfoTexts({c.box, QStringLiteral("a.raw")}, c.unit, 1500, c.locale);
        for (std::size_t i = 0; i < 9; ++i)
            EXPECT_EQ(t.values[i], QString::fromLatin1(c.values[i])) << i;
        EXPECT_EQ(t.unitLabel, QString::fromLatin1(c.label));
        EXPECT_EQ(t.fileSize, QStringLiteral("1KB"));
    }
}

TEST(ModelInfoWindow, ShowsTheRecordInTheCurrentUnitByControlName)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("wing.raw"));
    WriteAll(file, QByteArray(1500, 'x'));
    const int unit = Units::currentLengthUnit();
    Units::setCurrentLengthUnit(Units::Inch);
    TfModelInfo window;
    window.setLocale(QLocale::c());
    window.setModel({BoxOf(0, 0, 0, 25.4, 12.7, 2.54), file});
    Units::setCurrentLengthUnit(unit);

    const auto text
        = [&](const char *name) { return window.findChild<QLabel *>(QString::fromLatin1(name))->text(); };
    EXPECT_EQ(text("pZrodlo"), file);
    EXPECT_EQ(text("lRozmiarPliku"), QStringLiteral("1KB"));
    EXPECT_EQ(text("pSzerokoscX"), QStringLiteral("1.00 "));
    EXPECT_EQ(text("pDlugoscY"), QStringLiteral("0.50 "));
    EXPECT_EQ(text("pZmax"), QStringLiteral("0.10 "));
    for (const char *label : {"lSzerokoscXJm", "lDlugoscYJm", "lWysokoscZJm", "lXminJm", "lXmaxJm", "lYminJm",
                              "lYmaxJm", "lZminJm", "lZmaxJm"})
        EXPECT_EQ(text(label), QStringLiteral(" [in]")) << label;
}

TEST(ModelInfoWindow, EveryTextShowsWholeInEnglishAndPolish)
{
    for (const char *code : {"US", "PL"}) {
        SCOPED_TRACE(code);
        ScopedLanguage language(ShippedLanguage(QString::fromLatin1(code)));
        TfModelInfo window;
        window.setModel({BoxOf(-1999.99, -1999.99, -1999.99, 1999.99, 1999.99, 1999.99),
                         QStringLiteral("/home/operator/models/wing_root_section_v3.raw")});
        window.show();
        const QStringList clipped = ClippedTexts(window);
        EXPECT_TRUE(clipped.isEmpty()) << Listed(clipped);
    }
}
