#include "project/ui/mdichild.h"
#include "project/ui/projectwindowhost.h"
#include "support/recordingmessageboxes.h"
#include "support/scopedlanguage.h"

#include <QApplication>
#include <QMdiArea>
#include <QTemporaryDir>

#include <fstream>
#include <gtest/gtest.h>

namespace {

struct SizeWrite
{
    double width;
    double height;
};

// A main window's MDI area with project windows that read real drawing files.
class ProjectWindows : public ::testing::Test
{
protected:
    ProjectWindows()
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
        context.mainStatus = [this](const QString &text) { mainStatus << text; };
        context.writeProjectSize = [this](double w, double h) { sizes.push_back({w, h}); };
        return context;
    }

    QString Drawing(const char *name, const std::string &text)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        std::ofstream(path.toStdString(), std::ios::binary) << text;
        return path;
    }

    QTemporaryDir dir;
    QMdiArea area;
    TProjectSettings settings;
    QStringList mainStatus;
    std::vector<SizeWrite> sizes;
    TProjectWindowHost host;
    RecordingMessageBoxes boxes;
};

const std::string Square = "IN;SP1;PU0,0;PD400,0,400,200,0,200,0,0;PU;";

} // namespace

TEST_F(ProjectWindows, LoadedWindowShowsItsFileFigureCountAndSize)
{
    const QString file = Drawing("square.plt", Square);
    const TOpenedProject opened = host.OpenProject(file, 1, 7, 255);
    ASSERT_TRUE(opened.loaded());
    TMDIChild *child = host.window(opened.window);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->caption(), file);
    EXPECT_EQ(child->passNumber(), 7);
    EXPECT_EQ(child->document().ReaderKind, 1);
    // No language file in the tests: the key's text reads "error".
    EXPECT_EQ(child->statusText(), QStringLiteral("error1"));
    EXPECT_EQ(mainStatus, (QStringList {QStringLiteral("Open file ") + file, QString()}));
    ASSERT_FALSE(sizes.empty());
    EXPECT_DOUBLE_EQ(sizes.back().width, 10.0);
    EXPECT_DOUBLE_EQ(sizes.back().height, 5.0);
    EXPECT_TRUE(boxes.shown.empty());
    // The flat planner runs as the drawing loads, on a worker; when it is
    // done the status text is emptied.
    while (child->planning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_TRUE(child->planned());
    EXPECT_EQ(child->statusText(), QString());
    EXPECT_EQ(host.ProjectCount(), 1);
}

// Fault mended: a converter's zero-length LINE and the slivers its pieces
// joined into were each planned and cut as a tiny extra path.
TEST_F(ProjectWindows, AConvertersSliversAreLeftOutAndCounted)
{
    settings.tolerance = 10; // 0.25 mm
    const TOpenedProject opened
        = host.OpenProject(QStringLiteral(PRENTAVIK_SOURCE_DIR "/data/dxf/converted_r2000.dxf"), 2, 0, 255);
    ASSERT_TRUE(opened.loaded());
    TMDIChild *child = host.window(opened.window);
    EXPECT_EQ(child->document().Figures.size(), 3u) << "two splines and the 3D rectangle";
    EXPECT_EQ(child->statusText(), QStringLiteral("error3   error3"));
    while (child->planning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_TRUE(child->planned());
    EXPECT_EQ(child->statusText(), QStringLiteral("error3")) << "the count stays once the plan is done";
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ProjectWindows, ActivationTellsTheCompanionTheActiveProjectsScaledSize)
{
    const TOpenedProject first = host.OpenProject(Drawing("a.plt", Square), 1, 0, 255);
    const TOpenedProject second
        = host.OpenProject(Drawing("b.plt", "IN;SP1;PU0,0;PD40,0,40,80,0,80,0,0;PU;"), 1, 0, 255);
    ASSERT_TRUE(first.loaded() && second.loaded());
    settings.skala = 50;
    sizes.clear();
    area.setActiveSubWindow(host.window(first.window));
    ASSERT_FALSE(sizes.empty());
    EXPECT_DOUBLE_EQ(sizes.back().width, 5.0);
    EXPECT_DOUBLE_EQ(sizes.back().height, 2.5);
}

TEST_F(ProjectWindows, EmptyDrawingShowsTheReasonAndClosesTheWindow)
{
    const TOpenedProject opened
        = host.OpenProject(Drawing("pens.plt", "IN;SP2;PU0,0;PD10,0,10,10;PU;"), 1, 0, 4);
    EXPECT_FALSE(opened.loaded());
    EXPECT_EQ(opened.window, -1);
    EXPECT_EQ(host.ProjectCount(), 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, MessageKind::Error);
    QApplication::processEvents(); // lets the closed window go
    EXPECT_TRUE(area.subWindowList().isEmpty());
}

TEST_F(ProjectWindows, UnreadableDrawingClosesTheWindowSayingWhereItStopped)
{
    // Broke: the conversion error of the reader ended the program; then its message did not
    // say which value in which line stopped the reading.
    struct Case
    {
        const char *name;
        int kind;
        std::string text;
        QString where;
    };
    const Case cases[] = {
        {"bad.plt", 1, "IN;SP1;PU0,0;PD100,0;PW0.35,1.5;PD10,10;PU;", "\n1.5"},
        {"bad.dxf", 2, "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n0\n20\n0\n11\n1O0\n21\n0\n0\nENDSEC\n0\nEOF\n",
         "\nLine 12: 1O0"},
        // Broke: said "missing value" in English whatever the language.
        {"cut.dxf", 2, "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n0\n20\n0\n11\n1\n21",
         "\nLine 14: the file ends where a value should follow"},
    };
    ScopedLanguage language(ShippedLanguage());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        boxes.shown.clear();
        const TOpenedProject opened = host.OpenProject(Drawing(c.name, c.text), c.kind, 0, 255);
        EXPECT_EQ(opened.window, -1);
        EXPECT_EQ(host.ProjectCount(), 0);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_TRUE(boxes.shown[0].text.endsWith(c.where)) << boxes.shown[0].text.toStdString();
    }
    // Broke: a file that could not be opened gave "The file cannot be
    // opened: " with nothing after the colon.
    boxes.shown.clear();
    const QString gone = dir.filePath(QStringLiteral("gone.dxf"));
    EXPECT_EQ(host.OpenProject(gone, 2, 0, 255).window, -1);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("The file cannot be opened: ") + gone);
}

// Fault mended: a bad value of megabytes (one number of two million digits)
// was quoted whole, and the message box took half a minute to lay it out, or
// never came for a value of 50 MB.
TEST_F(ProjectWindows, AValueOfMegabytesIsQuotedByItsStartOnly)
{
    const std::string digits(2'000'000, '7');
    std::string letters; // two bytes each: the quote must not cut one in half
    for (int i = 0; i < 1'000'000; ++i)
        letters += "\xC5\xBC";
    struct Case
    {
        const char *name;
        int kind;
        std::string text;
        QString where;
    };
    const QString sevens = QString(60, u'7') + "...";
    const Case cases[] = {
        {"long.plt", 1, "IN;PU0,0;PD" + digits + ",0;", "\n" + sevens},
        {"long.dxf", 2, "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n0\n20\n0\n11\n" + digits + "\n21\n0\n0\nEOF\n",
         "\nLine 12: " + sevens},
        {"long.eps", 3, "%!PS-Adobe-3.0\n%%EndSetup\n0 0 m\n" + letters + " L\nS\n",
         "\nLine 4: " + QString(60, QChar(0x017C)) + "..."},
    };
    ScopedLanguage language(ShippedLanguage());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        boxes.shown.clear();
        EXPECT_EQ(host.OpenProject(Drawing(c.name, c.text), c.kind, 0, 255).window, -1);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_TRUE(boxes.shown[0].text.endsWith(c.where)) << boxes.shown[0].text.right(100).toStdString();
        EXPECT_LT(boxes.shown[0].text.size(), 300);
    }
}

TEST_F(ProjectWindows, TooLargeProjectWarnsAndStaysOpen)
{
    settings.limitX = 5; // 200 units; the square is 400 wide
    const TOpenedProject opened = host.OpenProject(Drawing("big.plt", Square), 1, 0, 255);
    EXPECT_TRUE(opened.loaded());
    EXPECT_EQ(host.ProjectCount(), 1);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, MessageKind::Error);
}

TEST_F(ProjectWindows, CloseAllAndEmptyWindow)
{
    host.OpenProject(Drawing("a.plt", Square), 1, 0, 255);
    const int mix = host.CreateEmptyProject(QStringLiteral("a.plt Mix"), QStringLiteral("a.plt"));
    EXPECT_EQ(host.window(mix)->caption(), QStringLiteral("a.plt Mix"));
    EXPECT_EQ(host.window(mix)->document().FileName, "a.plt");
    EXPECT_EQ(host.ProjectCount(), 2);
    host.CloseAllClick();
    EXPECT_EQ(host.ProjectCount(), 0);
}

TEST_F(ProjectWindows, SerialFolderOpensNumberedWindowsWithTheLowestActive)
{
    Drawing("2.plt", Square);
    Drawing("10.plt", Square);
    const QString chosen = Drawing("1.plt", Square);
    TProjectWindowHost::Hooks serial;
    serial.cuttingMode = [] { return 2; };
    TProjectWindowHost serialHost(&area, Context(), serial);
    TDrawingOpener(serialHost).OpenFile(QString(), chosen, false);
    const std::vector<TMDIChild *> windows = serialHost.windows();
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_EQ(windows[0]->passNumber(), 10);
    EXPECT_EQ(windows[1]->passNumber(), 2);
    EXPECT_EQ(windows[2]->passNumber(), 1);
    EXPECT_EQ(area.activeSubWindow(), windows[2]);
}
