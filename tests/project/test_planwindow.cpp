// The project window plans on a worker: "Ready N%" while it runs, a key
// press or left click stops it, and the plan lands in the document at the end.

#include "project/ui/mdichild.h"
#include "project/ui/projectwindowhost.h"
#include "support/recordingmessageboxes.h"
#include "support/scopedlanguage.h"
#include "support/textfit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMouseEvent>
#include <QProgressBar>
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
    const QProgressBar *bar = child->findChild<QProgressBar *>(QStringLiteral("PlanProgress"));
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible()) << "the percentage as a bar while planning runs";
    Wait(child);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(child->lastPlan().status, TPlanStatus::Planned);
    EXPECT_TRUE(child->planned());
    EXPECT_EQ(child->document().Figures.size(), 1u + 2 * 4900u); // a connector for every square
    EXPECT_EQ(child->statusText(), QString());
    EXPECT_TRUE(
        std::any_of(seen.begin(), seen.end(), [](const QString &s) { return s.startsWith("Ready "); }));
}

TEST_F(PlanWindow, KeyPressOrLeftClickStopsPlanningAndThePlanCanRunAgain)
{
    ScopedLanguage language(ShippedLanguage());
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
        // Regression: a stopped plan stood at "Ready 0%" as if it hung.
        EXPECT_EQ(child->statusText(),
                  GetText(QStringLiteral("Project_window"), QStringLiteral("planowaniePrzerwane")));
        EXPECT_FALSE(child->findChild<QProgressBar *>(QStringLiteral("PlanProgress"))->isVisible());

        child->ciecie();
        Wait(child);
        EXPECT_EQ(child->lastPlan().status, TPlanStatus::Planned);
        EXPECT_TRUE(child->planned());
        EXPECT_EQ(child->document().Figures.size(), 1u + 2 * 1600u);
    }
}

// Regression: the notice of a stopped plan ran past the edge of the window
// at its first size and was cut off in the middle of a word.
TEST_F(PlanWindow, StoppedPlanNoticeShowsWholeAtTheFirstSizeInEnglishAndPolish)
{
    for (const char *code : {"US", "PL"}) {
        SCOPED_TRACE(code);
        ScopedLanguage language(ShippedLanguage(QString::fromLatin1(code)));
        TMDIChild *child = Open(FrameOfSquares(40, 40));
        ASSERT_NE(child, nullptr);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(child, &press);
        Wait(child);
        ASSERT_EQ(child->lastPlan().status, TPlanStatus::Cancelled);
        ASSERT_EQ(child->size(), QSize(424, 182));
        const QString notice
            = GetText(QStringLiteral("Project_window"), QStringLiteral("planowaniePrzerwane"));
        const auto labels = child->findChildren<QLabel *>();
        const auto shown = std::find_if(labels.begin(), labels.end(), [&](const QLabel *label) {
            return label->isVisible() && label->text() == notice;
        });
        ASSERT_NE(shown, labels.end()) << "the notice is on screen";
        const QStringList clipped = ClippedTexts(*child);
        EXPECT_TRUE(clipped.isEmpty()) << clipped.join(QLatin1Char('\n')).toStdString();
        child->close();
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

TEST_F(PlanWindow, RotaryDrawingWithoutAxisOrProfileSaysWhyAndCloses)
{
    ScopedLanguage language(ShippedLanguage());
    ASSERT_TRUE(tInterfejs::instance().loaded());
    struct Case
    {
        int mode;
        int mounting;
        const char *drawing;
        const char *key;
    };
    const char *vertical = "IN;SP1;PU0,0;PD0,900;PU100,100;PD400,500,700,100;PU;";
    const char *level = "IN;SP1;PU0,0;PD900,0;PU100,100;PD400,500,700,100;PU;";
    const Case cases[] = {
        {1, 0, "IN;SP1;PU0,0;PD900,0;PU;", "projektBrakProfilu"},
        {1, 2, level, "BrakSposobuMocowaniaMaterialu"},
        {1, 0, vertical, "projektBrakOsiObrotuPozProsta"},
        {2, 0, vertical, "projektBrakOsiObrotuPozProsta"},
        {1, 1, level, "projektBrakOsiObrotuPionProsta"},
        {3, 0, vertical, "projektBrakOsiObrotuPozProsta"},
        {3, 1, level, "projektBrakOsiObrotu"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.key) + " in mode " + std::to_string(c.mode));
        settings.Mode = c.mode;
        settings.StolikSwitch = c.mounting;
        boxes.shown.clear();
        EXPECT_EQ(Open(c.drawing), nullptr);
        EXPECT_EQ(host.ProjectCount(), 0);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].kind, MessageKind::Error);
        EXPECT_EQ(boxes.shown[0].text, GetText(QStringLiteral("Project_window"), QString::fromLatin1(c.key)));
    }
}

TEST_F(PlanWindow, TurningProfileBelowTheSpindleWarnsOnceAsAnErrorAndStaysPlanned)
{
    ScopedLanguage language(ShippedLanguage());
    ASSERT_TRUE(tInterfejs::instance().loaded());
    settings.Mode = 3;
    settings.StolikSwitch = 0;
    TMDIChild *child = Open("IN;SP1;PU0,100;PD1000,100;PU100,300;PD400,50,900,300;PU;");
    ASSERT_NE(child, nullptr);
    EXPECT_FALSE(child->closing());
    EXPECT_TRUE(child->planned());
    EXPECT_EQ(child->document().PP.x, 0);
    EXPECT_EQ(child->statusText(), QString()) << "a finished plan empties the figure count";
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, MessageKind::Error);
    EXPECT_EQ(boxes.shown[0].text,
              GetText(QStringLiteral("Project_window"), QStringLiteral("osMaBycPonizejProfilu")));
}

} // namespace
