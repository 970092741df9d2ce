#pragma once

#include "app/frameinterfaces.h"
#include "drawing/jobwriter.h"
#include "job/driverwriter.h"
#include "job/jobcontrol.h"
#include "job/sessionadapters.h"
#include "job/ui/mdijobprojects.h"
#include "machine/machinesession.h"

#include <QCloseEvent>
#include <QDialog>
#include <QObject>
#include <QPointer>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class QMdiArea;
class TMachineHost;

namespace job {

// What the main window gives job control.
struct JobControlHooks
{
    std::function<void(int panel, const QString &text)> statusText;
    std::function<void()> refreshMenus;
};

// Shown while a start, pause, continue or drive away runs, with what it
// does: modal, so nothing can be started again or closed, and without a way
// to close it, since the action cannot be broken off halfway.
class JobBusyDialog : public QDialog
{
public:
    JobBusyDialog(QWidget *parent, const QString &text);
    void reject() override { }

protected:
    void closeEvent(QCloseEvent *event) override { event->ignore(); }
};

class GuiGate;
class HoppingJobProjects;
class HoppingJobPrompts;

// Job control in the running program: over the project windows of the MDI
// area and the machine session of the machine host, answering the
// machine's own start, pause and continue buttons and the "REPEAT" restart.
//
// Start, Pause, Continue and the drive away to the right wait on the machine
// (the move to the start point, the heat-up pause), so they run on a worker
// thread of the host; whatever they reach of the windows, documents and
// message boxes is carried back to the GUI thread. Meanwhile a modal dialog
// keeps the operator from starting again or closing projects, and the window
// keeps painting. Requests that arrive meanwhile run in turn afterwards.
class JobControlHost : public QObject
{
    Q_OBJECT
public:
    JobControlHost(QMdiArea &area, TMachineHost &machine, JobControlHooks hooks, QObject *parent = nullptr);
    ~JobControlHost() override;

    // Start from the menu item "Start1", the tool button "SpeedStart" or the
    // side button "sbStart", named by sender.
    void start(const QString &sender = QStringLiteral("Start1"));
    void pause();
    void continueJob();
    void driveAwayRight();

    // The main window's close guard.
    ITransmitter &closeGuard() { return *m_guard; }
    JobControl &control() { return *m_control; }

    // True while a start, pause, continue or drive away is under way.
    bool busy() const { return m_running; }

signals:
    // A start, pause, continue or drive away ended and the host is idle.
    void idle();

private:
    JobContext writerContext();
    void startFromMachine(StartSender sender);
    // Where the other wire of a two-wire job starts next, for the panel's
    // follow-up on the machine's thread.
    void rememberNextPass();
    // Runs f now, or after the action under way and those queued before it.
    void whenIdle(std::function<void()> f);
    // Runs work on the worker thread under the modal dialog, which shows the
    // "Main_window" text textKey, then after on the GUI thread.
    void runOnWorker(const QString &textKey, std::function<void()> work, std::function<void()> after = {});
    void workerDone(const std::function<void()> &after);

    TMachineHost &m_host;
    JobControlHooks m_hooks;
    std::unique_ptr<SessionJobMachine> m_machine;
    std::unique_ptr<SessionJobPanel> m_panel;
    std::unique_ptr<GuiGate> m_gui;
    std::unique_ptr<JobTransmitter> m_transmitter;
    std::unique_ptr<MdiJobProjects> m_projects;
    std::unique_ptr<JobPrompts> m_prompts;
    std::unique_ptr<StartDialogs> m_dialogs;
    std::unique_ptr<MachineLiveEffects> m_effects;
    JobWriterCarry m_carry;
    std::unique_ptr<JobControl> m_control;
    std::unique_ptr<JobCloseGuard> m_guard;
    QPointer<MachineSession> m_session;
    std::mutex m_nextPassMutex;
    std::optional<PanelJobControl::NextPass> m_nextPass;
    std::unique_ptr<HoppingJobProjects> m_guiProjects;
    std::unique_ptr<HoppingJobPrompts> m_guiPrompts;
    QPointer<QWidget> m_dialogParent;
    // Owned here, but a child of the main window, which may go first.
    QPointer<QDialog> m_busyDialog;
    std::deque<std::function<void()>> m_pending;
    bool m_running = false;
    std::thread m_worker;
};

} // namespace job
