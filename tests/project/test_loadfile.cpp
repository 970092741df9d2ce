#include "project/drawingsource.h"
#include "project/projectdocument.h"

#include <QTemporaryDir>

#include <fstream>
#include <gtest/gtest.h>

namespace {

struct FileLoad
{
    TProjectDocument doc;
    TLoadOutcome outcome;
};

FileLoad LoadText(const std::string &text, const char *name = "drawing.plt", int kind = 1)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QString::fromLatin1(name)).toStdString();
    std::ofstream(path, std::ios::binary) << text;
    FileLoad l;
    l.doc.ReaderKind = kind;
    THpglSource reader;
    l.outcome = l.doc.Load(reader, path, 255, TProjectSettings());
    return l;
}

} // namespace

TEST(LoadFile, PlotFileBecomesAClosedSquare)
{
    const FileLoad l = LoadText("IN;SP1;PW0.35,1;PU0,0;PD100,0,100,100,0,100,0,0;PU;");
    ASSERT_TRUE(l.outcome.opened());
    ASSERT_EQ(l.doc.Figures.size(), 1u);
    EXPECT_TRUE(l.doc.Figures[0].closed);
    EXPECT_EQ(l.doc.Figures[0].points.size(), 5u);
    EXPECT_EQ(l.doc.PK, (TPlotPoint {100, 100}));
    EXPECT_DOUBLE_EQ(l.doc.PassAngle, 35.0);
}

TEST(LoadFile, ConversionErrorClosesInsteadOfCrashing)
{
    // Broke: a fraction where the reader wants an integer ended the program.
    const FileLoad l = LoadText("IN;SP1;PU0,0;PD100,0;PW0.35,1.5;PD10,10;PU;");
    EXPECT_EQ(l.outcome.status, TLoadStatus::ReadFailed);
    EXPECT_TRUE(l.outcome.closesWindow());
}

TEST(LoadFile, EmptyPlotFileIsAnEmptyDrawing)
{
    EXPECT_EQ(LoadText("").outcome.status, TLoadStatus::Empty);
}

TEST(LoadFile, MissingFileFailsToOpen)
{
    TProjectDocument doc;
    THpglSource reader;
    const TLoadOutcome outcome = doc.Load(reader, "/nonexistent/x.plt", 255, TProjectSettings());
    EXPECT_EQ(outcome.status, TLoadStatus::OpenFailed);
    EXPECT_EQ(outcome.message, (TMessageKey {"Universal", "zbioruNieMoznaOtworzyc"}));
}

TEST(LoadFile, EpsThatIsNoPostScript)
{
    const FileLoad l = LoadText("%PDF-1.4\n", "x.eps", 3);
    EXPECT_EQ(l.outcome.status, TLoadStatus::OpenFailed);
    EXPECT_EQ(l.outcome.readerCode, -2);
    EXPECT_EQ(l.outcome.message, (TMessageKey {"Project_window", "obslugiwanyFormatAI"}));
}
