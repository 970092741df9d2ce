#include "project/serialsave.h"
#include "support/recordingmessageboxes.h"

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
