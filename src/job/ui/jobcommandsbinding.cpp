#include "job/ui/jobcommandsbinding.h"

#include "app/ui/mainwindow.h"
#include "job/jobadapters.h"

#include <QApplication>
#include <QCursor>

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

} // namespace

std::unique_ptr<JobPrompts> MakeMainWindowPrompts(TMainForm &form)
{
    auto cursor = std::make_shared<BusyCursor>();
    return std::make_unique<MessageBoxPrompts>([cursor](bool busy) { cursor->set(busy); },
                                               [&form](int count) { form.setStatusText(1, QString::number(count)); });
}

void ConnectJobCommands(TMainForm &form, JobControl &control, JobCloseGuard &guard)
{
    // The frame runs one command for the menu item and both start buttons;
    // the machine's own start button comes through the control panel.
    form.setCommand(TMainForm::Command::Start, [&control] { control.start(StartSender::Menu); });
    form.setCommand(TMainForm::Command::Pause, [&control] { control.pause(); });
    form.setCommand(TMainForm::Command::Continue, [&control] { control.continueJob(); });
    form.setCommand(TMainForm::Command::DriveAwayRight, [&control] { control.driveAwayRight(); });
    form.setTransmitter(&guard);
}

} // namespace job
