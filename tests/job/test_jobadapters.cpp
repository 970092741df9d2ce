#include "job/jobadapters.h"

#include "app/commandline.h"
#include "app/language.h"
#include "app/messages.h"
#include "app/settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace job;

namespace {

class RecordingBoxes : public MessageBoxes
{
public:
    void show(const Message &message) override { shown.push_back(message); }
    DlgButton confirm(const QString &text, DlgButtons buttons) override
    {
        asked.push_back(text);
        askedButtons = buttons;
        return answer;
    }
    std::vector<Message> shown;
    QStringList asked;
    DlgButtons askedButtons;
    DlgButton answer = DlgButton::Ok;
};

// Installs the shipped English texts for one test.
class EnglishTexts
{
public:
    EnglishTexts()
    {
        QFile::copy(QStringLiteral(PRENTAVIK_SOURCE_DIR "/lang/Prentavik_US.xml"),
                    m_dir.filePath(QStringLiteral("Prentavik_US.xml")));
        tInterfejs language;
        language.LoadFile(QStringLiteral("US"), {m_dir.path(), QStringLiteral("Prentavik"), QStringLiteral("1.0")});
        m_previous = tInterfejs::instance();
        tInterfejs::setInstance(language);
    }
    ~EnglishTexts() { tInterfejs::setInstance(m_previous); }

private:
    QTemporaryDir m_dir;
    tInterfejs m_previous;
};

} // namespace

TEST(JobAdapters, SettingsReachJobControlByTheirControlNames)
{
    Settings s;
    s.Mode = 2;
    s.StolikSwitch = 1;
    s.CatDir = 1;
    s.rgKatObrotu = 1;
    s.cbKrzyzToPunkt = CheckState::Checked;
    s.feuZderzakX = 70;
    s.skala = 150;
    s.Ywrzeciona = 640;
    s.PrzeSpeed = 2500;
    s.work_power = 3.5;
    s.PowerOutput = 1;
    s.radiounit = 2;
    const JobSettings j = jobSettingsFrom(s);
    EXPECT_EQ(j.mode, 2);
    EXPECT_EQ(j.rotaryAxis, AxisTable);
    EXPECT_EQ(j.catDir, 1);
    EXPECT_EQ(j.anglePerPass, 1);
    EXPECT_TRUE(j.crossToPoint);
    EXPECT_DOUBLE_EQ(j.stopX, 70);
    EXPECT_DOUBLE_EQ(j.scale, 150);
    EXPECT_DOUBLE_EQ(j.spindleY, 640);
    EXPECT_DOUBLE_EQ(j.travelSpeed, 2500);
    EXPECT_DOUBLE_EQ(j.workPower, 3.5);
    EXPECT_EQ(j.powerOutput, 1);
    EXPECT_EQ(j.lengthUnit, 2);
    EXPECT_FALSE(jobSettingsFrom(Settings{}).crossToPoint) << "a grayed or clear box is no cross-to-point cutting";
}

TEST(JobAdapters, TestModeIsTheExactFirstParameter)
{
    EXPECT_TRUE(testModeFrom(CommandLine({"test"})));
    EXPECT_TRUE(testModeFrom(CommandLine({"test", "REPEAT"})));
    EXPECT_FALSE(testModeFrom(CommandLine({"TEST"})));
    EXPECT_FALSE(testModeFrom(CommandLine({"REPEAT", "test"})));
    EXPECT_FALSE(testModeFrom(CommandLine()));
}

TEST(JobAdapters, MessagesAreComposedFromTheLanguageFile)
{
    EnglishTexts texts;
    RecordingBoxes boxes;
    ScopedMessageBoxes scoped(&boxes);
    std::vector<bool> busy;
    MessageBoxPrompts prompts([&busy](bool b) { busy.push_back(b); }, nullptr);

    prompts.show({JobMessage::Kind::Error,
                  {TextPiece::text("Configuration", "CatDir.caption"), TextPiece::raw(" : "),
                   TextPiece::text("Configuration", "catdir.Item1")},
                  {TextPiece::text("Main_window", "projektPozaObszaremMaszyny"), TextPiece::raw("\r\n"),
                   TextPiece::text("Main_window", "zmienPunktStartowy")}});
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Feed direction : To the left");
    EXPECT_EQ(boxes.shown[0].text, "From this start point the project goes beyond the working area of the "
                                   "machine.\r\nChange the start point.");
    EXPECT_EQ(boxes.shown[0].kind, MessageKind::Error);
    EXPECT_EQ(busy, std::vector<bool>{false}) << "the hourglass goes before a box";

    prompts.show({JobMessage::Kind::Information, {}, {TextPiece::text("Main_window", "Q7UmiescMaterial")}});
    EXPECT_EQ(boxes.shown[1].caption, "Information") << "the default caption";
    EXPECT_EQ(boxes.shown[1].kind, MessageKind::Information);
}

TEST(JobAdapters, BrokenWireQuestionOffersOkCancelAndRetry)
{
    EnglishTexts texts;
    RecordingBoxes boxes;
    ScopedMessageBoxes scoped(&boxes);
    MessageBoxPrompts prompts(nullptr, nullptr);
    const std::pair<DlgButton, BrokenWireAnswer> cases[] = {{DlgButton::Ok, BrokenWireAnswer::Ok},
                                                            {DlgButton::Retry, BrokenWireAnswer::Retry},
                                                            {DlgButton::Cancel, BrokenWireAnswer::Cancel},
                                                            {DlgButton::None, BrokenWireAnswer::Cancel}};
    for (const auto &[button, answer] : cases) {
        boxes.answer = button;
        EXPECT_EQ(prompts.askBrokenWire(), answer);
    }
    EXPECT_EQ(boxes.asked.front(), "The wire is broken or the fuse has blown.");
    EXPECT_EQ(boxes.askedButtons, DlgButton::Ok | DlgButton::Cancel | DlgButton::Retry);
}
