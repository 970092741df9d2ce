// Projects no drawing holds: copies joined by one connecting line, notched
// strips for bending, and the hole-drilling drawing.
#include "app/inifile.h"
#include "app/units.h"
#include "loadsupport.h"
#include "project/archbending.h"
#include "project/duplication.h"
#include "project/flatplanproject.h"
#include "project/holedrilling.h"
#include "support/recordingmessageboxes.h"
#include "support/scopedlanguage.h"
#include "support/testfiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <gtest/gtest.h>

namespace {

using Points = std::vector<TPlotPoint>;

const Points Square100 {{0, 0}, {4000, 0}, {4000, 4000}, {0, 4000}, {0, 0}};

// A flat project of the given figures, planned as a loaded drawing is.
TProjectDocument Planned(const std::vector<Points> &figures)
{
    TProjectDocument document;
    for (const Points &points : figures)
        document.AddFigure(ReaderFigure(points));
    document.Ustaw_PPiPK();
    document.ProjectWidth = document.PK.x - document.PP.x;
    document.ProjectHeight = document.PK.y - document.PP.y;
    ciecie(document, {});
    return document;
}

TDuplicationParams Defaults(const TProjectDocument &source, double columns, double rows)
{
    TDuplicationParams params;
    params.copiesPerRow = columns;
    params.rows = rows;
    SetDefaults(params, SourceSizeOf(source));
    return params;
}

} // namespace

TEST(Duplication, ConnectingLineRunsBesideTheCopiesAndCloses)
{
    const TProjectDocument source = Planned({Square100});
    ASSERT_TRUE(source.Planned);
    ASSERT_EQ(source.Figures[source.RootFigure].points.front(), (TPlotPoint {0, 0}));

    // Defaults: copies 110 mm apart (4400 units), lines 5 mm (200) off, e = 440.
    const TProjectDocument copies = BuildCopies(source, DuplicationLayout(Defaults(source, 2, 1)));
    const std::size_t n = source.Figures.size();
    ASSERT_EQ(copies.Figures.size(), 2 * n + 1);
    EXPECT_EQ(copies.Figures[0].points, Square100);
    EXPECT_EQ(copies.Figures[n].points[2], (TPlotPoint {8400, 4000})) << "second copy 4400 units right";
    const tfigura &line = copies.Figures.back();
    EXPECT_FALSE(line.drawingFigure);
    EXPECT_TRUE(line.closed);
    EXPECT_EQ(
        line.points,
        (Points {{-240, -240}, {0, 0}, {440, -200}, {3960, -200}, {4400, 0}, {4400, -240}, {-240, -240}}));
    EXPECT_EQ(copies.PP, (TPlotPoint {-240, -240}));
    EXPECT_EQ(copies.ProjectWidth, 8640);

    // Two rows come back to the start; three end below the last copy of row
    // 0 and left of the first, the way they began.
    for (int rows : {2, 3}) {
        SCOPED_TRACE(rows);
        const TDuplicationLayout grid = DuplicationLayout(Defaults(source, 3, rows));
        const TProjectDocument many = BuildCopies(source, grid);
        const Points &p = many.Figures.back().points;
        const auto F = [&](int r, int c) {
            return many.Figures[n * std::size_t(3 * r + c) + std::size_t(source.RootFigure)].points.front();
        };
        if (rows == 2)
            EXPECT_EQ(p.back(), p.front());
        else
            EXPECT_EQ(p.back(), (TPlotPoint {F(0, 0).x - 200 - 40, F(0, 2).y - 200 - 40}));
        for (std::size_t i = 1; i < p.size(); ++i)
            EXPECT_FALSE(p[i] == p[i - 1]) << "repeated point at " << i;
    }
}

TEST(Duplication, CopiesEveryFigureInOrderAndThePlanDropsTheSourcesStartFigures)
{
    const Points inner {{1000, 1000}, {2000, 1000}, {2000, 2000}, {1000, 2000}, {1000, 1000}};
    const TProjectDocument source = Planned({Square100, inner});
    const TDuplicationLayout layout = DuplicationLayout(Defaults(source, 2, 2));
    TProjectDocument copies = BuildCopies(source, layout);
    const std::size_t n = source.Figures.size();
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 2; ++c) {
            for (std::size_t k = 0; k < n; ++k) {
                const tfigura &copy = copies.Figures[n * std::size_t(2 * r + c) + k];
                EXPECT_EQ(copy.generatedKind, source.Figures[k].generatedKind);
                EXPECT_EQ(copy.points.front().x, source.Figures[k].points.front().x + 4400 * c);
                EXPECT_EQ(copy.points.front().y, source.Figures[k].points.front().y + 4400 * r);
            }
        }
    }
    ciecie(copies, {});
    EXPECT_TRUE(copies.Planned);
    // Eight squares and the connecting line are cut; the four copied start
    // figures went with the source's other planner figures.
    const auto kept = std::count_if(copies.Figures.begin(), copies.Figures.end(),
                                    [](const tfigura &f) { return f.generatedKind != 3; });
    EXPECT_EQ(kept, 9);
}

TEST(Duplication, ChecksInOrderFocusTheirFieldAndAskAboutOverlaps)
{
    ScopedLanguage language(ShippedLanguage());
    const TProjectDocument source = Planned({Square100});
    struct Case
    {
        const char *what;
        void (*change)(TDuplicationParams &);
        DlgButton answer;
        TDuplicationField field;
        const char *message; // key of "Duplication_parameters", or nullptr
    };
    const Case cases[] = {
        {"no copies", [](TDuplicationParams &p) { p.copiesPerRow = 0; }, DlgButton::Yes,
         TDuplicationField::CopiesPerRow, "BlednaIloscElem"},
        {"0.4 copies round to none", [](TDuplicationParams &p) { p.copiesPerRow = 0.4; }, DlgButton::Yes,
         TDuplicationField::CopiesPerRow, "BlednaIloscElem"},
        {"no rows", [](TDuplicationParams &p) { p.rows = 0; }, DlgButton::Yes, TDuplicationField::Rows,
         "BlednaIloscWierszy"},
        {"overlap not accepted", [](TDuplicationParams &p) { p.elementSpacing = 90; }, DlgButton::Cancel,
         TDuplicationField::ElementSpacing, nullptr},
        {"overlap accepted, line 5 mm into a gap of -10",
         [](TDuplicationParams &p) { p.elementSpacing = 90; }, DlgButton::Yes,
         TDuplicationField::VerticalLine, "OdlLacznikaPionZaDuza"},
        {"overlap accepted, line -15 mm",
         [](TDuplicationParams &p) {
             p.elementSpacing = 90;
             p.verticalLine = -15;
         },
         DlgButton::Yes, TDuplicationField::None, nullptr},
        {"rows closer than the height", [](TDuplicationParams &p) { p.rowSpacing = 99.9; }, DlgButton::Yes,
         TDuplicationField::RowSpacing, "BlednePrzesMdzyWier"},
        {"horizontal line as wide as the gap", [](TDuplicationParams &p) { p.horizontalLine = 10; },
         DlgButton::Yes, TDuplicationField::HorizontalLine, "OdlLacznikaPoziomZaDuza"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        RecordingMessageBoxes boxes;
        boxes.answer = c.answer;
        TDuplicationParams params = Defaults(source, 2, 1);
        c.change(params);
        EXPECT_EQ(CheckDuplicationParameters(params, source, Units::Millimetre), c.field);
        ASSERT_EQ(boxes.shown.size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_TRUE(boxes.shown[0].text.startsWith(GetText("Duplication_parameters", c.message)));
        }
        if (params.elementSpacing == 90) {
            ASSERT_EQ(boxes.questions.size(), 1u);
            EXPECT_EQ(boxes.questions[0],
                      GetText("Duplication_parameters", "ElNachodzaNaSiebie") + "\n"
                          + GetText("Duplication_parameters", "SzerokoscPojedynElem") + ": 100.00 mm\n\n"
                          + GetText("Duplication_parameters", "CzyAkceptujesz"));
        }
    }

    RecordingMessageBoxes boxes;
    TDuplicationParams params = Defaults(source, 2, 1);
    params.rowSpacing = 50;
    CheckDuplicationParameters(params, source, Units::Inch);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.endsWith("\nmin: 3.94 in"));

    // A grid beyond the plotter's coordinates would wrap round.
    params = Defaults(source, 6000, 1);
    EXPECT_EQ(CheckDuplicationParameters(params, source, Units::Millimetre), TDuplicationField::CopiesPerRow);
    EXPECT_EQ(boxes.shown.back().text, GetText("Main_window", "projektZaDuzy"));
}

TEST(Duplication, ParametersAreKeptBesideTheDrawing)
{
    QTemporaryDir dir;
    EXPECT_EQ(DuplicationParameterFile("/work/v1.5/b"), "/work/v1.5/b.dpl");

    const QString file = dir.filePath("b.dpl");
    const TDuplicationSource source {100, 50};
    TDuplicationParams params;
    EXPECT_FALSE(LoadDuplicationParameters(file, source, params));

    params = {3, 2, 112.5, 60, -2.5, 4.25};
    ASSERT_TRUE(SaveDuplicationParameters(file, params).ok);
    EXPECT_EQ(ReadAll(file),
              QByteArray("[Duplication_parameters]\r\n"
                         "Number of elements in a row=3\r\n"
                         "Number of rows=2\r\n"
                         "Space between the elements=112.5\r\n"
                         "Space between the rows=60\r\n"
                         "Space between the elements and the vertical connecting line=-2.5\r\n"
                         "Space between the elements and the horizontal connecting line=4.25\r\n"));
    TDuplicationParams read;
    ASSERT_TRUE(LoadDuplicationParameters(file, source, read));
    EXPECT_EQ(read, params);

    // Keys that are missing take their defaults, the line distances from
    // the spacings read; other sections stay.
    WriteAll(file, "[Other]\r\nk=v\r\n[duplication_parameters]\r\nSpace between the elements=120\r\n");
    ASSERT_TRUE(LoadDuplicationParameters(file, source, read));
    EXPECT_EQ(read, (TDuplicationParams {2, 1, 120, 60, 10, 5}));
    ASSERT_TRUE(SaveDuplicationParameters(file, read).ok);
    EXPECT_EQ(TIniFile(file).readString("Other", "k"), "v");
}

TEST(ArchBending, NotchesFollowTheCurveOrAreRefused)
{
    ScopedLanguage language(ShippedLanguage());
    const QString wrongWay = GetText("Arch_cutting", "niedozwolonaWypuklosc");
    struct Case
    {
        const char *what;
        std::vector<Points> figures;
        double depthMm;
        Points strip; // empty: refused
        QString message; // the start of the refusal's text; empty: silent
        bool overlap = false;
    };
    const Case cases[] = {
        {"a right angle opens a notch 2 tan 45 x 400 wide",
         {{{0, 0}, {4000, 0}, {4000, -4000}}},
         10,
         {{0, 400}, {3600, 400}, {4000, 0}, {4400, 400}, {8000, 400}},
         {}},
        {"a repeated point is no turn",
         {{{0, 0}, {4000, 0}, {4000, 0}, {4000, -4000}}},
         10,
         {{0, 400}, {3600, 400}, {4000, 0}, {4400, 400}, {8000, 400}},
         {}},
        {"the mirror bends the wrong way", {{{0, 0}, {4000, 0}, {4000, 4000}}}, 10, {}, wrongWay},
        {"points on one line give the straight strip",
         {{{0, 0}, {1000, 0}, {2500, 0}, {4000, 0}}},
         10,
         {{0, 400}, {4000, 400}},
         {}},
        {"two figures",
         {{{0, 0}, {4000, 0}, {4000, -4000}}, {{9000, 0}, {9500, 0}}},
         10,
         {},
         GetText("Arch_cutting", "projWieloelementNiedozwolony")},
        {"depth 0 is refused without a word", {{{0, 0}, {4000, 0}, {4000, -4000}}}, 0, {}, {}},
        {"a hairpin would open an endless notch", {{{8000, 0}, {0, 0}, {4000, 0}}}, 10, {}, wrongWay},
        {"so would a turn this sharp at this depth", {{{4000, 0}, {0, 0}, {4000, 20}}}, 9000, {}, wrongWay},
        {"deep notches on short segments overlap",
         {{{0, 0}, {1000, 0}, {1300, -300}, {1300, -1300}}},
         20,
         {{0, 800}, {669, 800}, {1000, 0}, {1331, 800}, {1093, 800}, {1424, 0}, {1755, 800}, {2424, 800}},
         {},
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        RecordingMessageBoxes boxes;
        const TProjectDocument source = Planned(c.figures);
        const std::optional<TBentProject> bent = BuildBentProject(source, c.depthMm, 1);
        ASSERT_EQ(bent.has_value(), !c.strip.empty());
        ASSERT_EQ(boxes.shown.size(), c.message.isEmpty() ? 0u : 1u);
        if (!c.message.isEmpty()) {
            EXPECT_EQ(boxes.shown[0].text,
                      c.message + QStringLiteral("\n\n") + GetText("Arch_cutting", "wymaganaKrzywa"));
        }
        if (bent) {
            ASSERT_EQ(bent->document.Figures.size(), 1u);
            EXPECT_EQ(bent->document.Figures[0].points, c.strip);
            EXPECT_EQ(bent->overlap, c.overlap);
        }
    }
}

TEST(ArchBending, ReductionWorksOnACopyAndDropsPointsByTheRatio)
{
    // A bump of 10 units is the least deviation: ratio 1 keeps it, ratio 2
    // takes it out, and the next point is then measured from the start.
    const Points curve {{0, 0}, {1000, -10}, {2000, 0}, {3000, -1000}};
    Points kept = curve;
    TCurveTransformer one(kept, 1);
    one.Analyse();
    EXPECT_EQ(one.leastDeviation(), 10);
    EXPECT_EQ(one.leastLength(), 1000);
    EXPECT_EQ(one.greatestLength(), 1414);
    one.Reduce();
    EXPECT_EQ(kept, curve);
    Points reduced = curve;
    TCurveTransformer two(reduced, 2);
    two.Analyse();
    two.Reduce();
    EXPECT_EQ(reduced, (Points {{0, 0}, {2000, 0}, {3000, -1000}}));

    // Two generations from a curve with points on a chord: the source keeps
    // every point and both strips are the same.
    const TProjectDocument source = Planned({{{0, 0}, {2000, 0}, {4000, 0}, {4000, -4000}}});
    const Points before = source.Figures[0].points;
    const auto first = BuildBentProject(source, 10, 1);
    const auto second = BuildBentProject(source, 10, 1);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(source.Figures[0].points, before);
    EXPECT_EQ(first->document.Figures[0].points, second->document.Figures[0].points);
}

TEST(HoleDrilling, DrawingHoldsTheFrameAndTheCrossInTheUnit)
{
    // The values of every group 10, 20 and 30 in file order.
    const auto values = [](const QByteArray &bytes) {
        QStringList out;
        const QList<QByteArray> lines = bytes.split('\n');
        for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
            const QByteArray code = lines[i].trimmed();
            if (code == "10" || code == "20" || code == "30")
                out << QString::fromLatin1(lines[i + 1].trimmed());
        }
        return out;
    };
    const QByteArray mm = ZapiszDXFkrzyzToPunkt(10, 20, 100, 50, Units::Millimetre);
    EXPECT_EQ(values(mm),
              QStringList({"0.0",   "0.0",  "0.0", "0.0", "50.0", "0.0", "100.0", "50.0", "0.0",
                           "100.0", "0.0",  "0.0", "0.0", "0.0",  "0.0", "10.0",  "19.0", "0.0",
                           "10.0",  "21.0", "0.0", "9.0", "20.0", "0.0", "11.0",  "20.0", "0.0"}));
    EXPECT_TRUE(
        mm.startsWith("  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nPOLYLINE\r\n  0\r\nVERTEX\r\n  10\r\n"));
    EXPECT_TRUE(mm.endsWith("  0\r\nSEQEND\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n"));
    EXPECT_EQ(mm.count("POLYLINE"), 3);

    const QStringList inch = values(ZapiszDXFkrzyzToPunkt(10, 20, 100, 50, Units::Inch));
    EXPECT_EQ(inch[6], "3.94"); // the frame's far corner
    EXPECT_EQ(inch[2], "0.00");
    EXPECT_EQ(values(ZapiszDXFkrzyzToPunkt(10, 20, 100, 50, Units::Foot))[6], "0.328");
}
