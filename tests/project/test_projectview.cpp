// The project view on an offscreen screen: the rendered picture, the
// animation played by its timer and stopped by a key or a click, and picking
// with the mouse in each window's own picture.

#include "drawing/joboutput.h"
#include "paintsupport.h"
#include "project/jobdrivers.h"
#include "project/ui/mdichild.h"
#include "project/ui/projectview.h"
#include "support/recordingmessageboxes.h"

#include <QDir>
#include <QKeyEvent>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

void SetBounds(TProjectDocument &doc)
{
    doc.Ustaw_PPiPK();
    doc.ProjectWidth = doc.PK.x - doc.PP.x;
    doc.ProjectHeight = doc.PK.y - doc.PP.y;
}

// The framed square at ten times the size, the square still pending.
void Project(TProjectDocument &doc)
{
    painttest::FramedSquare(doc);
    for (tfigura &f : doc.Figures) {
        for (TPlotPoint &p : f.points)
            p = {p.x * 10, p.y * 10};
        f.FinishReading(); // the box
    }
    SetBounds(doc);
    doc.Figures[1].pending = true;
}

QString ArtifactPath(const QString &name)
{
    QDir().mkpath(QStringLiteral(PRENTAVIK_TEST_ARTIFACT_DIR));
    return QStringLiteral(PRENTAVIK_TEST_ARTIFACT_DIR "/") + name;
}

struct View
{
    explicit View(QSize size = {400, 300}, TPaintSettings s = {})
        : settings(s)
    {
        Project(doc);
        view = std::make_unique<TProjectView>(doc, &statusBar, [this] { return settings; });
        view->setClock([this] { return clockMs; });
        view->resize(size);
        view->show();
    }

    TPixel pixel(TPlotPoint p) const { return view->transform().map(p); }
    QRgb at(const QImage &image, TPlotPoint p) const
    {
        const TPixel px = pixel(p);
        return image.pixel(px.x, px.y);
    }

    TProjectDocument doc;
    TPaintSettings settings;
    QStatusBar statusBar;
    double clockMs = 0.0;
    std::unique_ptr<TProjectView> view;
};

TEST(ProjectView, RendersThePlannedProjectInItsColours)
{
    View v;
    v.doc.SelectedFigure = 2; // the connector
    const QImage image = v.view->grab().toImage();
    ASSERT_EQ(image.size(), QSize(400, 300));
    EXPECT_TRUE(image.save(ArtifactPath(QStringLiteral("project_view.png"))));

    EXPECT_EQ(v.at(image, {3000, 0}), qRgb(0, 0, 0)); // the frame's lower edge
    EXPECT_EQ(v.at(image, {0, 3000}), qRgb(0, 0, 0)); // its left edge
    EXPECT_EQ(v.at(image, {3000, 1000}), qRgb(255, 0, 0)); // the pending square
    EXPECT_EQ(v.at(image, {500, 500}), qRgb(255, 255, 255)); // the selected connector
    EXPECT_EQ(v.at(image, {3000, 3000}), ProjectBackground().rgb()); // inside the square
    EXPECT_EQ(image.pixel(395, 5), ProjectBackground().rgb()); // beyond the project
    // The same picture as the plain renderer gives.
    EXPECT_EQ(RenderProjectPicture(v.doc, v.settings, image.size(), 0).convertToFormat(image.format()),
              image);
}

TEST(ProjectView, TooSmallAWindowDrawsNothing)
{
    View v({19, 300});
    const QImage image = v.view->grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(image.pixel(x, y), ProjectBackground().rgb()) << x << "," << y;
}

int RedPixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) != 0;
    return count;
}

TEST(ProjectView, SimulationPlaysByTheClockAndEndsOnThePlainPicture)
{
    View v;
    v.settings.Pauza_w_kacie = 0;
    bool finished = false;
    QObject::connect(v.view.get(), &TProjectView::simulationFinished, [&] { finished = true; });
    v.view->startSimulation();
    ASSERT_TRUE(v.view->simulationRunning());
    EXPECT_EQ(RedPixels(v.view->overlay()), 0);
    v.clockMs = 20; // twenty pixels along the connector
    v.view->advanceSimulation();
    const int early = RedPixels(v.view->overlay());
    EXPECT_GT(early, 5);
    EXPECT_LT(early, 40);
    const TPixel corner = v.pixel({0, 0});
    EXPECT_EQ(v.view->overlay().pixel(corner.x + 3, corner.y - 3), qRgb(255, 0, 0));
    v.clockMs = 1e6;
    v.view->advanceSimulation();
    EXPECT_TRUE(finished);
    EXPECT_FALSE(v.view->simulationRunning());
    EXPECT_FALSE(v.doc.AbortWalk);
    EXPECT_TRUE(v.view->overlay().isNull());
}

TEST(ProjectView, RotarySimulationMergesTheWireWithThePicture)
{
    TPaintSettings rotary;
    rotary.Mode = 1;
    View v({400, 300}, rotary);
    v.doc.SelectedFigure = 2; // the connector, drawn white, is cut last
    v.view->startSimulation();
    const TPixel onConnector = v.pixel({500, 500});
    const TPixel onFrame = v.pixel({3000, 0});
    bool reached = false;
    while (!reached && v.view->simulationRunning() && v.clockMs < 1e5) {
        v.clockMs += 5;
        v.view->advanceSimulation();
        reached = qAlpha(v.view->overlay().pixel(onConnector.x, onConnector.y)) != 0;
    }
    ASSERT_TRUE(reached);
    ASSERT_TRUE(v.view->simulationRunning());
    const QImage image = v.view->grab().toImage();
    // Red or'ed with white stays white, with black it is red.
    EXPECT_EQ(image.pixel(onConnector.x, onConnector.y), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(onFrame.x, onFrame.y), qRgb(255, 0, 0));
}

TEST(ProjectView, PairedProfilesKeepTheWirePicture)
{
    View v;
    v.doc.Figures = {painttest::Figure({{0, 0}, {6000, 0}, {6000, 6000}, {0, 0}}),
                     painttest::Figure({{0, 500}, {5000, 500}, {5000, 5000}, {0, 500}})};
    SetBounds(v.doc);
    v.doc.PairedProfiles = true;
    v.view->startSimulation();
    v.clockMs = 1e6;
    v.view->advanceSimulation();
    ASSERT_FALSE(v.view->simulationRunning());
    ASSERT_FALSE(v.view->overlay().isNull());
    // Halfway along the first wire line, from (6000,0) to (5000,500).
    const TPixel mid = v.pixel({5500, 250});
    EXPECT_EQ(v.view->overlay().pixel(mid.x, mid.y), qRgb(255, 255, 0));
    v.view->invalidatePicture();
    EXPECT_TRUE(v.view->overlay().isNull());
}

std::string WriteJob(TProjectDocument &doc)
{
    std::string bytes;
    JobContext context;
    context.settings.CzasRozgrzewania = 0;
    context.output = [&bytes] { return std::make_unique<MemoryJobOutput>(bytes); };
    const JobWriteStatus status = save_ciecie(doc, context, QStringLiteral("out.cn"), 0,
                                              static_cast<int>(doc.Figures.size()) - 1, 0.0);
    EXPECT_TRUE(status.ok);
    return bytes;
}

TEST(ProjectView, KeyPressOrLeftClickStopsTheSimulationAndTheJobIsWhole)
{
    TProjectDocument reference;
    Project(reference);
    reference.CutFrame = true;
    const std::string whole = WriteJob(reference);
    ASSERT_FALSE(whole.empty());

    for (const char *how : {"key", "left click"}) {
        SCOPED_TRACE(how);
        View v;
        v.doc.CutFrame = true;
        v.view->startSimulation();
        v.clockMs = 30;
        v.view->advanceSimulation();
        ASSERT_TRUE(v.view->simulationRunning());
        // Neither a right click nor the job information acts while the wire moves.
        bool infoShown = false;
        v.view->setJobInfoHandler([&] { infoShown = true; });
        QTest::mouseClick(v.view.get(), Qt::RightButton, {}, QPoint(100, 100));
        EXPECT_TRUE(v.view->simulationRunning());
        EXPECT_FALSE(infoShown);
        if (std::string(how) == "key")
            QTest::keyClick(v.view.get(), Qt::Key_Escape);
        else
            QTest::mouseClick(v.view.get(), Qt::LeftButton, {}, QPoint(10, 10));
        EXPECT_FALSE(v.view->simulationRunning());
        EXPECT_TRUE(v.doc.AbortWalk);
        EXPECT_EQ(v.doc.SelectedFigure, -1); // the stopping click picks nothing
        EXPECT_TRUE(v.view->overlay().isNull());
        // Writing clears the stop: the job is the whole cut.
        EXPECT_EQ(WriteJob(v.doc), whole);
        EXPECT_FALSE(v.doc.AbortWalk);
    }
}

TEST(ProjectView, ClicksPickInTheirOwnWindowsPicture)
{
    // Broke: one transform served every window, so a click in a window was
    // measured in the picture last painted, in whichever window.
    View large({600, 500});
    View small({200, 150});
    large.view->repaint();
    small.view->repaint();
    RecordingMessageBoxes boxes;
    const TPixel onSquare = small.pixel({3000, 1000});
    QTest::mousePress(small.view.get(), Qt::LeftButton, {}, QPoint(onSquare.x, onSquare.y));
    EXPECT_EQ(small.doc.SelectedFigure, 1);
    EXPECT_TRUE(small.statusBar.currentMessage().endsWith(QStringLiteral("1")));
    QTest::mouseRelease(small.view.get(), Qt::LeftButton, {}, QPoint(onSquare.x, onSquare.y));
    EXPECT_TRUE(small.statusBar.currentMessage().isEmpty());
    // The same pixel in the large window lies off every figure.
    QTest::mousePress(large.view.get(), Qt::LeftButton, {}, QPoint(onSquare.x, onSquare.y));
    EXPECT_EQ(large.doc.SelectedFigure, -1);
    EXPECT_TRUE(boxes.shown.empty());

    // Shift, Ctrl and Alt together list the picked figure's points.
    const TPixel onFrame = large.pixel({3000, 0});
    QTest::mousePress(large.view.get(), Qt::LeftButton,
                      Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier,
                      QPoint(onFrame.x, onFrame.y));
    EXPECT_EQ(large.doc.SelectedFigure, 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text.toStdString(), PointListingText(large.doc.Figures[0]));
    EXPECT_TRUE(boxes.shown[0].caption.endsWith(QStringLiteral("0")));

    // A right click drops the selection and opens the job information.
    bool infoShown = false;
    large.view->setJobInfoHandler([&] { infoShown = true; });
    QTest::mousePress(large.view.get(), Qt::RightButton, {}, QPoint(onFrame.x, onFrame.y));
    EXPECT_TRUE(infoShown);
    EXPECT_EQ(large.doc.SelectedFigure, -1);
}

TEST(ProjectWindow, SimulationRunsOnTheTimerWhileTheWindowIsInvalidated)
{
    TProjectWindowContext context;
    context.settings = [] { return TProjectSettings {}; };
    context.paintSettings = [] {
        TPaintSettings s;
        s.Pauza_w_kacie = 0;
        return s;
    };
    TMDIChild window(context);
    window.resize(400, 300);
    window.show();
    Project(window.document());
    window.document().CutFrame = true;

    // As the simulation command does: simulate, invalidate, turn the feed.
    window.simulate();
    EXPECT_FALSE(window.document().Simulation);
    window.invalidate();
    window.setXFeedSign(-1);
    ASSERT_TRUE(window.view()->simulationRunning());
    // The timer draws while the event loop runs; nothing waits in a loop.
    EXPECT_TRUE(QTest::qWaitFor([&] { return RedPixels(window.view()->overlay()) > 10; }, 5000));
    QTest::keyClick(window.view(), Qt::Key_Space);
    EXPECT_FALSE(window.view()->simulationRunning());
    EXPECT_TRUE(window.document().AbortWalk);
}

} // namespace
