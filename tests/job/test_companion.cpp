// The companion program's two buttons: starting or finding it, and the
// hole-drilling project made from the values it left in the shared block.
#include "companionblock.h"
#include "job/companion.h"
#include "project/drawingsource.h"
#include "project/projectdocument.h"
#include "support/recordingmessageboxes.h"
#include "support/scopedlanguage.h"
#include "support/testfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <cmath>
#include <csignal>
#include <limits>

namespace {

struct Values
{
    double x, y, width, height;
};

void Put(CompanionBlock &block, const Values &v)
{
    block.putDouble(0, v.x);
    block.putDouble(8, v.y);
    block.putDouble(16, v.width);
    block.putDouble(24, v.height);
}

} // namespace

TEST(HoleDrilling, CompanionsHoleBecomesAFrameAndACrossPoint)
{
    RecordingMessageBoxes boxes;
    CompanionBlock block(48);
    Put(block, {10, 20, 100, 50});
    QTemporaryDir dir;
    const QString path = dir.filePath("tmp.dxf");
    TProjectDocument project;
    QString opened;
    const bool done = sbGenKrzyzToPunktClick(TCompanionLink(block.name()), path, 0, [&](const QString &file) {
        opened = file;
        // As the open command loads it, with cross-to-point cutting on.
        TProjectSettings settings;
        settings.cbKrzyzToPunkt = true;
        THpglSource reader;
        project.ReaderKind = 2; // DXF, by the extension
        EXPECT_TRUE(project.Load(reader, file.toStdString(), 255, settings).opened());
    });
    EXPECT_TRUE(done);
    EXPECT_EQ(opened, path);
    EXPECT_TRUE(boxes.shown.empty());
    ASSERT_EQ(project.Figures.size(), 2u);
    const auto points = [&](bool cross) {
        for (const tfigura &f : project.Figures)
            if (f.crossPoint == cross)
                return f.points;
        return std::vector<TPlotPoint> {};
    };
    EXPECT_EQ(points(false), (std::vector<TPlotPoint> {{0, 0}, {0, 2000}, {4000, 2000}, {4000, 0}, {0, 0}}));
    EXPECT_EQ(points(true), (std::vector<TPlotPoint> {{400, 800}, {400, 800}}));
}

TEST(HoleDrilling, MissingValuesAndAFailedWriteOpenNothing)
{
    ScopedLanguage language(ShippedLanguage());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case
    {
        const char *what;
        Values values;
        bool written;
    };
    const Case cases[] = {
        {"a hole at the origin", {0, 0, 100, 50}, true},
        {"a negative position", {-1, 0, 100, 50}, false},
        {"a NaN frame height", {10, 20, 100, nan}, false},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        RecordingMessageBoxes boxes;
        CompanionBlock block(48);
        Put(block, c.values);
        const QString path = dir.filePath(QStringLiteral("%1.dxf").arg(c.values.x));
        int opens = 0;
        EXPECT_EQ(
            sbGenKrzyzToPunktClick(TCompanionLink(block.name()), path, 0, [&](const QString &) { ++opens; }),
            c.written);
        EXPECT_EQ(opens, c.written ? 1 : 0);
        EXPECT_EQ(QFile::exists(path), c.written);
        if (!c.written) {
            ASSERT_EQ(boxes.shown.size(), 1u);
            EXPECT_EQ(boxes.shown[0].caption, GetText("Main_window", "msgBrakDanychZMorvantelloa"));
            EXPECT_EQ(boxes.shown[0].text, GetText("Main_window", "msgWygenerujStozekWMorvantelloze"));
        }
    }

    RecordingMessageBoxes boxes;
    CompanionBlock block(48);
    Put(block, {10, 20, 100, 50});
    const QString nowhere = dir.filePath("missing/tmp.dxf");
    int opens = 0;
    EXPECT_FALSE(
        sbGenKrzyzToPunktClick(TCompanionLink(block.name()), nowhere, 0, [&](const QString &) { ++opens; }));
    EXPECT_EQ(opens, 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(
        boxes.shown[0].text.startsWith(GetText("Universal", "bladZapisuPliku") + "\n" + nowhere + "\n"));
}

TEST(Companion, StartedOnceWithShowAllThenFoundRunning)
{
    ScopedLanguage language(ShippedLanguage());
    RecordingMessageBoxes boxes;
    QTemporaryDir dir;
    const QString log = dir.filePath("started.txt");
    const QString script = dir.filePath("companion.sh");
    {
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        // It stays up until told to stop, and takes its sleep with it.
        file.write("#!/bin/sh\necho \"$$ $*\" >> '" + log.toUtf8()
                   + "'\ntrap 'kill $child; exit 0' TERM\nsleep 30 &\nchild=$!\nwait $child\n");
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    int minimised = 0;
    TCompanionHooks hooks;
    hooks.minimiseMainWindow = [&] { ++minimised; };
    hooks.openDocument = [](const QString &) { return false; };

    EXPECT_EQ(sbMorvantelloClick(script, hooks), TCompanionOutcome::Started);
    for (int i = 0; i < 250 && !ReadAll(log).contains('\n'); ++i)
        QThread::msleep(20);
    const QList<QByteArray> first = ReadAll(log).trimmed().split(' ');
    ASSERT_EQ(first.size(), 2);
    EXPECT_EQ(first[1], "showAll");
    const pid_t pid = first[0].toInt();
    ASSERT_GT(pid, 0);

    EXPECT_EQ(sbMorvantelloClick(script, hooks), TCompanionOutcome::AlreadyRunning);
    EXPECT_EQ(minimised, 1);
    QThread::msleep(200);
    EXPECT_EQ(ReadAll(log).count('\n'), 1) << "a second companion was started";
    ::kill(pid, SIGTERM);
    EXPECT_TRUE(boxes.shown.empty());

    // Any other file goes to the desktop; a missing one is named.
    const QString notes = dir.filePath("notes.txt");
    QFile(notes).open(QIODevice::WriteOnly);
    QString handed;
    hooks.openDocument = [&](const QString &path) {
        handed = path;
        return true;
    };
    EXPECT_EQ(sbMorvantelloClick(notes, hooks), TCompanionOutcome::Opened);
    EXPECT_EQ(handed, notes);
    const QString missing = dir.filePath("gone");
    EXPECT_EQ(sbMorvantelloClick(missing, hooks), TCompanionOutcome::Missing);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, GetText("Universal", "txtPlikuBrak") + "\n" + missing);
}
