#include "app/konfigrules.h"

#include "app/machinefamily.h"
#include "app/machineidentity.h"

namespace KonfigRules {

namespace {
Enable on(bool enabled)
{
    return enabled ? Enable::On : Enable::Off;
}
} // namespace

Enable rotationSettingsEnable(const Settings &settings)
{
    if (settings.Mode == 1 || settings.Mode == 3)
        return on(settings.StolikSwitch != 2);
    return Enable::Unchanged;
}

Activation updateactiv(Settings &s)
{
    Activation a;
    a.stepsPerTurn = rotationSettingsEnable(s);
    a.speedsAndPower = Enable::On;
    switch (s.Mode) {
    case 0:
    case 4:
        a.catDir = Enable::On;
        a.materialDiameter = Enable::Off;
        a.toolOffset = Enable::Off;
        a.pauseAfterLayer = Enable::Off;
        a.rotationDirection = Enable::Off;
        a.stepsPerTurn = Enable::Off;
        a.adaptDirection = Enable::Off;
        a.heavy = Enable::On;
        a.rotaryAxis = Enable::Off;
        s.StolikSwitch = 2;
        a.powerOutput = on(s.Mode == 0);
        if (s.Mode == 4)
            s.PowerOutput = 0;
        a.moveAfter = Enable::Off;
        s.MoveAfter = CheckState::Unchecked;
        a.serialTab = Enable::Off;
        break;
    case 1:
        a.catDir = Enable::On;
        a.materialDiameter = Enable::On;
        a.toolOffset = Enable::On;
        a.pauseAfterLayer = Enable::On;
        a.rotationDirection = Enable::On;
        a.stepsPerTurn = Enable::On;
        a.adaptDirection = on(s.CatDir == 2);
        a.heavy = Enable::On;
        a.rotaryAxis = Enable::On;
        a.powerOutput = Enable::On;
        a.moveAfter = Enable::Off;
        s.MoveAfter = CheckState::Unchecked;
        a.serialTab = Enable::Off;
        break;
    case 2:
        a.catDir = Enable::Off;
        s.CatDir = 2;
        a.materialDiameter = Enable::On;
        a.pauseAfterLayer = Enable::On;
        a.rotationDirection = Enable::Off;
        a.stepsPerTurn = Enable::Off;
        a.adaptDirection = Enable::Off;
        a.rotaryAxis = Enable::On;
        s.StolikSwitch = 1;
        a.powerOutput = Enable::Off;
        s.PowerOutput = 0;
        a.moveAfter = Enable::Off;
        s.MoveAfter = CheckState::Unchecked;
        a.serialTab = Enable::On;
        break;
    case 3:
        a.catDir = Enable::On;
        a.materialDiameter = Enable::On;
        a.toolOffset = Enable::On;
        a.pauseAfterLayer = Enable::On;
        a.rotationDirection = Enable::On;
        a.stepsPerTurn = on(s.StolikSwitch != 2);
        a.adaptDirection = on(s.StolikSwitch == 2);
        a.heavy = Enable::On;
        a.rotaryAxis = Enable::On;
        a.powerOutput = Enable::On;
        a.moveAfter = Enable::Off;
        s.MoveAfter = CheckState::Unchecked;
        a.serialTab = Enable::Off;
        break;
    case 5:
        a.catDir = Enable::Off;
        a.materialDiameter = Enable::Off;
        a.toolOffset = Enable::Off;
        a.pauseAfterLayer = Enable::Off;
        a.rotationDirection = Enable::Off;
        a.stepsPerTurn = Enable::Off;
        a.adaptDirection = Enable::Off;
        a.heavy = Enable::On;
        a.rotaryAxis = Enable::Off;
        s.StolikSwitch = 2;
        a.powerOutput = Enable::Off;
        s.PowerOutput = 0;
        a.moveAfter = Enable::On;
        a.serialTab = Enable::Off;
        break;
    default:
        break;
    }
    return a;
}

int xFeedSign(int catDir)
{
    return catDir == 1 ? -1 : 1;
}

int recommendedPowerOutput(int mode)
{
    if (mode == 1)
        return 0;
    if (mode == 3)
        return 1;
    return -1;
}

PowerLimit powerLimit(int powerOutput, const MachineIdentity &machine)
{
    if (powerOutput == 0) {
        if (machine.hasMinimumPowerLimit())
            return {1.0, false};
        if (machine.isWideMachine())
            return {8.0, false};
        if (!machine.isLJ())
            return {30.0, false};
    } else if (powerOutput == 1 && !machine.isLJ()) {
        return {12.0, false};
    }
    return {100.0, true};
}

PowerLimit UpdatePowerLimit(Settings &settings, const MachineIdentity &machine)
{
    const PowerLimit limit = powerLimit(settings.PowerOutput, machine);
    settings.limits.workPowerMax = limit.maximum;
    if (settings.work_power > limit.maximum)
        settings.work_power = limit.maximum;
    return limit;
}

double work_powerChange(double power, const MachineIdentity &machine)
{
    if (machine.hasMinimumPowerLimit() && machine.firmwareVersion() < 35 && power > 0.0 && power < 0.8)
        return 0.8;
    return power;
}

int modeItemCount(int currentCount, const MachineIdentity &machine, bool showAll)
{
    int count = currentCount;
    if (!IsFamily(machine.familyCode(), QLatin1StringView("Q7")) && count == 6)
        count = 5;
    const QString name = machine.machineName();
    const QChar first = name.isEmpty() ? QChar() : name.front();
    const bool vqGroup = first == u'V' || first == u'Q' || first == u'Z';
    if (!vqGroup && count == 5 && !showAll)
        count = 4;
    return count;
}

const QStringList &ModeItemKeys()
{
    static const QStringList keys = {QStringLiteral("mode.2D"),         QStringLiteral("mode.Obrotowe"),
                                     QStringLiteral("mode.Seryjne"),    QStringLiteral("mode.Toczenie"),
                                     QStringLiteral("mode.Niezalezne"), QStringLiteral("mode.Prostopadle")};
    return keys;
}

void applyMachineLimits(Settings &settings, const MachineIdentity &machine)
{
    settings.limits.maxWorkSpeed = machine.maxWorkSpeed();
    settings.limits.maxV = machine.maxV();
    UpdatePowerLimit(settings, machine);
}

} // namespace KonfigRules
