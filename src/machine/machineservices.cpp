#include "machine/machineservices.h"

#include "app/programfolders.h"
#include "machine/basepoints.h"
#include "machine/machinesession.h"
#include "machine/movewire.h"

#include <QCoreApplication>

namespace {

// While the program memory or the parameters are written, nothing else may
// talk to the controller: every read of reply 17 moves its address on.
class HoldOff
{
public:
    explicit HoldOff(MachineSession &session)
        : m_session(session)
    {
        m_session.setHeldOff(true);
    }
    ~HoldOff() { m_session.setHeldOff(false); }
    HoldOff(const HoldOff &) = delete;
    HoldOff &operator=(const HoldOff &) = delete;

private:
    MachineSession &m_session;
};

} // namespace

MachineServices::MachineServices(MachineSession &session)
    : QObject(&session)
    , m_session(session)
{
    qRegisterMetaType<UpgradeView>();
    if (QCoreApplication::instance()) {
        m_resourceFolder = ProgramFolders::current().programDir();
        m_firmwareRecord = ProgramFolders::current().writablePath(QStringLiteral("firmware.ini"));
    }
}

MachineServices::~MachineServices() = default;

void MachineServices::setUpgradeTimings(std::int64_t eraseMs, std::int64_t restartMs, std::int64_t storeMs)
{
    m_eraseMs = eraseMs;
    m_restartMs = restartMs;
    m_storeMs = storeMs;
    if (m_upgrade)
        m_upgrade->setTimings(eraseMs, restartMs);
}

bool MachineServices::ready() const
{
    return m_session.ploter() && m_session.panel();
}

TUpgradeProgram &MachineServices::upgrade()
{
    if (!m_upgrade) {
        m_upgrade
            = std::make_unique<TUpgradeProgram>(*m_session.ploter(), m_resourceFolder, m_firmwareRecord);
        m_upgrade->setTimings(m_eraseMs, m_restartMs);
        m_upgrade->setViewHandler([this](const UpgradeView &view) { emit upgradeViewChanged(view); });
    }
    return *m_upgrade;
}

Tprzesun &MachineServices::moveWireLogic()
{
    if (!m_moveWire) {
        m_moveWire = std::make_unique<Tprzesun>(*m_session.ploter(), *m_session.panel(), m_stop);
        m_moveWire->setCaptionHandler(
            [this](int reads, int writes) { emit motionTestCaption(reads, writes); });
    }
    return *m_moveWire;
}

void MachineServices::readBasePointPosition()
{
    const auto position = ready() ? ReadBasePointPosition(*m_session.ploter()) : std::nullopt;
    emit basePointPosition(position.has_value(), position ? position->first : 0,
                           position ? position->second : 0);
}

void MachineServices::goToBasePoint(double xMm, double yMm)
{
    if (ready())
        GoToBasePoint(*m_session.panel(), *m_session.ploter(), BasePoint {xMm, yMm});
}

void MachineServices::moveWire(int mode, double x, double y, double z, double angle)
{
    if (ready())
        moveWireLogic().WykonajClick(mode, x, y, z, angle);
}

void MachineServices::runMotionTest(double dx, double dy, double angle)
{
    if (ready())
        moveWireLogic().testClick(dx, dy, angle);
    emit testFinished();
}

void MachineServices::runHeaterTest()
{
    if (ready())
        moveWireLogic().TestGrzalkiClick();
    emit testFinished();
}

void MachineServices::activateUpgrade()
{
    if (!ready())
        return;
    HoldOff holdOff(m_session);
    upgrade().activate();
}

void MachineServices::runUpgrade(int operation)
{
    bool ok = false;
    if (ready()) {
        HoldOff holdOff(m_session);
        ok = upgrade().run(static_cast<UpgradeOperation>(operation));
    }
    emit upgradeFinished(operation, ok);
}

void MachineServices::restoreFactoryParameters()
{
    if (!ready())
        return;
    HoldOff holdOff(m_session);
    if (RestoreFactoryParameters(*m_session.ploter(), m_resourceFolder + QStringLiteral("/eprom.bin"),
                                 m_storeMs))
        emit factoryParametersRestored();
}
