#include "job/ui/jobcontrolhost.h"

#include "app/commandline.h"
#include "app/definicje.h"
#include "app/language.h"
#include "app/programfolders.h"
#include "app/settings.h"
#include "job/jobadapters.h"
#include "job/jobcommands.h"
#include "job/threadhop.h"
#include "job/ui/widgetstartdialogs.h"
#include "machine/ui/machinehost.h"
#include "project/direction.h"
#include "project/jobdrivers.h"
#include "project/projectdocument.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QLabel>
#include <QMdiArea>
#include <QVBoxLayout>

namespace job {
namespace {

// The hourglass is shown once however often a start asks for it.
class BusyCursor
{
public:
    void set(bool busy)
    {
        if (busy == m_busy)
            return;
        m_busy = busy;
        if (busy)
            QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        else
            QApplication::restoreOverrideCursor();
    }

private:
    bool m_busy = false;
};

// The transmitter of the machine host: it starts and stops on the session's
// thread and tells the host when the job has gone out.
class HostTransmitter : public JobTransmitter
{
public:
    HostTransmitter(TMachineHost &host, QString jobFile, GuiGate &gui)
        : m_host(host)
        , m_jobFile(std::move(jobFile))
        , m_gui(gui)
    {
    }
    bool start(std::uint64_t connection) override
    {
        return m_gui.call([this, connection] {
            m_host.startTransmission(m_jobFile, connection);
            return true;
        });
    }
    void stop() override
    {
        m_gui.call([this] { m_host.stop(); });
    }
    bool isRunning() const override
    {
        return m_gui.call([this] { return m_host.running(); });
    }

private:
    TMachineHost &m_host;
    QString m_jobFile;
    GuiGate &m_gui;
};

JobMachineParams machineParams(MachineSession &session)
{
    return callOn(&session, [&session] {
        JobMachineParams p;
        const Ploter *ploter = session.ploter();
        if (!ploter)
            return p;
        const MachineState &s = ploter->state();
        p.wspV = s.wspV;
        p.resX = s.resX;
        p.resY = s.resY;
        p.resZ = s.resZ;
        p.resS = s.resS;
        p.resW = s.resW;
        p.res3 = s.res3;
        p.limitX = s.limitX;
        p.limitY = s.limitY;
        p.PowerFactor = s.powerFactor;
        p.MaxWorkSpeed = s.maxWorkSpeed;
        p.newProtocol = s.isNewProtocol();
        p.LJ = s.lj;
        p.spindleRotaryModel = ploter->IsSpindleRotaryModel();
        p.familyCode = s.plot.family;
        p.X1 = s.plot.X1;
        p.Y1 = s.plot.Y1;
        p.Y2 = s.plot.Y2;
        return p;
    });
}

} // namespace

JobBusyDialog::JobBusyDialog(QWidget *parent, const QString &text)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("JobBusyDialog"));
    setWindowModality(Qt::ApplicationModal);
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(text, this);
    label->setObjectName(QStringLiteral("busyText"));
    layout->addWidget(label);
}

JobControlHost::JobControlHost(QMdiArea &area, TMachineHost &machine, JobControlHooks hooks, QObject *parent)
    : QObject(parent)
    , m_host(machine)
    , m_hooks(std::move(hooks))
{
    MachineSession &session = *machine.session();
    const QString jobFile = ProgramFolders::current().writablePath(QStringLiteral("out.cn"));
    m_machine = std::make_unique<SessionJobMachine>(session);
    m_panel = std::make_unique<SessionJobPanel>(session);
    // The machine host is a GUI-thread object: the transmitter is started
    // there, whichever thread runs the start.
    m_gui = std::make_unique<GuiGate>(this);
    m_transmitter = std::make_unique<HostTransmitter>(machine, jobFile, *m_gui);
    m_effects = std::make_unique<MachineLiveEffects>(*m_machine, [&machine] { machine.showPanel(); });
    m_projects = std::make_unique<MdiJobProjects>(
        area, driverWriter([this] { return writerContext(); }),
        [](TProjectDocument &document, int direction) { UstawKierunek(document.Figures, direction); });
    auto cursor = std::make_shared<BusyCursor>();
    m_prompts = std::make_unique<MessageBoxPrompts>([cursor](bool busy) { cursor->set(busy); },
                                                    [this](int count) {
                                                        if (m_hooks.statusText)
                                                            m_hooks.statusText(1, QString::number(count));
                                                    });
    m_guiProjects = std::make_unique<HoppingJobProjects>(*m_projects, *m_gui);
    m_guiPrompts = std::make_unique<HoppingJobPrompts>(*m_prompts, *m_gui);
    m_dialogParent = area.window();
    m_dialogs = std::make_unique<WidgetStartDialogs>(*m_gui, area.window());
    const CommandLine &commandLine = CommandLine::current();
    m_control = std::make_unique<JobControl>(JobEnvironment{
        *m_machine, *m_panel, *m_transmitter, *m_guiProjects, *m_guiPrompts, *m_dialogs,
        [this] { return m_gui->call([] { return jobSettingsFrom(Settings::current()); }); },
        testModeFrom(commandLine), jobFile, commandLine.ParamPresent(QStringLiteral("REPEAT")),
        commandLine.ParamPresent(QStringLiteral("ChangeableTrenvaskelWidth"))
            || commandLine.ParamPresent(QStringLiteral("ChangeableFCWidth"))});
    m_guard = std::make_unique<JobCloseGuard>(*m_transmitter, m_control->state());

    // The machine's own buttons and the "REPEAT" restart reach job control
    // on the GUI thread.
    connect(&session, &MachineSession::startRequested, this, [this] { startFromMachine(StartSender::MachineButton); });
    connect(&session, &MachineSession::pauseRequested, this, [this] { pause(); });
    connect(&session, &MachineSession::continueRequested, this, [this] { continueJob(); });
    connect(&session, &MachineSession::restartRequested, this, [this] {
        whenIdle([this] {
            runOnWorker(
                QStringLiteral("startTrwa"), [this] { m_control->startJob(StartSender::Repeat); },
                [this] { rememberNextPass(); });
        });
    });
    connect(&session, &MachineSession::refreshMenusRequested, this, [this] {
        if (m_hooks.refreshMenus)
            m_hooks.refreshMenus();
    });
    connect(&session, &MachineSession::nextPassRequested, this, [this] {
        whenIdle([this] {
            const std::vector<JobProject *> windows = m_projects->windows();
            if (windows.size() < 2)
                return;
            m_projects->activate(windows[1]);
            startFromMachine(StartSender::MachineButton);
        });
    });

    m_session = &session;
    callOn(&session, [this, &session] {
        session.setNextPassProvider([this] {
            std::lock_guard<std::mutex> lock(m_nextPassMutex);
            return m_nextPass;
        });
    });
}

JobControlHost::~JobControlHost()
{
    // The modal dialog keeps the operator from closing the main window while
    // the worker runs, but a program that ends anyway must not wait on a
    // worker that waits on this thread: closed, the gate answers the
    // worker's remaining GUI calls with empty results.
    m_gui->close();
    if (m_worker.joinable())
        m_worker.join();
    delete m_busyDialog.data();
    if (MachineSession *session = m_session.data())
        callOn(session, [session] { session->setNextPassProvider({}); });
}

void JobControlHost::rememberNextPass()
{
    std::optional<PanelJobControl::NextPass> next;
    const std::vector<JobProject *> windows = m_projects->windows();
    if (windows.size() >= 2) {
        const StartState &state = m_control->state();
        next = PanelJobControl::NextPass{state.sideStartX, state.sideStartY,
                                         scaledMm(windows[1]->startMargins().top, Settings::current().skala)};
    }
    std::lock_guard<std::mutex> lock(m_nextPassMutex);
    m_nextPass = next;
}

JobContext JobControlHost::writerContext()
{
    JobContext context;
    context.settings = Settings::current();
    context.machine = machineParams(*m_host.session());
    context.start.CutOffAtEnd = Globals().CutOffAtEnd;
    context.start.KeyFront = m_panel->keyFront();
    context.start.KeyBack = m_panel->keyBack();
    context.effects = m_effects.get();
    context.carry = &m_carry;
    return context;
}

void JobControlHost::whenIdle(std::function<void()> f)
{
    if (m_running)
        m_pending.push_back(std::move(f));
    else
        f();
}

void JobControlHost::runOnWorker(const QString &textKey, std::function<void()> work,
                                 std::function<void()> after)
{
    m_running = true;
    m_busyDialog = new JobBusyDialog(m_dialogParent.data(), GetText(QStringLiteral("Main_window"), textKey));
    m_busyDialog->show();
    m_worker = std::thread([this, work = std::move(work), after = std::move(after)] {
        work();
        QMetaObject::invokeMethod(this, [this, after] { workerDone(after); }, Qt::QueuedConnection);
    });
}

void JobControlHost::workerDone(const std::function<void()> &after)
{
    m_worker.join();
    delete m_busyDialog.data();
    m_running = false;
    if (after)
        after();
    while (!m_running && !m_pending.empty()) {
        std::function<void()> next = std::move(m_pending.front());
        m_pending.pop_front();
        next();
    }
    if (!m_running)
        emit idle();
}

void JobControlHost::start(const QString &sender)
{
    // Only the menu and the top tool bar put the front wire first on a
    // two-wire perpendicular cut; the side button starts whichever window
    // is active, as the machine's own button does.
    if (sender == QLatin1String("SpeedStart"))
        startFromMachine(StartSender::ToolBar);
    else if (sender == QLatin1String("sbStart"))
        startFromMachine(StartSender::SideBar);
    else
        startFromMachine(StartSender::Menu);
}

void JobControlHost::startFromMachine(StartSender sender)
{
    whenIdle([this, sender] {
        runOnWorker(
            QStringLiteral("startTrwa"), [this, sender] { m_control->start(sender); },
            [this] { rememberNextPass(); });
    });
}

void JobControlHost::pause()
{
    whenIdle([this] {
        runOnWorker(
            QStringLiteral("wstrzymywanieTrwa"), [this] { m_control->pause(); },
            [this] {
                // The job stays paused until Continue, and the status says so.
                if (m_control->state().jobPaused && m_hooks.statusText)
                    m_hooks.statusText(0,
                                       GetText(QStringLiteral("Transmission"), QStringLiteral("wstrzymano")));
            });
    });
}

void JobControlHost::continueJob()
{
    whenIdle([this] {
        runOnWorker(
            QStringLiteral("kontynuacjaTrwa"), [this] { m_control->continueJob(); },
            [this] {
                // A job whose whole file had gone out before the pause gets
                // no more transmission texts to replace the pause's.
                if (!m_control->state().jobPaused && !m_host.running() && m_hooks.statusText)
                    m_hooks.statusText(
                        0, GetText(QStringLiteral("Transmission"), QStringLiteral("koniecTransmisji")));
            });
    });
}

void JobControlHost::driveAwayRight()
{
    whenIdle([this] { runOnWorker(QStringLiteral("odjazdTrwa"), [this] { m_control->driveAwayRight(); }); });
}

} // namespace job
