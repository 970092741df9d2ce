// The job writer's bytes: opening, closing, moves with and without corner
// pauses, pauses, rotations, holds, cross-point plunges, retreat and parking.

#include "drawing/jobbytes.h"
#include "drawing/jobtestsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <limits>

namespace {

std::string Hex(const std::string &bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty())
            out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

TEST(JobWriter, FlatJobOpensWithSpeedsHeatingAndHeatUpPause)
{
    WriterHarness h;
    h.begin(TJobType::Flat);
    h.writer->EndJob();
    // v 0 and v 1: 1000 mm/min x wspV 2 is period 375 (0x0177); power 1.0 A
    // is 10; four chunks of 250 make the 1000 ms heat-up pause.
    EXPECT_EQ(Hex(h.bytes),
              "76 00 77 01 76 01 77 01 74 01 0A 72 01 01 70 01 66 01 "
              "70 FA 70 FA 70 FA 70 FA 70 01 72 00 02");
    EXPECT_EQ(h.effects.events, std::vector<std::string> {"arm 0"});
    EXPECT_TRUE(h.carry.HeatUpPending);
}

TEST(JobWriter, OpeningAndClosingPerJobType)
{
    struct Case
    {
        int type;
        int powerOutput;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {TJobType::Flat, 1,
         Lines({"v 0 375", "v 1 375", "t 3 10", "r 1 3", "p 1", "f 1", "p 250", "p 250", "p 250", "p 250",
                "p 1", "r 0 2"})},
        {TJobType::TurningSpindle, 0, Lines({"v 0 375", "v 1 375", "t 3 10", "r 1 3", "p 1", "r 0 2"})},
        {TJobType::TurningTable, 0, Lines({"v 0 375", "v 1 375", "t 3 10", "r 1 3", "p 1", "r 0 2"})},
        {TJobType::RotarySpindle, 0, Lines({"v 0 375", "v 1 375", "t 1 10", "r 1 1", "p 1", "r 0 2"})},
        {TJobType::RotaryTable, 0, Lines({"v 0 375", "v 1 375", "t 1 10", "r 1 1", "p 1", "r 0 2"})},
        {TJobType::SerialTable, 0, Lines({"v 0 375", "v 1 375", "t 1 10", "r 1 1", "f 1", "p 1", "r 0 2"})},
        {TJobType::PlainText, 0, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        WriterHarness h;
        h.settings.PowerOutput = c.powerOutput;
        h.begin(c.type);
        EXPECT_EQ(h.end(), c.lines);
        EXPECT_EQ(h.carry.HeatUpPending, c.type != TJobType::PlainText);
    }
}

TEST(JobWriter, StartPositionsPerJobType)
{
    struct Case
    {
        int type;
        JobPositions position;
        JobPositions history; // the corner history starts before the start edges are set
    };
    const std::vector<Case> cases = {
        {TJobType::TurningSpindle, {1250, 76000, 0, 0, 1250, 76000, 0, 0}, {1250, 0, 0, 0, 1250, 0, 0, 0}},
        {TJobType::TurningTable, {90000, 1250, 0, 0, 90000, 1250, 0, 0}, {0, 1250, 0, 0, 0, 1250, 0, 0}},
        {TJobType::RotarySpindle, {0, 76000, 0, 0, 0, 76000, 0, 0}, {}},
        {TJobType::RotaryTable, {90000, 76000, 0, 0, 90000, 76000, 0, 0}, {}},
        {TJobType::Flat, {}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        WriterHarness h;
        h.start.StartEdgeX = 900;
        h.start.StartEdgeY = 760;
        h.start.firstEntryMm = 12.5;
        h.begin(c.type);
        EXPECT_EQ(h.writer->JobPosition(), c.position);
        for (const JobPositions &p : h.carry.LastPositions)
            EXPECT_EQ(p, c.history);
    }
}

TEST(JobWriter, FlatJobWithoutHeatUpTimeEndsItsOpeningWithPauseZero)
{
    WriterHarness h;
    h.settings.CzasRozgrzewania = 0;
    h.begin(TJobType::Flat);
    const auto lines = h.end();
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(lines[6], "p 0");
}

TEST(JobWriter, MoveRecordsOfBothArmsAndOneArm)
{
    WriterHarness h;
    TJobWriter &w = h.begin();
    w.MoveArmsScaled(400, 0, true, true);
    w.MoveArmsScaled(400, 400, true, true); // a right angle: corner pause
    w.MoveArmsScaled(400, 800, true, true); // straight on: none
    w.MoveArmsScaled(400, 800, true, true); // to where it is: a zero move, no pause
    w.MoveArmsScaled(0, 800, true, false); // front only: the back end goes to 0
    w.MoveArmsScaled(100, 100, false, false); // neither arm: nothing
    w.MoveArmsScaled(40, 0, false, true); // back only: the front end goes to 0
    EXPECT_EQ(h.end(),
              Lines({"move x1=1000 x2=1000 n=2000", "move y1=1000 y2=1000 n=2000", "p 200",
                     "move y1=1000 y2=1000 n=2000", "move n=2", "move x1=-1000 x2=-1000 y2=-2000 n=4472",
                     "move x2=100 y1=-2000 n=4000", "p 200"}));
    EXPECT_EQ(Hex(h.bytes.substr(0, 24)),
              "61 FF 00 00 00 00 61 00 E8 03 00 00 61 04 E8 03 00 00 61 FE D0 07 00 00");
}

TEST(JobWriter, CornerPauseAtTheLimitOfTheCornerTest)
{
    // Coming in along +x, leaving towards (87, dy): the corner value is
    // 0.8713 for dy 49 (no pause) and 0.8670 for dy 50 (a pause).
    for (const auto &[dy, paused] : std::vector<std::pair<double, bool>> {{0.49, false}, {0.50, true}}) {
        SCOPED_TRACE(dy);
        WriterHarness h;
        TJobWriter &w = h.begin();
        EXPECT_EQ(w.EmitMove(1, 1, 0, 0, 0, 0, 0, 0).size(), 24u);
        const std::string move = w.EmitMove(1.87, 1.87, dy, dy, 0, 0, 0, 0);
        EXPECT_EQ(move.size(), paused ? 38u : 36u);
        if (paused) {
            EXPECT_EQ(Hex(move.substr(36)), "70 C8");
        }
    }
}

TEST(JobWriter, CornerValueTakesTheSharperOfTheTwoWireEnds)
{
    const JobPositions a {0, 0, 0, 0, 0, 0, 0, 0};
    const JobPositions b {100, 0, 0, 0, 100, 0, 0, 0};
    const JobPositions straight {200, 0, 0, 0, 200, 0, 0, 0};
    const JobPositions backTurns {200, 0, 0, 0, 100, 100, 0, 0};
    const JobPositions reversal {0, 0, 0, 0, 200, 0, 0, 0};
    EXPECT_DOUBLE_EQ(CornerValue(a, b, straight), 1.0);
    EXPECT_DOUBLE_EQ(CornerValue(a, b, backTurns), 0.0);
    EXPECT_DOUBLE_EQ(CornerValue(a, b, reversal), -1.0);
    EXPECT_DOUBLE_EQ(CornerValue(a, a, b), 1.0);
}

TEST(JobWriter, PausesAreSplitIntoChunksOf250)
{
    struct Case
    {
        long long n;
        std::vector<std::string> lines;
    };
    // A negative pause used to wrap to a byte; it is a pause of 0 now.
    const std::vector<Case> cases = {{600, Lines({"p 250", "p 250", "p 100"})},
                                     {250, Lines({"p 250"})},
                                     {251, Lines({"p 250", "p 1"})},
                                     {0, Lines({"p 0"})},
                                     {-40, Lines({"p 0"})}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.n);
        WriterHarness h;
        h.begin().WritePause(c.n);
        EXPECT_EQ(h.end(), c.lines);
    }
}

TEST(JobWriter, CornerPauseFollowsThePauseSetting)
{
    for (const auto &[pause, tail] : std::vector<std::pair<double, std::vector<std::string>>> {
             {600, Lines({"p 250", "p 250", "p 100"})}, {0, Lines({"p 0"})}}) {
        SCOPED_TRACE(pause);
        WriterHarness h;
        h.settings.Pauza_w_kacie = pause;
        TJobWriter &w = h.begin();
        w.MoveArmsScaled(400, 0, true, true);
        w.MoveArmsScaled(0, 0, true, true); // a full reversal
        auto lines = h.end();
        ASSERT_EQ(lines.size(), 2 + tail.size());
        EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.end()), tail);
    }
}

TEST(JobWriter, RotationsKeepTheLinearAxes)
{
    WriterHarness h;
    TJobWriter &w = h.begin();
    w.MoveArmsScaled(400, 400, true, true);
    w.RotateTo(0.5, 0);
    w.RotateTo(0, -0.25);
    w.RotateTo(0, 0);
    // Turning the table after a linear move is a corner of the front end's
    // path (X1, Y1 and the table): it gets the pause.
    EXPECT_EQ(h.end(),
              Lines({"move x1=1000 x2=1000 y1=1000 y2=1000 n=2828", "move s=4000 n=8000", "p 200",
                     "move w=-2000 n=4000", "move n=2"}));
    EXPECT_EQ(w.JobPosition(), (JobPositions {1000, 1000, 0, 4000, 1000, 1000, 0, -2000}));
}

TEST(JobWriter, HeavyMaterialRotationAndSpindleRotaryModel)
{
    WriterHarness h;
    h.settings.Heavy = CheckState::Checked;
    h.machine.spindleRotaryModel = true;
    TJobWriter &w = h.begin();
    w.RotateTo(0.5, 0); // the table turn drives the spindle, by the table's resolution
    w.RotateTo(0, 0); // no turn: no heavy-material setting
    EXPECT_EQ(h.end(), Lines({"p 1", "s 2 1", "move w=4000 n=8000", "move n=2"}));
    EXPECT_EQ(w.JobPosition()[3], 4000);
    EXPECT_EQ(w.JobPosition()[7], 4000);
}

TEST(JobWriter, HoldAfterALayerOnlyWhenChecked)
{
    for (const bool hold : {false, true}) {
        SCOPED_TRACE(hold);
        WriterHarness h;
        h.settings.Wstrzymaj = hold ? CheckState::Checked : CheckState::Unchecked;
        h.begin().WriteHoldCommands();
        EXPECT_EQ(h.end(), hold ? Lines({"p 1", "r 0 2", "p 1", "s 3 0"}) : std::vector<std::string> {});
        EXPECT_EQ(h.carry.HeatUpPending, hold);
    }
}

TEST(JobWriter, CrossPointPlunge)
{
    WriterHarness h;
    TJobWriter &w = h.begin();
    const tfigura cross = FigureOf({{1400, 2800}, {1400, 2800}});
    w.WriteCrossPoint(cross, {1000, 2000}, 12, 730);
    // 380 degrees of the spindle are 8444 of 8000 steps per turn.
    EXPECT_EQ(h.end(),
              Lines({"f 0",
                     "move x1=1000 x2=1000 y1=2000 y2=2000 n=4472",
                     "p 1",
                     "f 0",
                     "p 1",
                     "move z=1200 n=2400",
                     "p 1",
                     "f 1",
                     "p 1",
                     "move z=73000 n=146000",
                     "p 1",
                     "v 1 375",
                     "p 1",
                     "f 1",
                     "p 1",
                     "move w=8444 n=16888",
                     "p 1",
                     "f 0",
                     "p 1",
                     "p 1",
                     "move z=-74200 n=148400",
                     "p 1"}));
}

TEST(JobWriter, RetreatToTheSafeZoneAfterDrilling)
{
    WriterHarness h;
    h.settings.cbKrzyzToPunkt = CheckState::Checked;
    h.settings.cbAutomOdjazdDoBezpStrefy = CheckState::Checked;
    h.begin(TJobType::Flat);
    auto lines = h.end();
    ASSERT_GE(lines.size(), 10u);
    // limitX 4800 - stop 51 mm and limitY 2400 - 0 mm.
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 10, lines.end()),
              Lines({"p 1", "r 0 2", "p 1", "f 0", "p 1", "p 1", "move n=2", "p 1", "p 1",
                     "move x1=474900 x2=474900 y1=240000 y2=240000 n=1064200"}));
    EXPECT_EQ(h.effects.events, (std::vector<std::string> {"arm 0", "status"}));
}

TEST(JobWriter, TwoArmParkingAfterTheFront)
{
    WriterHarness h;
    h.machine.familyCode = QStringLiteral("Q7");
    h.machine.X1 = 10000;
    h.machine.Y1 = 5000;
    h.machine.Y2 = -500;
    h.settings.MoveAfter = CheckState::Checked;
    h.settings.CzasRozgrzewania = 0;
    h.start.FrontStartX = 30;
    h.start.FrontStartY = 40;
    TJobWriter &w = h.begin(TJobType::Flat);
    w.FrontArm = true;
    w.BackArm = false;
    auto lines = h.end();
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(
        std::vector<std::string>(lines.begin() + 7, lines.end()),
        Lines({"p 1", "f 1", "move x1=-10000 n=20000", "p 1", "f 0", "move y1=235000 n=470000", "p 200",
               "p 1", "s 4 5", "move y2=1000 n=2000", "p 1", "f 1", "move y2=3500 n=7000", "p 1", "r 0 2"}));
    EXPECT_EQ(h.effects.events, (std::vector<std::string> {"arm 0", "panel"}));
}

TEST(JobWriter, BackArmParkingAndNoParkingInPerpendicularMode)
{
    for (const int mode : {0, 5}) {
        SCOPED_TRACE(mode);
        WriterHarness h;
        h.machine.familyCode = QStringLiteral("Q7");
        h.machine.X1 = 10000;
        h.machine.Y1 = 5000;
        h.settings.Mode = mode;
        h.settings.MoveAfter = CheckState::Checked;
        h.settings.CzasRozgrzewania = 0;
        h.start.KeyFront = false;
        h.start.FrontStartX = 30;
        h.start.FrontStartY = 40;
        TJobWriter &w = h.begin(TJobType::Flat);
        w.FrontArm = false;
        w.BackArm = true;
        auto lines = h.end();
        const std::vector<std::string> closing(lines.begin() + 7, lines.end());
        if (mode == 5) {
            EXPECT_EQ(closing, Lines({"p 1", "r 0 2"}));
            continue;
        }
        EXPECT_EQ(closing,
                  Lines({"p 1", "f 1", "move y2=-1000 n=2000", "s 4 0", "p 1", "f 0", "move y1=-1000 n=2000",
                         "p 1", "f 1", "move x1=-7000 n=14000", "p 200", "p 1", "r 0 2"}));
        EXPECT_EQ(h.effects.events, (std::vector<std::string> {"arm 5", "panel"}));
    }
}

TEST(JobWriter, ArmSelectionSentAtTheStart)
{
    struct Case
    {
        const char *family;
        bool keyFront;
        int powerOutput;
        const char *event;
    };
    const std::vector<Case> cases = {{"Q7", true, 1, "arm 0"},
                                     {"Q7", false, 1, "arm 5"},
                                     {"Vq", false, 1, "arm 1"},
                                     {"Vq", true, 0, "arm 0"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.family) + (c.keyFront ? " front" : " back"));
        WriterHarness h;
        h.machine.familyCode = QString::fromLatin1(c.family);
        h.start.KeyFront = c.keyFront;
        h.settings.PowerOutput = c.powerOutput;
        h.begin(TJobType::RotarySpindle);
        EXPECT_EQ(h.effects.events, std::vector<std::string> {c.event});
    }
}

TEST(JobWriter, HeatingPowerInBothProtocols)
{
    struct Case
    {
        bool newProtocol;
        bool lj;
        int powerFactor;
        double power;
        const char *line;
        std::size_t bytes;
    };
    const std::vector<Case> cases = {
        {false, false, 1, 1.0, "t 1 10", 3},
        {false, false, 1, 2.55, "t 1 26", 3}, // 25.5 rounds to the even 26
        {false, false, 1, 30.0, "t 1 255", 3}, // 300 used to wrap to 44; clamped to the byte
        {false, true, 1, 50.0, "t 1 128", 3}, // percent: 127.5 rounds to the even 128
        {true, false, 100, 1.0, "t 1 1000", 6},
        {true, false, 100, 30.0, "t 1 30000", 6},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        WriterHarness h;
        h.machine.newProtocol = c.newProtocol;
        h.machine.LJ = c.lj;
        h.machine.PowerFactor = c.powerFactor;
        h.settings.work_power = c.power;
        h.begin(TJobType::RotarySpindle);
        const auto lines = h.end();
        ASSERT_EQ(lines.size(), 6u);
        EXPECT_EQ(lines[2], c.line);
        // Two speeds, the power, heating on; heating off at the end.
        EXPECT_EQ(h.bytes.size(), 4 + 4 + c.bytes + 3 + 2 + 3);
    }
}

TEST(JobWriter, RotaryExitAndPositionSetting)
{
    WriterHarness h;
    h.start.StartEdgeY = 760;
    TJobWriter &w = h.begin();
    w.SetPosition(400, 800, 3000);
    EXPECT_EQ(w.JobPosition(), (JobPositions {1000, 2000, 0, 3000, 1000, 2000, 0, 3000}));
    EXPECT_TRUE(h.bytes.empty());
    w.WriteRotaryExit();
    EXPECT_EQ(h.end(), Lines({"p 200", "move y1=74000 y2=74000 n=148000", "p 1", "f 0"}));
}

TEST(JobWriter, WireEndsScaledSeparately)
{
    WriterHarness h;
    h.settings.skala = 50;
    h.begin().MoveWireEndsScaled(400, 800, 41, -40);
    // Half of 41 units is 20.5, which rounds to the even 20: 0.5 mm.
    EXPECT_EQ(h.end(), Lines({"move x1=500 x2=1000 y1=50 y2=-50 n=2002"}));
}

TEST(JobWriter, SerialTableCutOffAfterTheLastPass)
{
    for (const int pass : {2, 3}) {
        SCOPED_TRACE(pass);
        WriterHarness h;
        h.start.CutOffAtEnd = true;
        h.start.PassNumber = pass;
        h.start.windowCount = 3;
        h.start.ProjectWidth = 8000; // 200 mm: h = 100 mm, d = max(250, 100) + 100
        h.begin(TJobType::SerialTable);
        auto lines = h.end();
        const std::vector<std::string> closing(lines.begin() + 5, lines.end());
        const std::vector<std::string> expected = pass == 3
            ? Lines({"move x1=-35000 x2=-35000 n=70000", "p 1", "r 0 2"})
            : Lines({"p 1", "r 0 2"});
        EXPECT_EQ(closing, expected);
    }
}

TEST(JobWriter, JobFileWrittenWholeThroughTheProgramFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("out.cn"));
    WriterHarness h;
    h.start.jobType = TJobType::Flat;
    TJobWriter writer(h.settings, h.machine, h.start, &h.effects, &h.carry);
    ASSERT_TRUE(writer.BeginJob(path));
    writer.MoveArmsScaled(400, 0, true, true);
    EXPECT_FALSE(QFile::exists(path)) << "the job appears only when it is complete";
    EXPECT_TRUE(writer.EndJob().ok);
    const DecodedJob job = DecodeJobFile(path.toStdString());
    EXPECT_TRUE(job.ok) << job.error;
    EXPECT_EQ(job.moves, 1u);
    EXPECT_EQ(job.totals[0], 1000);
}

TEST(JobWriter, FailedWritesAreReportedAndLeaveNoJob)
{
    // The target folder cannot exist: its parent is a plain file.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile blocker(dir.filePath(QStringLiteral("folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString path = dir.filePath(QStringLiteral("folder/out.cn"));
    WriterHarness h;
    h.start.jobType = TJobType::Flat;
    TJobWriter writer(h.settings, h.machine, h.start, &h.effects, &h.carry);
    EXPECT_FALSE(writer.BeginJob(path));
    writer.MoveArmsScaled(400, 0, true, true);
    const JobWriteStatus status = writer.EndJob();
    EXPECT_FALSE(status.ok);
    EXPECT_STREQ(status.section, "Universal");
    EXPECT_STREQ(status.key, "zbioruNieMoznaZapisac");
    EXPECT_FALSE(QFile::exists(path));
}

// An output that refuses writes after a number of bytes (a full disk).
class FullDiskOutput : public JobOutput
{
public:
    FullDiskOutput(std::size_t room, bool &committed, bool &discarded)
        : m_room(room)
        , m_committed(committed)
        , m_discarded(discarded)
    { }
    bool open() override { return true; }
    bool write(std::string_view bytes) override
    {
        if (bytes.size() > m_room)
            return false;
        m_room -= bytes.size();
        return true;
    }
    bool commit() override
    {
        m_committed = true;
        return true;
    }
    void discard() override { m_discarded = true; }

private:
    std::size_t m_room;
    bool &m_committed;
    bool &m_discarded;
};

TEST(JobWriter, AFullDiskMidJobIsAFailureAndNothingIsCommitted)
{
    bool committed = false;
    bool discarded = false;
    WriterHarness h;
    h.start.jobType = TJobType::Flat;
    TJobWriter writer(h.settings, h.machine, h.start, &h.effects, &h.carry);
    ASSERT_TRUE(writer.BeginJob(std::make_unique<FullDiskOutput>(1000, committed, discarded)));
    for (int i = 0; i < 40000; ++i) // more than one buffer's worth
        writer.MoveArmsScaled((i % 2) * 400, i, true, true);
    EXPECT_TRUE(writer.failed());
    EXPECT_FALSE(writer.EndJob().ok);
    EXPECT_FALSE(committed);
    EXPECT_TRUE(discarded);
}

} // namespace

namespace {

TEST(JobWriterRounding, NearestWithHalvesToEvenAcrossTheRange)
{
    struct Case
    {
        long double value;
        std::int64_t rounded;
    };
    const std::vector<Case> cases = {
        {0.5L, 0},
        {1.5L, 2},
        {2.5L, 2},
        {-0.5L, 0},
        {-1.5L, -2},
        {-2.5L, -2},
        {2.4999999L, 2},
        {-7.75L, -8},
        {1e15L + 0.5L, 1000000000000000},
        {0x1p62L + 1.0L, 4611686018427387905}, // past the fast path
        {-0x1p62L - 3.0L, -4611686018427387907},
        {1e30L, std::numeric_limits<std::int64_t>::max()},
        {std::numeric_limits<long double>::quiet_NaN(), 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(static_cast<double>(c.value));
        EXPECT_EQ(RoundToInt64(c.value), c.rounded);
        if (std::isfinite(c.value) && c.value > -1e18L && c.value < 1e18L) {
            EXPECT_EQ(RoundToInt64(c.value), static_cast<std::int64_t>(std::nearbyint(c.value)));
        }
    }
    EXPECT_EQ(RoundToInt32(5e9L), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(RoundToInt32(-5e9L), std::numeric_limits<std::int32_t>::min());
}

TEST(JobWriterRounding, FastCornerTestAgreesWithTheCornerValue)
{
    // Seeded random triples of positions, small and large steps.
    std::uint64_t seed = 12345;
    auto next = [&seed](std::int32_t range) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::int32_t>(
            static_cast<std::int64_t>(seed >> 33) % (2 * std::int64_t {range} + 1) - range);
    };
    for (int i = 0; i < 20000; ++i) {
        const std::int32_t range = i % 2 ? 100 : 2000000000;
        JobPositions a {}, b {}, c {};
        for (int axis : {0, 1, 3, 4, 5, 7}) {
            a[axis] = next(range);
            b[axis] = i % 7 == 0 ? a[axis] : next(range);
            c[axis] = next(range);
        }
        ASSERT_EQ(IsCorner(a, b, c), CornerValue(a, b, c) <= 0.87) << i;
    }
}

} // namespace
