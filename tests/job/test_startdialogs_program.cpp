// The starts that ask first, end to end: the mode opens a sample, Start shows
// the real dialog, the test fills it in as an operator would, and the job
// streams to the simulated controller.

#include "app/ui/numericedit.h"
#include "drawing/jobdecoder.h"
#include "job/programrig.h"
#include "job/ui/independentstartdialog.h"
#include "job/ui/perpendicularstartdialog.h"
#include "job/ui/serialcutdialog.h"
#include "support/scopedlanguage.h"
#include "support/textfit.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace {

// Acts on the named dialog once it is the active modal window; a dialog
// still open three seconds later is closed as a failure.
class DialogDriver
{
public:
    DialogDriver(const QString &dialog, std::function<void(QDialog &)> action)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this, dialog, action] {
            auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!modal || modal->objectName().isEmpty())
                return;
            if (!done && modal->objectName() == dialog) {
                done = true;
                action(*modal);
            } else if (++m_stuck > 150) {
                ADD_FAILURE() << modal->objectName().toStdString() << " stayed open";
                modal->reject();
            }
        });
        m_timer.start(20);
    }
    bool done = false;

private:
    QTimer m_timer;
    int m_stuck = 0;
};

void type(QDialog &dialog, const char *field, const QString &text)
{
    auto *edit = dialog.findChild<NumericEdit *>(QString::fromLatin1(field));
    ASSERT_NE(edit, nullptr) << field;
    edit->setFocus();
    edit->findChild<QLineEdit *>()->selectAll();
    QTest::keyClicks(edit, text);
}

void press(QDialog &dialog, const char *button)
{
    auto *b = dialog.findChild<QPushButton *>(QString::fromLatin1(button));
    ASSERT_NE(b, nullptr) << button;
    QTest::mouseClick(b, Qt::LeftButton);
}

// The value of an axis in a decoded move line ("move x1=-20 x2=35 n=70").
std::string axis(const std::string &line, const char *name)
{
    std::string key(" ");
    key.append(name).append("=");
    const std::size_t at = line.find(key);
    if (at == std::string::npos)
        return "0";
    const std::size_t from = at + key.size();
    return line.substr(from, line.find(' ', from) - from);
}

// A controller reporting the model the command line names, with the
// shipped English texts.
struct ShippedTexts
{
    ScopedLanguage language {ShippedLanguage()};
};
class ModelRig : private ShippedTexts, public ProgramRig
{
public:
    ModelRig(const QString &machineName, const Settings &settings)
        : ProgramRig(settings, {QStringLiteral("MachineName'") + machineName + QLatin1Char('\'')}, Time::Fast,
                     product(machineName))
    {
        area.resize(1000, 700);
        area.show();
    }

private:
    static SimulatedMachineConfig product(const QString &name)
    {
        SimulatedMachineConfig config;
        config.product = name;
        return config;
    }
};

} // namespace

// Mode 4 on a "Vq" machine: root and tip profiles in one merged window, the
// two carriages on different paths.
TEST(StartDialogsProgram, IndependentWingRunsFromItsDialogToTheController)
{
    ModelRig rig(QStringLiteral("Vq1200"), QuickStart(4));
    ASSERT_TRUE(rig.openPlanned(QStringLiteral("wing.plt"), 1)) << "front and back merged into one window";
    const TProjectDocument &merged = rig.windows->windows()[0]->document();
    ASSERT_EQ(merged.Figures.size(), 2u);
    EXPECT_EQ(merged.Figures[0].points.size(), merged.Figures[1].points.size());
    EXPECT_EQ(merged.PP, (TPlotPoint {0, 0}));
    EXPECT_EQ(merged.Figures[0].pen, 4);
    EXPECT_EQ(merged.Figures[1].pen, 3);

    rig.placeWires(30000, 10000, 30000, 10000);
    DialogDriver user(QStringLiteral("fFigNaMat"), [](QDialog &d) {
        type(d, "feuSzerMat", QStringLiteral("400"));
        type(d, "feuOdlMatOdFrontu", QStringLiteral("200"));
        press(d, "btnDalej");
    });
    ASSERT_TRUE(rig.startAndStream());
    EXPECT_TRUE(user.done);
    EXPECT_TRUE(rig.boxes.shown.empty());

    const QByteArray written = rig.written();
    const DecodedJob job = DecodeJob(written.toStdString());
    ASSERT_TRUE(job.ok) << job.error;
    // The carriages follow their own paths: most moves differ front to back.
    const auto paired = std::count_if(job.lines.begin(), job.lines.end(), [](const std::string &line) {
        return line.rfind("move", 0) == 0 && axis(line, "x1") != axis(line, "x2");
    });
    EXPECT_GT(paired, 40) << Joined(job.lines);

    rig.expectTheWholeJobReceived();
    const std::vector<QByteArray> received = rig.received();
    const auto first = std::find_if(received.begin(), received.end(), IsJobCommand);
    const auto before = [&](char letter) {
        return std::any_of(received.begin(), first, [letter](const QByteArray &c) { return c[0] == letter; });
    };
    EXPECT_TRUE(before('Q') && before('C') && before('U')) << "Q, C and the job origin before the job";
}

namespace {

// The controller's commands in a readable form: moves as one line with
// their axes ("A x2=-1000 y2=24000"), every other command as its bytes.
std::vector<std::string> readable(const std::vector<QByteArray> &commands)
{
    static const char *const axes[8] = {"x1", "y1", "s", "z", "x2", "y2", "w", "t3"};
    std::vector<std::string> lines;
    std::string move;
    for (const QByteArray &c : commands) {
        if (c.size() == 6 && (c[0] == 'A' || c[0] == 'a')) {
            const auto tag = static_cast<std::uint8_t>(c[1]);
            std::int32_t value = 0;
            std::memcpy(&value, c.constData() + 2, 4);
            if (tag == 0xFF)
                move = std::string(1, c[0]);
            else if (tag < 8)
                move.append(" ").append(axes[tag]).append("=").append(std::to_string(value));
            else if (tag == 0xFE)
                lines.push_back(move);
            continue;
        }
        lines.push_back(jobtest::describeCommand(c));
    }
    return lines;
}

// How many commands the controller had when each message was shown.
class CountingBoxes : public RecordingMessageBoxes
{
public:
    std::function<std::size_t()> count;
    std::vector<std::size_t> countAtMessage;
    void show(const Message &message) override
    {
        countAtMessage.push_back(count ? count() : 0);
        RecordingMessageBoxes::show(message);
    }
};

} // namespace

// Mode 5 on a "Q7" machine: the side wire first, then the front wire, the
// material placed, then the front job.
TEST(StartDialogsProgram, PerpendicularStartPlacesBothWiresBeforeTheJob)
{
    ModelRig rig(QStringLiteral("Q7-1200"), QuickStart(5));
    CountingBoxes boxes;
    boxes.count = [&rig] { return rig.received().size(); };
    ASSERT_TRUE(rig.openPlanned(QStringLiteral("block.plt"), 2)) << "the front and its side drawing";

    rig.placeWires(50000, 50000, 10000, 5000);
    std::size_t atDialog = 0;
    DialogDriver user(QStringLiteral("fQ7StartDlg"), [&](QDialog &d) {
        atDialog = rig.received().size();
        type(d, "feuFx", QStringLiteral("300"));
        type(d, "feuFy", QStringLiteral("300"));
        type(d, "feuBx", QStringLiteral("100"));
        type(d, "feuBy", QStringLiteral("295"));
        press(d, "btnDalej");
    });
    ASSERT_TRUE(rig.startAndStream());
    EXPECT_TRUE(user.done);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              GetText(QStringLiteral("Main_window"), QStringLiteral("Q7UmiescMaterial")));

    const std::vector<QByteArray> received = rig.received();
    const std::vector<std::string> placing
        = readable({received.begin() + static_cast<std::ptrdiff_t>(atDialog),
                    received.begin() + static_cast<std::ptrdiff_t>(boxes.countAtMessage[0])});
    // The side wire (end 2) from (100, 50) to (100, 290): 10 mm below the
    // front profile's lowest point; then the front wire (end 1) from
    // (500, 500) to (300, 300).
    EXPECT_EQ(placing,
              (std::vector<std::string> {"V 00 77 01", "F 00", "S 04 05 00 00 00", "R 01 02", "A y2=24000",
                                         "S 04 00 00 00 00", "R 01 02", "A x1=-20000 y1=-20000"}));
    const std::vector<std::string> after
        = readable({received.begin() + static_cast<std::ptrdiff_t>(boxes.countAtMessage[0]), received.end()});
    // Then the front job: the writer selects the front wire, "Q", "C", the
    // job origin at the front start point (300, 300 mm), the job.
    const auto q = std::find(after.begin(), after.end(), "Q");
    ASSERT_NE(q, after.end());
    EXPECT_NE(q, after.begin());
    EXPECT_TRUE(std::all_of(after.begin(), q, [](const std::string &l) { return l == "S 04 00 00 00 00"; }));
    ASSERT_GE(after.end() - q, 4);
    EXPECT_EQ(q[1], "C");
    EXPECT_EQ(q[2], "U 30 75 00 00 30 75 00 00");
    EXPECT_TRUE(q[3][0] >= 'a' && q[3][0] <= 'z') << q[3];
}

// After the front pass the operator puts the side window in front and the
// side wire to work: the side button starts that window as it stands, where
// the menu would tick the front wire and ask for the start points again.
TEST(StartDialogsProgram, SideButtonStartsTheActiveWindowWithTheWiresAsTicked)
{
    ModelRig rig(QStringLiteral("Q7-1200"), QuickStart(5));
    ASSERT_TRUE(rig.openPlanned(QStringLiteral("block.plt"), 2));
    rig.placeWires(50000, 50000, 10000, 5000);
    job::SessionJobPanel panel(*rig.session());
    panel.setKeyFront(false);
    panel.setKeyBack(true);
    const std::vector<TMDIChild *> open = rig.windows->windows();
    TMDIChild *side
        = *std::find_if(open.begin(), open.end(), [](TMDIChild *w) { return w->document().PassNumber == 1; });
    rig.area.setActiveSubWindow(side);
    DialogDriver user(QStringLiteral("fQ7StartDlg"), [](QDialog &d) { d.reject(); });

    rig.host->start(QStringLiteral("sbStart"));
    ASSERT_TRUE(QTest::qWaitFor([&rig] { return !rig.host->busy(); }, 20000));
    EXPECT_FALSE(user.done) << "the start points were asked for again";
    EXPECT_FALSE(panel.keyFront());
    EXPECT_EQ(rig.area.currentSubWindow(), side);
    EXPECT_FALSE(rig.written().isEmpty()) << "the side job was not written";
}

// Serial cutting with angles 30, 60, 90 on the rotary table and one
// repetition 50 mm lower.
TEST(StartDialogsProgram, SerialAnglesAndRepetitionRunFromTheDialog)
{
    Settings settings = QuickStart(2);
    settings.StolikSwitch = 1;
    settings.rgKatObrotu = 1;
    settings.Xstolika = 600;
    settings.Ystolika = 300;
    ModelRig rig(QStringLiteral("bn45"), settings);
    ASSERT_TRUE(rig.openPlanned(QStringLiteral("serial/1_rib.plt"), 3)) << "the three numbered passes";

    rig.placeWires(10000, 40000, 10000, 40000);
    DialogDriver user(QStringLiteral("fDlgSeryjne"), [&](QDialog &d) {
        auto *grid = d.findChild<QTableWidget *>(QStringLiteral("sgKatyObrotu"));
        ASSERT_EQ(grid->rowCount(), 3);
        const std::map<QString, QString> angles {
            {"1_rib.plt", "30"}, {"2_rib.plt", "60"}, {"3_rib.plt", "90"}};
        for (int row = 0; row < 3; ++row)
            grid->item(row, 1)->setText(angles.at(grid->item(row, 0)->text()));
        type(d, "felloscPowtorzenSer", QStringLiteral("1"));
        type(d, "feuY_Przesuniecie", QStringLiteral("50"));
        press(d, "btnZatwierdz");
    });
    ASSERT_TRUE(rig.startAndStream());
    EXPECT_TRUE(user.done);
    EXPECT_TRUE(rig.boxes.shown.empty());

    const DecodedJob job = DecodeJob(rig.written().toStdString());
    ASSERT_TRUE(job.ok) << job.error;
    std::vector<std::string> turns;
    for (const std::string &line : job.lines) {
        if (axis(line, "s") != "0")
            turns.push_back(axis(line, "s"));
    }
    // 8000 steps per turn: 666.67, 1333.33 and 2000 steps.
    EXPECT_EQ(turns, (std::vector<std::string> {"667", "1333", "2000"})) << Joined(job.lines);

    // The repetition: working speed, the wire 50 mm down, "G".
    const auto repeated = [&] {
        const std::vector<std::string> all = readable(rig.received());
        return std::count(all.begin(), all.end(), "G") == 2;
    };
    ASSERT_TRUE(QTest::qWaitFor(repeated, 10000));
    const std::vector<std::string> all = readable(rig.received());
    const auto firstGo = std::find(all.begin(), all.end(), "G");
    const auto lastJob = std::find_if(all.rbegin(), all.rend(), [](const std::string &l) {
                             return l[0] >= 'a' && l[0] <= 'z';
                         }).base();
    ASSERT_LT(firstGo, lastJob);
    std::vector<std::string> tail(lastJob, all.end());
    ASSERT_FALSE(tail.empty());
    // The period of the working speed is the panel's to convert.
    EXPECT_EQ(tail[0].substr(0, 4), "V 01");
    tail.erase(tail.begin());
    // Back to the approach X (540 mm) from where the job ended, 50 mm below
    // the approach height, the table back at its position before the job.
    EXPECT_EQ(tail,
              (std::vector<std::string> {"F 01", "F 01", "F 01",
                                         "A x1=-36000 x2=-36000 y1=-5000 y2=-5000 s=-4000", "G"}));
}

// Profiles that do not pair: refused, the drawing's name as the caption,
// all three windows left open.
TEST(StartDialogsProgram, ProfilesWithDifferentFigureCountsAreNotMerged)
{
    ModelRig rig(QStringLiteral("Vq1200"), QuickStart(4));
    const QString drawing = rig.dir.filePath(QStringLiteral("two_front.plt"));
    WriteAll(drawing,
             "IN;SP4;PU0,0;PD4000,0,4000,4000,0,4000,0,0;PU8000,0;PD12000,0,12000,4000,8000,4000,8000,0;"
             "SP3;PU0,0;PD4000,0,4000,4000,0,4000,0,0;PU;");
    TDrawingOpener(*rig.windows).OpenFile(QString(), drawing, false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.boxes.shown.empty(); }, 10000));
    EXPECT_EQ(rig.boxes.shown[0],
              (Message {GetText(QStringLiteral("Main_window"), QStringLiteral("VqiloscFigurJednakowa")),
                        drawing, MessageKind::Information}));
    EXPECT_EQ(rig.windows->windows().size(), 3u);
}

TEST(StartDialogsProgram, SerialGridWalksDownOnEnterAndNamesABadRow)
{
    RecordingMessageBoxes boxes;
    job::SerialCutDialog dialog({{"a/1.plt", "a/2.plt", "a/3.plt"}, QStringLiteral("bn45"), 300});
    dialog.show();
    auto *grid = dialog.findChild<QTableWidget *>(QStringLiteral("sgKatyObrotu"));
    EXPECT_EQ(grid->item(2, 1)->text(), "60");
    grid->setFocus();
    grid->setCurrentCell(0, 1);
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(grid->currentRow(), 1);
    EXPECT_TRUE(dialog.isVisible()) << "Enter in the grid does not confirm";

    grid->item(1, 1)->setText(QStringLiteral("360.5"));
    grid->setCurrentCell(0, 0);
    press(dialog, "btnZatwierdz");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.endsWith(QLatin1Char('2'))) << boxes.shown[0].text.toStdString();
    EXPECT_EQ(grid->currentRow(), 1) << "the bad cell is selected";
    EXPECT_TRUE(dialog.isVisible());
}

TEST(StartDialogsProgram, EveryTextShowsWholeInEnglishAndPolish)
{
    for (const char *code : {"US", "PL"}) {
        SCOPED_TRACE(code);
        ScopedLanguage language(ShippedLanguage(QString::fromLatin1(code)));
        job::IndependentStartContext independent;
        independent.front = {{0, 0}, {4000, 0}, {4000, 2000}};
        independent.back = {{0, 0}, {3000, 0}, {3000, 1500}};
        job::PerpendicularStartContext perpendicular;
        perpendicular.limitX = perpendicular.limitY = perpendicular.limitZ = 4800;
        job::SerialCutContext serial;
        serial.captions = {QStringLiteral("/home/operator/baluster/1_baluster.plt"),
                           QStringLiteral("/home/operator/baluster/2_baluster.plt")};
        job::IndependentStartDialog first(independent);
        job::PerpendicularStartDialog second(perpendicular);
        job::SerialCutDialog third(serial);
        for (QDialog *dialog : std::initializer_list<QDialog *> {&first, &second, &third}) {
            SCOPED_TRACE(dialog->objectName().toStdString());
            dialog->show();
            const QStringList clipped = ClippedTexts(*dialog);
            EXPECT_TRUE(clipped.isEmpty()) << Listed(clipped);
        }
    }
}
