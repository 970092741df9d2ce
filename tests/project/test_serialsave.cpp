#include "project/serialsave.h"
#include "support/recordingmessageboxes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Recorder
{
    QStringList events;

    TSerialPassWindow Window(int pass, bool writes = true)
    {
        return {
            pass, [this, pass] { events << QStringLiteral("activate %1").arg(pass); },
            [this, writes](const QString &file) {
                events << QStringLiteral("save ") + file.section(QLatin1Char('/'), -1);
                return writes ? TSaveResult() : TSaveResult {false, QStringLiteral("cannot write ") + file};
            }};
    }
};

} // namespace

TEST(SerialSave, PassNamesHaveAtLeastThreeDigits)
{
    const std::pair<int, const char *> cases[] = {{0, "000"}, {7, "007"}, {123, "123"}, {1000, "1000"}};
    for (const auto &[pass, name] : cases)
        EXPECT_EQ(SerialPassName(pass), QString::fromLatin1(name));
}

TEST(SerialSave, WindowsAreSavedInPassOrder)
{
    QTemporaryDir dir;
    RecordingMessageBoxes boxes;
    Recorder r;
    const auto result
        = SaveSerialPasses(dir.path(), {r.Window(123), r.Window(0), r.Window(7), r.Window(10000)});
    EXPECT_EQ(result, TSerialSaveResult::Saved);
    EXPECT_EQ(r.events,
              (QStringList {QStringLiteral("activate 0"), QStringLiteral("save 000.dxf"),
                            QStringLiteral("activate 7"), QStringLiteral("save 007.dxf"),
                            QStringLiteral("activate 123"), QStringLiteral("save 123.dxf")}));
    EXPECT_TRUE(boxes.questions.empty());
}

TEST(SerialSave, ExistingDxfFilesAreOnlyReplacedAfterOk)
{
    QTemporaryDir dir;
    QFile(dir.filePath(QStringLiteral("old.dxf"))).open(QIODevice::WriteOnly);
    for (const DlgButton answer : {DlgButton::Cancel, DlgButton::Ok}) {
        RecordingMessageBoxes boxes;
        boxes.answer = answer;
        Recorder r;
        const auto result = SaveSerialPasses(dir.path(), {r.Window(1)});
        ASSERT_EQ(boxes.questions.size(), 1u);
        EXPECT_EQ(boxes.offered[0], DlgButton::Ok | DlgButton::Cancel);
        EXPECT_EQ(result, answer == DlgButton::Ok ? TSerialSaveResult::Saved : TSerialSaveResult::Cancelled);
        EXPECT_EQ(r.events.size(), answer == DlgButton::Ok ? 2 : 0);
    }
}

TEST(SerialSave, AFailedFileStopsAndIsReported)
{
    QTemporaryDir dir;
    RecordingMessageBoxes boxes;
    Recorder r;
    const auto result = SaveSerialPasses(dir.path(), {r.Window(2), r.Window(1, false)});
    EXPECT_EQ(result, TSerialSaveResult::Failed);
    EXPECT_EQ(r.events, (QStringList {QStringLiteral("activate 1"), QStringLiteral("save 001.dxf")}));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("cannot write ") + dir.filePath(QStringLiteral("001.dxf")));
    EXPECT_EQ(boxes.shown[0].kind, MessageKind::Error);
}

// Fault mended: the passes were written over the old ones file by file, so a
// save that stopped half way left a folder of new and old passes.
TEST(SerialSave, TheFolderHoldsTheOldPassesOrTheWholeNewSet)
{
    QTemporaryDir parent;
    const QString folder = parent.filePath(QStringLiteral("rib"));
    const auto read = [&folder](const char *name) {
        QFile f(folder + QLatin1Char('/') + QLatin1String(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing");
    };
    const auto writing = [](int pass, bool fails) {
        return TSerialPassWindow {pass, {}, [pass, fails](const QString &file) {
                                      QFile f(file);
                                      if (fails || !f.open(QIODevice::WriteOnly))
                                          return TSaveResult {false, QStringLiteral("cannot write ") + file};
                                      f.write("NEW" + QByteArray::number(pass));
                                      return TSaveResult();
                                  }};
    };
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char *name : {"000.dxf", "001.dxf", "005.dxf", "notes.txt"}) {
        QFile f(folder + QLatin1Char('/') + QLatin1String(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("OLD");
    }
    for (const bool secondFails : {true, false}) {
        SCOPED_TRACE(secondFails);
        RecordingMessageBoxes boxes;
        boxes.answer = DlgButton::Ok;
        const auto result = SaveSerialPasses(folder, {writing(0, false), writing(1, secondFails)});
        EXPECT_EQ(result, secondFails ? TSerialSaveResult::Failed : TSerialSaveResult::Saved);
        EXPECT_EQ(read("000.dxf"), secondFails ? QByteArray("OLD") : QByteArray("NEW0"));
        EXPECT_EQ(read("001.dxf"), secondFails ? QByteArray("OLD") : QByteArray("NEW1"));
        // Files that are no pass of the new set stay as they were.
        EXPECT_EQ(read("005.dxf"), QByteArray("OLD"));
        EXPECT_EQ(read("notes.txt"), QByteArray("OLD"));
        EXPECT_EQ(QDir(parent.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList {QStringLiteral("rib")})
            << "nothing left beside the folder";
        if (secondFails) {
            ASSERT_EQ(boxes.shown.size(), 1u);
            EXPECT_EQ(boxes.shown[0].text,
                      QStringLiteral("cannot write ") + folder + QStringLiteral("/001.dxf"));
        }
    }
}
