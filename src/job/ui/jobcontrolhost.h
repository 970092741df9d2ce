#pragma once

#include "app/frameinterfaces.h"
#include "drawing/jobwriter.h"
#include "job/driverwriter.h"
#include "job/jobcontrol.h"
#include "job/sessionadapters.h"
#include "job/ui/mdijobprojects.h"

#include "machine/machinesession.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class QMdiArea;
class TMachineHost;

namespace job {

// What the main window gives job control.
struct JobControlHooks
{
    std::function<void(int panel, const QString &text)> statusText;
    std::function<void()> refreshMenus;
};

// Job control in the running program: over the project windows of the MDI
// area and the machine session of the machine host, answering the
// machine's own start, pause and continue buttons and the "REPEAT" restart.
class JobControlHost : public QObject
{
    Q_OBJECT
public:
    JobControlHost(QMdiArea &area, TMachineHost &machine, JobControlHooks hooks, QObject *parent = nullptr);
    ~JobControlHost() override;

    void start();
    void pause();
    void continueJob();
    void driveAwayRight();

    // The main window's close guard.
    ITransmitter &closeGuard() { return *m_guard; }
    JobControl &control() { return *m_control; }

private:
    JobContext writerContext();
    void startFromMachine(StartSender sender);
    // Where the other wire of a two-wire job starts next, for the panel's
    // follow-up on the machine's thread.
    void rememberNextPass();

    TMachineHost &m_host;
    JobControlHooks m_hooks;
    std::unique_ptr<SessionJobMachine> m_machine;
    std::unique_ptr<SessionJobPanel> m_panel;
    std::unique_ptr<JobTransmitter> m_transmitter;
    std::unique_ptr<MdiJobProjects> m_projects;
    std::unique_ptr<JobPrompts> m_prompts;
    CancellingStartDialogs m_dialogs;
    std::unique_ptr<MachineLiveEffects> m_effects;
    JobWriterCarry m_carry;
    std::unique_ptr<JobControl> m_control;
    std::unique_ptr<JobCloseGuard> m_guard;
    QPointer<MachineSession> m_session;
    std::mutex m_nextPassMutex;
    std::optional<PanelJobControl::NextPass> m_nextPass;
};

} // namespace job
