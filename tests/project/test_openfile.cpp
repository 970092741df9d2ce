#include "app/common.h"
#include "project/openfile.h"
#include "support/recordingmessageboxes.h"
#include "support/scopedlanguage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <map>

namespace {

// Records what the opener asks of the main window. Windows hold figures as
// the figure counts say, by file name and pen filter; a window without
// figures closes itself as a project window does.
class FakeHost : public IProjectOpenHost
{
public:
    int mode = 0;
    std::map<std::pair<QString, int>, int> figures; // (file name, pen filter) -> count; default 1
    QStringList answers; // files the open dialog returns in turn ("" cancels)
    QStringList log;
    QString folder = QStringLiteral("/start");
    QString remembered;
    int filter = 1; // the record's filter index
    int userFilter = 1; // the filter the user leaves the dialog on
    std::vector<int> startedOn; // the filter each dialog opened on

    struct Window
    {
        QString caption;
        int pass = 0;
        bool open = true;
    };
    std::vector<Window> windows;
    int active = -1;

    int ProjectCount() const override
    {
        int n = 0;
        for (const Window &w : windows)
            n += w.open;
        return n;
    }
    void CloseAllClick() override
    {
        log << QStringLiteral("close all");
        for (Window &w : windows)
            w.open = false;
    }
    TOpenedProject OpenProject(const QString &fileName, int kind, int pass, std::uint8_t pen) override
    {
        const QString name = QFileInfo(fileName).fileName();
        log << QStringLiteral("open %1 kind %2 pass %3 pen %4").arg(name).arg(kind).arg(pass).arg(pen);
        const auto it = figures.find({name, pen});
        const int count = it == figures.end() ? 1 : it->second;
        windows.push_back({fileName, pass, count > 0});
        active = int(windows.size()) - 1;
        if (count == 0)
            return {};
        return {active, count};
    }
    void SetCaption(int window, const QString &caption) override
    {
        windows.at(window).caption = caption;
        log << QStringLiteral("caption ") + QFileInfo(caption).fileName();
    }
    int CreateEmptyProject(const QString &caption, const QString &) override
    {
        windows.push_back({caption, 0, true});
        log << QStringLiteral("empty ") + QFileInfo(caption).fileName();
        return active = int(windows.size()) - 1;
    }
    void BuildMixedProject(int front, int back, int mix) override
    {
        log << QStringLiteral("mix %1 %2 %3").arg(front).arg(back).arg(mix);
    }
    void ShowProject(int window) override
    {
        active = window;
        log << QStringLiteral("show %1").arg(window);
    }
    void TileWindows() override { log << QStringLiteral("tile"); }
    QString AskForDrawing(const QString &start, const QString &title, const QList<TFileFilter> &filters,
                          int &filterIndex) override
    {
        log << QStringLiteral("ask ") + title + QStringLiteral(" in ") + start;
        EXPECT_EQ(filters.size(), 4);
        startedOn.push_back(filterIndex);
        filterIndex = userFilter;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    QString OpenFolder() const override { return remembered.isEmpty() ? folder : remembered; }
    void RememberOpenFolder(const QString &f) override { remembered = f; }
    int OpenFilterIndex() const override { return filter; }
    void RememberOpenFilterIndex(int index) override { filter = index; }
    QString ArmCaption(bool side) const override
    {
        return side ? QStringLiteral("SIDE") : QStringLiteral("FRONT");
    }
    int CuttingMode() const override { return mode; }
};

// A folder with empty drawing files of the given names.
class DrawingFolder
{
public:
    explicit DrawingFolder(const QStringList &names)
    {
        for (const QString &name : names) {
            QFile file(path(name));
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        }
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString folder() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

} // namespace

TEST(OpenFile, DrawingKindByExtension)
{
    const std::pair<const char *, int> cases[] = {{"a.plt", 1}, {"B.PLT", 1}, {"c.dxf", 2},      {"d.Ai", 3},
                                                  {"e.eps", 3}, {"f.txt", 0}, {"noextension", 0}};
    for (const auto &[name, kind] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(DrawingKindOf(QString::fromLatin1(name)), kind);
    }
}

TEST(OpenFile, LeadingNumbersOfFileNames)
{
    const std::pair<const char *, int> cases[]
        = {{"05_a.plt", 5},
           {"1.plt", 1},
           {"12b.plt", 12},
           {"x.plt", -1},
           {"0.plt", 0},
           {"9999.plt", 9999},
           {"10000.plt", -1},
           // Broke: a long run of digits overflowed into a small pass number.
           {"4294967297.plt", -1},
           {"00000000000000000007.plt", 7}};
    for (const auto &[name, number] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(LeadingFileNumber(QString::fromLatin1(name)), number);
    }
}

TEST(OpenFile, ModeZeroOpensOneWindowForEveryPen)
{
    DrawingFolder dir({QStringLiteral("part.plt")});
    FakeHost host;
    TDrawingOpener(host).OpenFile(QString(), dir.path(QStringLiteral("part.plt")), true);
    EXPECT_EQ(host.log, QStringList {QStringLiteral("open part.plt kind 1 pass 0 pen 255")});
    EXPECT_EQ(host.remembered, dir.folder());
}

TEST(OpenFile, OpenDialogStartsInTheRecordsFolderAndRemembersTheNewOne)
{
    DrawingFolder dir({QStringLiteral("part.dxf")});
    FakeHost host;
    host.answers << dir.path(QStringLiteral("part.dxf"));
    TDrawingOpener(host).FileOpenItemClick();
    EXPECT_EQ(host.log,
              (QStringList {QStringLiteral("ask error in /start"),
                            QStringLiteral("open part.dxf kind 2 pass 0 pen 255")}));
    EXPECT_EQ(host.remembered, dir.folder());
}

// Fault mended: the filter chosen in the open dialog was never remembered.
TEST(OpenFile, OpenDialogStartsOnTheFilterChosenLast)
{
    DrawingFolder dir({QStringLiteral("part.dxf")});
    FakeHost host;
    host.filter = 2;
    host.userFilter = 3;
    host.answers << dir.path(QStringLiteral("part.dxf"));
    TDrawingOpener opener(host);
    opener.FileOpenItemClick();
    EXPECT_EQ(host.filter, 3);
    host.userFilter = 4;
    opener.FileOpenItemClick(); // cancelled: nothing is remembered
    EXPECT_EQ(host.startedOn, (std::vector<int> {2, 3}));
    EXPECT_EQ(host.filter, 3);
}

TEST(OpenFile, CancelledDialogOpensNothing)
{
    FakeHost host;
    TDrawingOpener(host).FileOpenItemClick();
    EXPECT_EQ(host.log.size(), 1);
    EXPECT_TRUE(host.windows.empty());
}

TEST(OpenFile, MissingFileOrUnknownExtensionCannotBeOpened)
{
    DrawingFolder dir({QStringLiteral("notes.txt")});
    for (const QString &file :
         {dir.path(QStringLiteral("missing.plt")), dir.path(QStringLiteral("notes.txt"))}) {
        SCOPED_TRACE(file.toStdString());
        RecordingMessageBoxes boxes;
        FakeHost host;
        TDrawingOpener(host).OpenFile(QString(), file, true);
        EXPECT_TRUE(host.windows.empty());
        EXPECT_TRUE(host.remembered.isEmpty());
        ASSERT_EQ(boxes.shown.size(), 1u);
        // Without a language file the key's text reads "error".
        EXPECT_EQ(boxes.shown[0].text, QStringLiteral("error") + file);
        EXPECT_EQ(boxes.shown[0].kind, MessageKind::Error);
    }
}

TEST(OpenFile, IndependentModeOpensFrontBackAndMix)
{
    DrawingFolder dir({QStringLiteral("wing.plt")});
    FakeHost host;
    host.mode = 4;
    TDrawingOpener(host).OpenFile(QString(), dir.path(QStringLiteral("wing.plt")), false);
    EXPECT_EQ(host.log,
              (QStringList {QStringLiteral("close all"), QStringLiteral("open wing.plt kind 1 pass 0 pen 4"),
                            QStringLiteral("caption wing.plt FRONT"),
                            QStringLiteral("open wing.plt kind 1 pass 0 pen 3"),
                            QStringLiteral("caption wing.plt BACK"), QStringLiteral("empty wing.plt Mix"),
                            QStringLiteral("mix 0 1 2")}));
    EXPECT_TRUE(host.remembered.isEmpty());
}

TEST(OpenFile, IndependentModeNamesTheMissingProfileAndClosesAll)
{
    struct Case
    {
        int pen;
        QStringList tail;
    };
    const Case cases[] = {
        {4, {QStringLiteral("open wing.plt kind 1 pass 0 pen 4"), QStringLiteral("close all")}},
        {3,
         {QStringLiteral("open wing.plt kind 1 pass 0 pen 4"), QStringLiteral("caption wing.plt FRONT"),
          QStringLiteral("open wing.plt kind 1 pass 0 pen 3"), QStringLiteral("close all")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pen);
        DrawingFolder dir({QStringLiteral("wing.plt")});
        RecordingMessageBoxes boxes;
        FakeHost host;
        host.mode = 4;
        host.figures[{QStringLiteral("wing.plt"), c.pen}] = 0;
        TDrawingOpener(host).OpenFile(QString(), dir.path(QStringLiteral("wing.plt")), true);
        EXPECT_EQ(host.log, QStringList {QStringLiteral("close all")} + c.tail);
        EXPECT_EQ(host.ProjectCount(), 0);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].kind, MessageKind::Information);
        EXPECT_EQ(boxes.shown[0].caption, dir.path(QStringLiteral("wing.plt")));
    }
}

TEST(OpenFile, PerpendicularModeOpensFrontAndSideFilesTiled)
{
    for (const char *sideName : {"part_bok.plt", "part_side.plt"}) {
        SCOPED_TRACE(sideName);
        DrawingFolder dir({QStringLiteral("part.plt"), QString::fromLatin1(sideName)});
        FakeHost host;
        host.mode = 5;
        TDrawingOpener(host).OpenFile(QString(), dir.path(QStringLiteral("part.plt")), true);
        EXPECT_EQ(host.log,
                  (QStringList {QStringLiteral("open part.plt kind 1 pass 0 pen 255"),
                                QStringLiteral("caption part.plt   FRONT"),
                                QStringLiteral("open %1 kind 1 pass 1 pen 255").arg(sideName),
                                QStringLiteral("caption %1   SIDE").arg(sideName), QStringLiteral("show 0"),
                                QStringLiteral("tile")}));
        EXPECT_EQ(host.active, 0);
    }
}

TEST(OpenFile, PerpendicularModeAsksForTheSideWhenNoSideFileExists)
{
    DrawingFolder dir({QStringLiteral("part.plt"), QStringLiteral("other.plt")});
    FakeHost host;
    host.mode = 5;
    host.answers << dir.path(QStringLiteral("other.plt"));
    TDrawingOpener(host).OpenFile(QString(), dir.path(QStringLiteral("part.plt")), true);
    EXPECT_EQ(host.log,
              (QStringList {QStringLiteral("open part.plt kind 1 pass 0 pen 255"),
                            QStringLiteral("caption part.plt   FRONT"),
                            // The dialog starts where the front came from.
                            QStringLiteral("ask error in ") + dir.folder(),
                            QStringLiteral("open other.plt kind 1 pass 1 pen 255"),
                            QStringLiteral("caption other.plt   SIDE"), QStringLiteral("show 0"),
                            QStringLiteral("tile")}));
}

TEST(OpenFile, PerpendicularModeWithTwoWindowsClosesBothBeforeAsking)
{
    FakeHost host;
    host.mode = 5;
    host.windows = {{QStringLiteral("a"), 0, true}, {QStringLiteral("b"), 1, true}};
    TDrawingOpener(host).FileOpenItemClick();
    EXPECT_EQ(host.log, (QStringList {QStringLiteral("close all"), QStringLiteral("ask error in /start")}));
}

TEST(OpenFile, SerialModeOpensTheNumberedFilesOfTheFolder)
{
    DrawingFolder dir({QStringLiteral("05_a.plt"), QStringLiteral("1.plt"), QStringLiteral("12b.PLT"),
                       QStringLiteral("x.plt"), QStringLiteral("10000.plt"), QStringLiteral("3.dxf"),
                       QStringLiteral("99999999999999999999.plt")});
    FakeHost host;
    host.mode = 2;
    TDrawingOpener opener(host);
    opener.OpenFile(QString(), dir.path(QStringLiteral("05_a.plt")), true);
    EXPECT_EQ(
        host.log,
        (QStringList {QStringLiteral("close all"), QStringLiteral("open 12b.PLT kind 1 pass 12 pen 255"),
                      QStringLiteral("open 05_a.plt kind 1 pass 5 pen 255"),
                      QStringLiteral("open 1.plt kind 1 pass 1 pen 255"), QStringLiteral("tile")}));
    // The lowest number is created last and stays active.
    ASSERT_EQ(host.windows.size(), 3u);
    EXPECT_EQ(host.windows[host.active].pass, 1);
    EXPECT_EQ(opener.lastFolder(), dir.folder());
    EXPECT_EQ(host.remembered, dir.folder());
}

// Fault mended: a drawing chosen in serial cutting in a folder without any
// numbered drawing closed the windows and opened nothing, without a word.
TEST(OpenFile, SerialModeWithoutNumberedDrawingsSaysWhyAndKeepsTheWindows)
{
    DrawingFolder dir({QStringLiteral("nested.plt"), QStringLiteral("7.dxf")});
    for (const char *code : {"US", "PL"}) {
        SCOPED_TRACE(code);
        ScopedLanguage language(ShippedLanguage(QString::fromLatin1(code)));
        RecordingMessageBoxes boxes;
        FakeHost host;
        host.mode = 2;
        host.windows = {{QStringLiteral("a"), 0, true}};
        TDrawingOpener opener(host);
        opener.OpenFile(QString(), dir.path(QStringLiteral("nested.plt")), true);
        EXPECT_TRUE(host.log.isEmpty()) << host.log.join(QStringLiteral("; ")).toStdString();
        EXPECT_EQ(host.ProjectCount(), 1);
        EXPECT_TRUE(host.remembered.isEmpty());
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].kind, MessageKind::Error);
        EXPECT_EQ(
            boxes.shown[0].text,
            GetText(QStringLiteral("Configuration"), QStringLiteral("mode.Seryjne")) + QStringLiteral(": ")
                + GetText(QStringLiteral("Main_window"), QStringLiteral("seryjneBrakNumerowanychPlikow"))
                + QStringLiteral("\r\n") + QDir::toNativeSeparators(dir.folder()));
        EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("000.plt")));
    }
}

TEST(OpenFile, SerialModeLaterFileWithTheSameNumberWins)
{
    const std::map<int, QString> files = [] {
        DrawingFolder dir({QStringLiteral("2a.plt"), QStringLiteral("2b.plt"), QStringLiteral("02.plt")});
        return NumberedFiles(dir.folder(), QStringLiteral(".plt"));
    }();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files.at(2), QStringLiteral("2b.plt"));
}

TEST(OpenFile, ManualOpensWithTheViewerOrSaysWhatIsMissing)
{
    DrawingFolder dir({});
    const DocumentPlace place {dir.folder(), QStringLiteral("PL"), QString()};
    QStringList opened;
    bool viewerWorks = true;
    const TShellOpen shell = [&](const QString &path) {
        opened << path;
        return viewerWorks;
    };
    {
        RecordingMessageBoxes boxes;
        OpenManual(place, shell);
        EXPECT_TRUE(opened.isEmpty());
        ASSERT_EQ(boxes.shown.size(), 1u);
        // The English manual's name is the path tried last.
        EXPECT_EQ(boxes.shown[0].text,
                  QStringLiteral("error\r\n") + dir.folder() + QStringLiteral("/Dervilon_manual_US.pdf"));
        EXPECT_EQ(boxes.shown[0].kind, MessageKind::Error);
    }
    QFile(dir.path(QStringLiteral("Dervilon_manual_US.pdf"))).open(QIODevice::WriteOnly);
    {
        RecordingMessageBoxes boxes;
        OpenManual(place, shell);
        EXPECT_EQ(opened, QStringList {dir.path(QStringLiteral("Dervilon_manual_US.pdf"))});
        EXPECT_TRUE(boxes.shown.empty());
        viewerWorks = false;
        OpenManual(place, shell);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].kind, MessageKind::Error);
    }
}

TEST(OpenFile, SamplesOpenTheDialogThereWithoutRememberingIt)
{
    DrawingFolder dir({});
    const DocumentPlace place {dir.folder(), QStringLiteral("US"), QString()};
    FakeHost host;
    TDrawingOpener opener(host);
    {
        RecordingMessageBoxes boxes;
        OpenSamples(place, opener);
        EXPECT_TRUE(host.log.isEmpty());
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].kind, MessageKind::Information);
    }
    QDir(dir.folder()).mkdir(QStringLiteral("Samples"));
    QFile(dir.path(QStringLiteral("Samples/s.plt"))).open(QIODevice::WriteOnly);
    host.answers << dir.path(QStringLiteral("Samples/s.plt"));
    OpenSamples(place, opener);
    EXPECT_EQ(host.log,
              (QStringList {QStringLiteral("ask error in ") + dir.path(QStringLiteral("Samples")),
                            QStringLiteral("open s.plt kind 1 pass 0 pen 255")}));
    EXPECT_TRUE(host.remembered.isEmpty());
}
