#pragma once

#include "job/jobinterfaces.h"
#include "job/startchecks.h"
#include "job/startdialogs.h"
#include "job/startstate.h"

#include "app/frameinterfaces.h"

#include <QString>

#include <functional>

class QFile;

namespace job {

// Everything a start reaches: the collaborators, the settings of the moment,
// the test switch and the job file.
struct JobEnvironment
{
    JobMachine &machine;
    JobPanel &panel;
    JobTransmitter &transmitter;
    JobProjects &projects;
    JobPrompts &prompts;
    StartDialogs &dialogs;
    std::function<JobSettings()> settings;
    // The first command-line parameter is exactly "test": the job is written,
    // nothing is asked of an absent machine.
    bool testMode = false;
    QString jobFile; // program folder + "out.cn"
    // "REPEAT": a repeated independent-profile job confirms its dialog by
    // itself.
    bool repeatSwitch = false;
    // "ChangeableTrenvaskelWidth" or "ChangeableFCWidth": the arm spacing of
    // the independent-profile start may be edited.
    bool armSpacingEditable = false;
};

// Who asked for the start: the menu and the tool-bar button tick the front
// wire first on two-wire perpendicular cutting, the others do not.
enum class StartSender { Menu, ToolBar, SideBar, MachineButton, Repeat };

// Start, Pause and Continue: takes the active project (or every pass of a
// serial cut) from the checks through job writing and the start point to
// transmission.
class JobControl
{
public:
    explicit JobControl(JobEnvironment environment);
    // The checks hold on to the start state: the object stays where it is.
    JobControl(const JobControl &) = delete;
    JobControl &operator=(const JobControl &) = delete;

    // Start command: counts from 1 again.
    bool start(StartSender sender);
    // The start sequence; the panel calls it directly to repeat a job.
    // True when the transmitter was started.
    bool startJob(StartSender sender);
    // Checks, writes and starts the job of the active project window.
    // True when the job was written and (outside serial cutting) started.
    bool tnij(int direction);

    void pause();
    void continueJob();
    void driveAwayRight();

    StartState &state() { return m_state; }
    const StartState &state() const { return m_state; }

private:
    bool serialStart(const JobSettings &settings);
    bool askSerialAngles(const JobSettings &settings, const std::vector<JobProject *> &windows);
    bool approachSerialStart(const JobSettings &settings, JobProject &active);
    bool writeSerialPasses(const JobSettings &settings);
    bool joinPass(QFile &joined);
    // Where each pass of a serial cut is written before it is joined.
    QString passFile() const;
    bool writeJob(const JobSettings &settings, JobProject &project, int direction);
    bool independentStart(const JobSettings &settings, JobProject &merged);
    IndependentStartContext independentContext(const JobSettings &settings, JobProject &merged) const;
    void moveWireEndsTo(const JobSettings &settings, double x, double y);
    bool perpendicularStart(const JobSettings &settings, JobProject &active);
    bool prepareRotary(const JobSettings &settings, JobProject &project);
    bool startTail(const JobSettings &settings, JobProject &project);
    bool flatTail(const JobSettings &settings);
    bool rotaryTail(const JobSettings &settings, JobProject &project);
    bool turningTail(const JobSettings &settings, JobProject &project);
    bool connectedOrRefuse();
    void sendTravelSpeed(const JobSettings &settings);
    // "Q", a wait until the machine is at rest, "C": whatever job the
    // controller still holds, running or paused, makes way for the new one.
    // Refuses with a message when the machine stays busy.
    bool dropControllerJob(bool settle);
    bool gotoXY(int speedMode, double x, double y, std::int32_t s, std::int32_t w);
    bool startTransmitter();
    bool refuse(const QString &section, const QString &key);
    double scaled(std::int32_t units) const;

    JobEnvironment m_env;
    StartState m_state;
    StartChecks m_checks;
    double m_scale = 100.0;
};

// The transmitter as the main window's close guard sees it: running from the
// transmitter itself, paused from Pause and Continue.
class JobCloseGuard : public ITransmitter
{
public:
    JobCloseGuard(JobTransmitter &transmitter, const StartState &state)
        : m_transmitter(transmitter)
        , m_state(state)
    {
    }
    bool running() const override { return m_transmitter.isRunning(); }
    bool paused() const override { return m_state.jobPaused; }
    void stop() override { m_transmitter.stop(); }

private:
    JobTransmitter &m_transmitter;
    const StartState &m_state;
};

} // namespace job
