#pragma once

// A recording stand-in for everything job control talks to. Every command,
// query, move, write and message lands in one trace, so a start becomes a
// list of lines that a test compares.

#include "job/jobcontrol.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace jobtest {

using Trace = std::vector<std::string>;

// "V 00 3c 00": the letter, then every further byte in hex.
std::string describeCommand(const QByteArray &command);
// The commands of a job file, one entry each (lengths by letter).
std::vector<QByteArray> splitJobCommands(const QByteArray &bytes, bool newProtocol = false);
std::string mm(double value);

} // namespace jobtest

namespace job {
// Readable failures for message comparisons.
void PrintTo(const TextPiece &piece, std::ostream *os);
} // namespace job

namespace jobtest {

class FakeMachine : public job::JobMachine
{
public:
    explicit FakeMachine(Trace &trace) : m_trace(trace) {}

    void readStatus() override;
    void readPositions() override { m_trace.push_back("ReadPositions"); }
    void readMachineInfo() override { m_trace.push_back("ReadMachineInfo"); }
    void readPowerInfo() override { m_trace.push_back("ReadPowerInfo"); }
    const job::MachineSnapshot &snapshot() const override { return state; }
    bool sendCommand(const QByteArray &command) override;
    void waitWhileBusy() override { m_trace.push_back("WaitWhileBusy"); }
    bool waitWhileBusyFor(std::int64_t limitMs) override
    {
        m_trace.push_back("WaitWhileBusy");
        lastWaitLimitMs = limitMs;
        return goesIdle;
    }
    // 60000 / speed keeps the expected bytes easy to work out by hand.
    std::uint16_t speedPeriod(double mmPerMinute) const override
    {
        return static_cast<std::uint16_t>(60000 / mmPerMinute);
    }
    void setJobOrigin(std::int32_t x, std::int32_t y) override
    {
        originX = x;
        originY = y;
    }
    void rampHeating(int channel, int percent) override;
    void toggleHeating() override { m_trace.push_back("ToggleHeating"); }
    void moveTo(double x, double y) override { m_trace.push_back("MoveTo " + mm(x) + " " + mm(y)); }
    void moveArmsTo(bool front, bool back, double x, double y) override
    {
        std::string line("MoveArms ");
        line.append(front ? "F" : "").append(back ? "B" : "").append(" ").append(mm(x)).append(" ").append(mm(y));
        m_trace.push_back(line);
    }
    void pause(int milliseconds) override { m_trace.push_back("pause " + std::to_string(milliseconds)); }

    job::MachineSnapshot state;
    // Status bytes the next reads report, one per read; the last one stays.
    std::deque<job::StatusBytes> statusScript;
    std::int32_t originX = 0;
    std::int32_t originY = 0;
    // What a bounded wait for an idle machine finds.
    bool goesIdle = true;
    std::int64_t lastWaitLimitMs = 0;

private:
    Trace &m_trace;
};

class FakePanel : public job::JobPanel
{
public:
    FakePanel(Trace &trace, FakeMachine &machine) : m_trace(trace), m_machine(machine) {}

    bool gotoPoint(bool wait, int speedMode, const job::GotoTarget &target) override;
    bool pauseJob() override
    {
        m_trace.push_back("wstrzymaj");
        return pauseSucceeds;
    }
    bool mayMove() override { return mayMoveAnswer; }
    void continueJob() override { m_trace.push_back("kontynuuj"); }
    bool keyFront() const override { return front; }
    bool keyBack() const override { return back; }
    void setKeyFront(bool ticked) override
    {
        m_trace.push_back("KeyFront " + std::to_string(ticked));
        front = ticked;
        // The two-wire machine's boxes exclude each other.
        if (ticked && exclusiveKeys)
            back = false;
    }
    void setKeyBack(bool ticked) override
    {
        m_trace.push_back("KeyBack " + std::to_string(ticked));
        back = ticked;
        if (ticked && exclusiveKeys)
            front = false;
    }
    void parkBackArm() override { m_trace.push_back("ParkBackArm"); }
    void setSerialRepetition(int count, double shift, double height, double x, std::int32_t table) override
    {
        m_trace.push_back("SerialRepetition " + std::to_string(count) + " " + mm(shift) + " " + mm(height)
                          + " " + mm(x) + " " + std::to_string(table));
    }
    std::int32_t tablePosition() const override { return table; }
    std::int32_t spindlePosition() const override { return spindle; }

    // Runs while the wire "moves" (a cable pulled and plugged back...).
    std::function<void()> onGoto;
    bool front = false;
    bool back = false;
    bool exclusiveKeys = true;
    std::int32_t table = 0;
    std::int32_t spindle = 0;
    bool pauseSucceeds = true;
    bool mayMoveAnswer = true;

private:
    Trace &m_trace;
    FakeMachine &m_machine;
};

class FakeTransmitter : public job::JobTransmitter
{
public:
    explicit FakeTransmitter(Trace &trace) : m_trace(trace) {}
    bool start(std::uint64_t connection) override
    {
        m_trace.push_back("transmitter.start");
        startedOn = connection;
        running = true;
        return true;
    }
    void stop() override
    {
        m_trace.push_back("transmitter.stop");
        running = false;
    }
    bool isRunning() const override { return running; }

    bool running = false;
    std::uint64_t startedOn = 0;

private:
    Trace &m_trace;
};

class FakeProject : public job::JobProject
{
public:
    FakeProject(Trace &trace, std::string name) : m_trace(trace), m_name(std::move(name)) {}

    QString caption() const override { return QString::fromStdString(m_name) + QStringLiteral(".plt"); }
    int passNumber() const override { return pass; }
    double passAngle() const override { return angle; }
    void setPassAngle(double degrees) override { angle = degrees; }
    std::int32_t projectWidth() const override { return width; }
    std::int32_t projectHeight() const override { return height; }
    std::int32_t crossWidth() const override { return crossMaxCorner.x - pp.x; }
    std::int32_t crossHeight() const override { return crossMaxCorner.y - pp.y; }
    job::JobPoint minCorner() const override { return pp; }
    job::JobPoint maxCorner() const override { return {pp.x + width, pp.y + height}; }
    job::JobPoint crossMax() const override { return crossMaxCorner; }
    bool tooLarge() const override { return large; }
    bool planComplete() const override { return planned; }
    int serialFeedSign() const override { return feedSign; }
    void setSerialFeedSign(int sign) override { feedSign = sign; }
    void setCutFrame(bool cut) override { cutFrame = cut; }
    bool axisHorizontal() const override { return horizontal; }
    bool cutFromBelow() const override { return below; }
    double firstEntryIntoMaterial() const override { return firstEntry; }
    int figureCount() const override { return static_cast<int>(figures.size()); }
    int rootFigure() const override { return root; }
    std::vector<job::JobPoint> figurePoints(int figure) const override { return figures.at(figure); }
    job::JobPoint referenceCorner(int) const override { return corner; }
    void setSecondPoints(int figure, const std::vector<job::JobPoint> &points) override
    {
        secondPoints[figure] = points;
    }
    int entryVertex(int) const override { return entry; }
    void setEntryVertex(int, int vertex) override { entry = vertex; }
    double pointTolerance() const override { return 4; }
    void setSingleOpenFigure(bool single) override { singleOpen = single; }
    job::StartMargins startMargins() const override { return margins; }
    void setStartMargins(const job::StartMargins &m) override { margins = m; }
    void setDirection(int direction) override
    {
        m_trace.push_back("UstawKierunek " + m_name + " " + std::to_string(direction));
    }
    job::JobWriteResult writeJob(const job::JobWriteRequest &request) override;

    const std::string &name() const { return m_name; }

    int pass = 0;
    double angle = 0;
    std::int32_t width = 4000; // 100 mm
    std::int32_t height = 2000;
    job::JobPoint pp{0, 0};
    job::JobPoint crossMaxCorner{0, 0};
    bool large = false;
    bool planned = true;
    int feedSign = 1;
    bool cutFrame = false;
    bool horizontal = true;
    bool below = false;
    double firstEntry = 0;
    // One closed square by default; the start point is its first vertex.
    std::vector<std::vector<job::JobPoint>> figures{{{0, 0}, {4000, 0}, {4000, 2000}, {0, 2000}, {0, 0}}};
    std::map<int, std::vector<job::JobPoint>> secondPoints;
    job::JobPoint corner {0, 0};
    int root = 0;
    int entry = 0;
    bool singleOpen = false;
    job::StartMargins margins;
    bool writeFails = false;
    // What each write was handed; a serial spindle pass moves the wire 5 mm on.
    std::vector<job::JobWriteRequest> requests;

private:
    Trace &m_trace;
    std::string m_name;
};

class FakeProjects : public job::JobProjects
{
public:
    explicit FakeProjects(Trace &trace) : m_trace(trace) {}
    std::vector<job::JobProject *> windows() const override;
    job::JobProject *active() const override;
    // Like an MDI frame: the window given focus moves to the front.
    void activate(job::JobProject *window) override;

    FakeProject &add(const std::string &name, int pass = 0);

    std::vector<std::unique_ptr<FakeProject>> owned;
    std::vector<FakeProject *> order; // MDI order, active first

private:
    Trace &m_trace;
};

class FakePrompts : public job::JobPrompts
{
public:
    explicit FakePrompts(Trace &trace) : m_trace(trace) {}
    void show(const job::JobMessage &message) override;
    job::BrokenWireAnswer askBrokenWire() override;
    void setBusy(bool b) override { busy = b; }
    void showPassCounter(int count) override { passCounterShown = count; }

    std::vector<job::JobMessage> messages;
    std::deque<job::BrokenWireAnswer> answers;
    bool busy = false;
    int passCounterShown = -1;

private:
    Trace &m_trace;
};

// Answers as scripted and keeps what each dialog was shown.
class FakeDialogs : public job::StartDialogs
{
public:
    explicit FakeDialogs(Trace &trace) : m_trace(trace) {}
    std::optional<job::SerialCutChoice> serialCut(const job::SerialCutContext &context) override
    {
        m_trace.push_back("dialog serial");
        serialShown.push_back(context);
        return serial;
    }
    job::IndependentStartAnswer independentStart(const job::IndependentStartContext &context) override
    {
        m_trace.push_back("dialog independent");
        independentShown.push_back(context);
        if (independent.empty())
            return {};
        const job::IndependentStartAnswer answer = independent.front();
        independent.pop_front();
        return answer;
    }
    std::optional<job::PerpendicularStart>
    perpendicularStart(const job::PerpendicularStartContext &context) override
    {
        m_trace.push_back("dialog perpendicular");
        perpendicularShown.push_back(context);
        return perpendicular;
    }

    std::optional<job::SerialCutChoice> serial;
    std::deque<job::IndependentStartAnswer> independent; // then Cancel
    std::optional<job::PerpendicularStart> perpendicular;
    std::vector<job::SerialCutContext> serialShown;
    std::vector<job::IndependentStartContext> independentShown;
    std::vector<job::PerpendicularStartContext> perpendicularShown;

private:
    Trace &m_trace;
};

// The whole rig with a job control over it; the job file lives in a
// temporary folder.
struct Rig
{
    Rig();

    job::JobControl &control();
    QString jobFile() const { return dir.filePath(QStringLiteral("out.cn")); }
    QByteArray jobFileBytes() const;
    std::vector<std::string> messageKeys() const;

    QTemporaryDir dir;
    Trace trace;
    FakeMachine machine{trace};
    FakePanel panel{trace, machine};
    FakeTransmitter transmitter{trace};
    FakeProjects projects{trace};
    FakePrompts prompts{trace};
    FakeDialogs dialogs{trace};
    job::JobSettings settings;
    bool testMode = false;
    bool repeatSwitch = false;

private:
    std::unique_ptr<job::JobControl> m_control;
};

} // namespace jobtest
