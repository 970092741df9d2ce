// The project window plans on a worker: "Ready N%" while it runs, a key
// press or left click stops it, and the plan lands in the document at the end.

#include "project/ui/mdichild.h"
#include "project/ui/projectwindowhost.h"
#include "support/recordingmessageboxes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

// A frame holding a grid of small squares, as an HPGL drawing.
std::string FrameOfSquares(int columns, int rows)
{
    std::ostringstream out;
    const int size = 100 * std::max(columns, rows) + 100;
    out << "IN;SP1;PU0,0;PD" << size << ",0," << size << "," << size << ",0," << size << ",0,0;PU;";
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const int x = 60 + 100 * c;
            const int y = 60 + 100 * r;
            out << "PU" << x << "," << y << ";PD" << x + 40 << "," << y << "," << x + 40 << "," << y + 40
                << "," << x << "," << y + 40 << "," << x << "," << y << ";";
        }
    }
    out << "PU;";
    return out.str();
}

class PlanWindow : public ::testing::Test
{
protected:
    PlanWindow()
        : host(&area, Context(), {})
    {
        area.resize(800, 600);
        area.show();
    }

    TProjectWindowContext Context()
    {
        TProjectWindowContext context;
        context.settings = [this] { return settings; };
        context.makeReader = [] { return std::make_unique<THpglSource>(); };
        return context;
    }

    TMDIChild *Open(const std::string &drawing)
    {
        const QString path = dir.filePath(QStringLiteral("plan.plt"));
        std::ofstream(path.toStdString(), std::ios::binary) << drawing;
        const TOpenedProject opened = host.OpenProject(path, 1, 0, 255);
        return opened.loaded() ? host.window(opened.window) : nullptr;
    }

    // Runs the event loop until the window's plan has finished, noting every
    // status text shown meanwhile.
    void Wait(TMDIChild *child)
    {
        while (child->planning()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
            if (seen.isEmpty() || seen.back() != child->statusText())
                seen << child->statusText();
        }
    }

    QTemporaryDir dir;
    QMdiArea area;
    TProjectSettings settings;
    TProjectWindowHost host;
    RecordingMessageBoxes boxes;
    QStringList seen;
};

TEST_F(PlanWindow, ShowsReadyPercentWhilePlanningAndThePlanAfterwards)
{
    TMDIChild *child = Open(FrameOfSquares(70, 70));
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(child->planning());
    EXPECT_FALSE(child->planned());
    Wait(child);
    EXPECT_EQ(child->lastPlan().status, TPlanStatus::Planned);
    EXPECT_TRUE(child->planned());
    EXPECT_EQ(child->document().Figures.size(), 1u + 2 * 4900u); // a connector for every square
    EXPECT_EQ(child->statusText(), QString());
    EXPECT_TRUE(
        std::any_of(seen.begin(), seen.end(), [](const QString &s) { return s.startsWith("Ready "); }));
}

TEST_F(PlanWindow, KeyPressOrLeftClickStopsPlanningAndThePlanCanRunAgain)
{
    for (const bool key : {true, false}) {
        SCOPED_TRACE(key ? "key" : "click");
        TMDIChild *child = Open(FrameOfSquares(40, 40));
        ASSERT_NE(child, nullptr);
        if (key) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(child, &press);
        } else {
            QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(child->widget(), &press);
        }
        Wait(child);
        EXPECT_EQ(child->lastPlan().status, TPlanStatus::Cancelled);
        EXPECT_FALSE(child->planned());

        child->ciecie();
        Wait(child);
        EXPECT_EQ(child->lastPlan().status, TPlanStatus::Planned);
        EXPECT_TRUE(child->planned());
        EXPECT_EQ(child->document().Figures.size(), 1u + 2 * 1600u);
    }
}

TEST_F(PlanWindow, StuckPlanTellsHowManyFiguresStayOff)
{
    settings.Mode = 2;
    settings.StolikSwitch = 1;
    // Serial cutting: the root is the last outermost square with a square
    // inside touching it; the first square cannot be joined.
    TMDIChild *child = Open("IN;SP1;PU0,0;PD100,0,100,100,0,100,0,0;"
                            "PU502,2;PD600,2,600,100,502,100,502,2;"
                            "PU500,0;PD900,0,900,400,500,400,500,0;PU;");
    ASSERT_NE(child, nullptr);
    Wait(child);
    EXPECT_EQ(child->lastPlan().status, TPlanStatus::Stuck);
    EXPECT_FALSE(child->planned());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown.front().text.endsWith("1"));
}

} // namespace
