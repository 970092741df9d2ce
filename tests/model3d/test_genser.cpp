// The serial-cut window over real project windows, its OpenGL view under Xvfb; not shown,
// as the offscreen platform cannot show an OpenGL widget.

#include "app/definicje.h"
#include "app/konfig.h"
#include "app/machineidentity.h"
#include "app/ui/numericedit.h"
#include "model3d/ui/genser.h"
#include "model3d/ui/rawview.h"
#include "modelbuilders.h"
#include "project/ui/mdichild.h"
#include "project/ui/projectwindowhost.h"
#include "support/recordingmessageboxes.h"
#include "support/scopedlanguage.h"
#include "support/testfiles.h"
#include "support/textfit.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>

namespace {

using modeltest::RawText;

class GenSer : public ::testing::Test
{
protected:
    GenSer()
        : language(ShippedLanguage())
        , host(&area, Context(), {})
        , konfig(ProgramFolders(dir.path()), {}, machine)
    {
        Settings::setCurrent(Settings());
        Globals().CutOffAtEnd = false;
        area.resize(900, 700);
        area.show();
        TGenSerHooks hooks;
        hooks.context.projectSettings = [this] { return settings; };
        hooks.context.tableHeight = [this] { return tableHeight; };
        hooks.context.openFolder = [this] { return dir.path(); };
        hooks.context.modelNamed = [this](const QString &name) { modelName = name; };
        hooks.serialCutReady = [this](bool cutOffAtEnd) { konfig.setSerialCutting(cutOffAtEnd); };
        hooks.askForModelFile = [this](const QString &, const QString &, const QString &) {
            ++asked;
            return chosen;
        };
        window = std::make_unique<TfGenSer>(host, hooks);
        QObject::connect(window.get(), &QDialog::finished, [this] { ++closed; });
    }

    static TProjectWindowContext Context()
    {
        TProjectWindowContext context;
        context.settings = [] { return TProjectSettings(); };
        return context;
    }

    ~GenSer() override
    {
        window.reset();
        Settings::setCurrent(Settings());
        Globals().CutOffAtEnd = false;
    }

    QString Write(const char *name, const std::vector<TRawTriangle> &triangles)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        WriteAll(path, RawText(triangles));
        return path;
    }

    void Load(const QString &path)
    {
        window->generator().LoadModel(path);
        EXPECT_TRUE(QTest::qWaitFor([this] { return !window->generator().loading(); }, 10000));
    }

    // Sets the step count, presses Generate and waits until the steps are done or stopped.
    void Generate(int steps, bool wait = true)
    {
        window->findChild<NumericEdit *>("feIloscObrotow")->setValue(steps);
        window->findChild<QPushButton *>("btnGeneruj")->click();
        if (wait) {
            EXPECT_TRUE(QTest::qWaitFor([this] { return !window->generator().generating(); }, 60000));
        }
    }

    std::vector<TMDIChild *> Windows() const { return host.windows(); }
    QPushButton *Button(const char *name) const { return window->findChild<QPushButton *>(name); }
    QCheckBox *Check(const char *name) const { return window->findChild<QCheckBox *>(name); }
    bool ControlsEnabled() const
    {
        return Button("btnGeneruj")->isEnabled() && Button("btnPlikRaw")->isEnabled()
            && window->findChild<NumericEdit *>("feIloscObrotow")->isEnabled() && !window->view()->busy();
    }

    QTemporaryDir dir;
    RecordingMessageBoxes boxes;
    ScopedLanguage language;
    QMdiArea area;
    TProjectWindowHost host;
    StubMachineIdentity machine;
    Konfig konfig;
    TProjectSettings settings;
    double tableHeight = 250;
    QString modelName;
    QString chosen;
    int asked = 0;
    int closed = 0;
    std::unique_ptr<TfGenSer> window;
};

} // namespace

TEST_F(GenSer, EighteenStepsBecomeEighteenPlannedPassesAndLeaveASerialCut)
{
    QLocale::setDefault(QLocale(QLocale::Polish));
    // 20 mm wide, 30 high, 10 deep: one open contour per step, 800 units wide face on,
    // 400 side on.
    Load(Write("box.raw", modeltest::Box(0, 0, 0, 20, 30, 10)->triangles));
    EXPECT_EQ(modelName, dir.filePath("box.raw"));
    ASSERT_TRUE(ControlsEnabled());
    Generate(18);
    QLocale::setDefault(QLocale::c());

    const std::vector<TMDIChild *> windows = Windows();
    ASSERT_EQ(windows.size(), 18u);
    for (int i = 0; i < 18; ++i) {
        SCOPED_TRACE(i);
        const TProjectDocument &d = windows[std::size_t(i)]->document();
        EXPECT_EQ(windows[std::size_t(i)]->windowTitle(), QStringLiteral("box [%1,00 st]").arg(10 * i));
        EXPECT_EQ(d.PassNumber, i + 1);
        EXPECT_EQ(d.Figures.size(), 1u);
        EXPECT_TRUE(d.Planned);
    }
    EXPECT_NEAR(windows[0]->document().ProjectWidth, 800, 16);
    EXPECT_NEAR(windows[9]->document().ProjectWidth, 400, 16);
    EXPECT_NEAR(windows[0]->document().ProjectHeight, 1200, 16);
    // Tiled: side by side, none over another.
    for (std::size_t a = 0; a < windows.size(); ++a)
        for (std::size_t b = a + 1; b < windows.size(); ++b)
            EXPECT_FALSE(windows[a]->geometry().intersects(windows[b]->geometry())) << a << " " << b;
    EXPECT_EQ(Settings::current().Mode, 2);
    EXPECT_TRUE(Globals().CutOffAtEnd);
    EXPECT_EQ(closed, 1) << "the window closes itself when all steps are done";
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(GenSer, OneStepGivesOneWindowAtZeroAndFourStepsTurnTheViewBy45Each)
{
    Check("cbZamkniOknoAut")->setChecked(false);
    Check("cbOdcinajPoZakonczeniu")->setChecked(false);
    Load(Write("tower.raw", modeltest::Box(0, 0, 0, 20, 30, 10)->triangles));
    Generate(1);
    ASSERT_EQ(Windows().size(), 1u);
    EXPECT_EQ(Windows()[0]->windowTitle(), "tower [0.00 st]");
    EXPECT_FALSE(Globals().CutOffAtEnd);
    EXPECT_EQ(closed, 0);
    EXPECT_TRUE(ControlsEnabled());
    EXPECT_EQ(window->view()->state().rotationY(), -180);

    Generate(4);
    std::vector<TMDIChild *> windows = Windows();
    ASSERT_EQ(windows.size(), 4u) << "a new run replaces the passes of the last";
    EXPECT_EQ(windows[3]->windowTitle(), "tower [135.00 st]");
    // Fitted anew for the run, then -45 degrees a step.
    EXPECT_EQ(window->view()->state().rotationY(), -180);
    // The turned model is on the screen, not an empty panel.
    const QImage frame = window->view()->grabFramebuffer();
    int drawn = 0;
    for (int y = 0; y < frame.height(); y += 4)
        for (int x = 0; x < frame.width(); x += 4)
            drawn += frame.pixel(x, y) != qRgb(0, 0, 0);
    EXPECT_GT(drawn, 50);
}

TEST_F(GenSer, SeveralFiguresAskAndCancelThereUndoesTheRun)
{
    // A tower and, well above it, a flat sliver: two open contours at every angle.
    std::vector<TRawTriangle> tower = modeltest::Box(0, 0, 0, 10, 20, 10)->triangles;
    tower.push_back({0, 25, 0, 10, 25, 0, 5, 25, 3});
    Load(Write("tower.raw", tower));
    boxes.answer = DlgButton::Cancel;
    Generate(2);
    ASSERT_EQ(boxes.questions.size(), 1u);
    EXPECT_EQ(boxes.questions[0],
              GetText("SerialCutFrom3D", "wieleFigur") + "\n" + GetText("SerialCutFrom3D", "czyKontynuowac"));
    EXPECT_TRUE(Windows().empty());
    EXPECT_TRUE(ControlsEnabled());
    EXPECT_EQ(window->generator().stepCounter(), 1);
    EXPECT_EQ(Settings::current().Mode, 0);

    boxes.answer = DlgButton::Ok;
    Generate(2);
    ASSERT_EQ(Windows().size(), 2u);
    const std::vector<tfigura> &figures = Windows()[0]->document().Figures;
    EXPECT_EQ(std::count_if(figures.begin(), figures.end(), [](const tfigura &f) { return f.drawingFigure; }),
              2)
        << "the tower and the sliver, joined by the planner's connectors";
    EXPECT_TRUE(Windows()[0]->document().Planned);
    EXPECT_EQ(boxes.questions.size(), 3u);
}

TEST_F(GenSer, PartsStandingApartOnTheBaseAreEachCutAndAskedAbout)
{
    // Two blocks 20 mm apart: at 90 degrees one hides the other, at every other step their
    // silhouettes stand apart and the second closed round its own base, to be dropped unseen.
    std::vector<TRawTriangle> blocks = modeltest::Box(0, 0, 0, 20, 30, 10)->triangles;
    const std::vector<TRawTriangle> second = modeltest::Box(40, 0, 0, 60, 20, 10)->triangles;
    blocks.insert(blocks.end(), second.begin(), second.end());
    Load(Write("blocks.raw", blocks));
    Check("cbZamkniOknoAut")->setChecked(false);
    boxes.answer = DlgButton::Ok;
    Generate(6);

    const std::vector<TMDIChild *> windows = Windows();
    ASSERT_EQ(windows.size(), 6u);
    const std::size_t parts[] = {2, 2, 2, 1, 2, 2};
    for (std::size_t i = 0; i < windows.size(); ++i) {
        SCOPED_TRACE(i);
        std::size_t cut = 0;
        for (const tfigura &f : windows[i]->document().Figures) {
            if (!f.drawingFigure)
                continue;
            ++cut;
            EXPECT_EQ(f.points.front().y, 0) << "each part is cut from one end of its base";
            EXPECT_EQ(f.points.back().y, 0) << "to the other";
        }
        EXPECT_EQ(cut, parts[i]);
    }
    EXPECT_NEAR(windows[0]->document().ProjectWidth, 2400, 16) << "both blocks, 60 mm";
    EXPECT_EQ(boxes.questions.size(), 5u);
}

TEST_F(GenSer, CancelDuringStepFiveWaitsForItsWorkersAndTheNextRunStartsAtZero)
{
    Check("cbZamkniOknoAut")->setChecked(false);
    Load(Write("box.raw", modeltest::Box(0, 0, 0, 20, 30, 10)->triangles));
    std::atomic<bool> held {false};
    std::atomic<bool> release {false};
    window->generator().workers().setRasterizer([&](const TModelData &model, double angle,
                                                    TSilhouetteSize size, double pixelSize,
                                                    const TStopRequest &stop) {
        if (angle > 39 && angle < 41) {
            held = true;
            while (!release)
                QThread::msleep(1);
        }
        return RasterizeStep(model, angle, size, pixelSize, stop);
    });
    Generate(18, false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return held && Windows().size() == 4; }, 30000));
    QTest::qWait(50);
    EXPECT_EQ(Windows().size(), 4u) << "step 5 waits for its grid";
    EXPECT_EQ(window->statusText(1), "[40.00 st]");

    // Closing and choosing another model are refused while the steps run.
    EXPECT_FALSE(window->close());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, GetText("SerialCutFrom3D", "zakonczGenPlikowWy"));
    window->generator().ChooseModelFile();
    QTest::mouseDClick(window->findChild<QLineEdit *>("ePlik"), Qt::LeftButton);
    EXPECT_EQ(asked, 0);

    Button("btnAnuluj")->click();
    EXPECT_TRUE(Windows().empty());
    EXPECT_EQ(window->statusText(1), "");
    EXPECT_FALSE(Button("btnGeneruj")->isEnabled());
    EXPECT_FALSE(Button("btnPlikRaw")->isEnabled());
    EXPECT_TRUE(window->view()->busy());
    QTest::qWait(50);
    EXPECT_FALSE(ControlsEnabled()) << "the held worker has not ended";
    release = true;
    ASSERT_TRUE(QTest::qWaitFor([this] { return ControlsEnabled(); }, 10000));
    QTest::qWait(50);
    EXPECT_TRUE(Windows().empty()) << "late grids are dropped";
    EXPECT_EQ(window->generator().currentAngle(), 0);

    window->generator().workers().setRasterizer(RasterizeStep);
    Generate(18);
    ASSERT_EQ(Windows().size(), 18u);
    EXPECT_EQ(Windows()[0]->windowTitle(), "box [0.00 st]");
    EXPECT_EQ(Windows()[0]->document().PassNumber, 1);
}

TEST_F(GenSer, ClosingDuringALoadStopsTheReader)
{
    std::vector<TRawTriangle> many;
    for (int i = 0; i < 200000; ++i)
        many.push_back({float(i % 100), 0, 0, float(i % 100) + 1, 1, 0, 0, 1, 1});
    const QString path = Write("many.raw", many);
    window->generator().LoadModel(path);
    ASSERT_TRUE(window->generator().loading());
    EXPECT_FALSE(Button("btnModelInfo")->isEnabled());
    EXPECT_FALSE(Button("btnPlikRaw")->isEnabled());
    QTest::mouseDClick(window->findChild<QLineEdit *>("ePlik"), Qt::LeftButton);
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->generator().loading());
    window.reset();
    QTest::qWait(50); // a hand-back would now reach a window that is gone
}

TEST_F(GenSer, RefusesEmptyModelsAndStopsWhereNoOpenContourIsLeft)
{
    Load(Write("empty.raw", {}));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, GetText("Project_window", "zbiorPusty"));
    EXPECT_FALSE(Button("btnGeneruj")->isEnabled() || Button("btnModelInfo")->isEnabled());
    EXPECT_TRUE(Button("btnPlikRaw")->isEnabled());

    // An octahedron on its tip: its silhouette touches the base in one cell and is traced
    // as one closed contour, which a step does not cut.
    const std::vector<TRawTriangle> octahedron = {
        {0, 0, 0, 5, 10, 0, 0, 10, 5},    {0, 0, 0, 0, 10, 5, -5, 10, 0},  {0, 0, 0, -5, 10, 0, 0, 10, -5},
        {0, 0, 0, 0, 10, -5, 5, 10, 0},   {0, 20, 0, 0, 10, 5, 5, 10, 0},  {0, 20, 0, -5, 10, 0, 0, 10, 5},
        {0, 20, 0, 0, 10, -5, -5, 10, 0}, {0, 20, 0, 5, 10, 0, 0, 10, -5},
    };
    Load(Write("diamond.raw", octahedron));
    boxes.shown.clear();
    Generate(3);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, GetText("SerialCutFrom3D", "brakKonturu").arg("0.00"));
    EXPECT_TRUE(Windows().empty());
    EXPECT_TRUE(ControlsEnabled());

    // Kept as figures, closed contours make passes.
    window->findChild<QCheckBox *>("cbZostawZamknieteFig")->setChecked(true);
    Generate(3);
    EXPECT_EQ(Windows().size(), 3u);
}

TEST_F(GenSer, EveryTextShowsWholeInEnglishAndPolish)
{
    // Laid out as shown, without putting its OpenGL view on the screen.
    auto laidOut = [](TfGenSer &dialog) {
        dialog.setAttribute(Qt::WA_DontShowOnScreen);
        dialog.show();
        return ClippedTexts(dialog);
    };
    QStringList clipped = laidOut(*window);
    EXPECT_TRUE(clipped.isEmpty()) << Listed(clipped);
    ScopedLanguage polish(ShippedLanguage(QStringLiteral("PL")));
    TfGenSer inPolish(host, TGenSerHooks {});
    clipped = laidOut(inPolish);
    EXPECT_TRUE(clipped.isEmpty()) << Listed(clipped);
}

TEST(SerialCutSize, ModelMustFitTheTravelAndStandBelowTheTable)
{
    ScopedLanguage language(ShippedLanguage());
    struct Case
    {
        const char *name;
        float width, height;
        double skala;
        QString message;
    };
    const QString tooLarge = GetText("Main_window", "projektZaDuzy");
    const QString tooHigh = GetText("Main_window", "projektZaDuzaWysokosc") + "\n"
        + GetText("SerialCutFrom3D", "obnizYstolika");
    const Case cases[] = {
        {"100 mm on a travel of 99", 100, 10, 100, tooLarge},
        {"99 mm on a travel of 99", 99, 10, 100, {}},
        {"too tall for the travel", 10, 801, 100, tooLarge},
        {"above the table's height", 10, 551, 100, tooHigh},
        {"at the table's height", 10, 550, 100, {}},
        {"scaled to half", 180, 10, 50, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ModelHandle model = modeltest::FromTriangles({{0, 0, 0, c.width, c.height, 5, 0, 0, 0}});
        EXPECT_EQ(CheckModelSize(*model, {c.skala, 250, 99, 800}), c.message);
    }
}
