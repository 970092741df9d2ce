#pragma once

#include "machine/upgradeprogram.h"

#include <QObject>

#include <atomic>
#include <memory>

class MachineSession;
class Tprzesun;

// The machine side of the panel's smaller windows: base points, the
// move-wire dialog with its test loops, the firmware upgrade and the
// factory parameters. It lives with its machine session, on the session's
// thread, so every device call runs there; the windows call its slots
// through queued connections and follow its signals. No window waits for
// it: a homing can hold its thread for minutes, and the panel's STOP must
// still answer meanwhile.
class MachineServices : public QObject
{
    Q_OBJECT
public:
    explicit MachineServices(MachineSession &session);
    ~MachineServices() override;

    // A key press or left click ends the running test loop after its cycle.
    // Safe from any thread; the window clears it before it starts a loop.
    void requestStop() { m_stop = true; }
    void clearStop() { m_stop = false; }

    // Where the ROM files and "eprom.bin" are looked for (the program
    // folder); the erase and restart waits (ms), for tests.
    void setResourceFolder(const QString &folder) { m_resourceFolder = folder; }
    // The file that keeps each controller's last version and unfinished
    // upgrade between runs (before the upgrade window is first opened).
    void setFirmwareRecord(const QString &path) { m_firmwareRecord = path; }
    void setUpgradeTimings(std::int64_t eraseMs, std::int64_t restartMs, std::int64_t storeMs);

public slots:
    // Answers with basePointPosition.
    void readBasePointPosition();

    void goToBasePoint(double xMm, double yMm);
    void moveWire(int mode, double x, double y, double z, double angle);
    void runMotionTest(double dx, double dy, double angle);
    void runHeaterTest();

    void activateUpgrade();
    void runUpgrade(int operation);
    void restoreFactoryParameters();

signals:
    // Where wire end 1 stands (0.01 mm); `ok` false when it could not be read.
    void basePointPosition(bool ok, int x1, int y1);
    void motionTestCaption(int readFailures, int writeFailures);
    void testFinished();
    void upgradeViewChanged(const UpgradeView &view);
    void upgradeFinished(int operation, bool success);
    void factoryParametersRestored();

private:
    bool ready() const;
    TUpgradeProgram &upgrade();
    Tprzesun &moveWireLogic();

    MachineSession &m_session;
    std::atomic<bool> m_stop {false};
    QString m_resourceFolder;
    QString m_firmwareRecord;
    std::int64_t m_eraseMs = 15000;
    std::int64_t m_restartMs = 9000;
    std::int64_t m_storeMs = 5000;
    std::unique_ptr<TUpgradeProgram> m_upgrade;
    std::unique_ptr<Tprzesun> m_moveWire;
};

Q_DECLARE_METATYPE(UpgradeView)
