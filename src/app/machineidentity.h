#pragma once

#include <QString>

#include <memory>
#include <optional>

// What the configuration needs to know about, and ask of, the connected
// machine. The machine link implements it; until a machine is known the
// program uses `StubMachineIdentity`, which describes no machine at all.
class MachineIdentity
{
public:
    virtual ~MachineIdentity() = default;

    // Machine name as the controller (or the "MachineName" switch) gives it.
    virtual QString machineName() const = 0;
    // First two characters of the machine name, e.g. "Q7".
    virtual QString familyCode() const = 0;
    // Heating is given in percent on these machines.
    virtual bool isLJ() const = 0;
    virtual bool hasMinimumPowerLimit() const = 0;
    virtual bool isWideMachine() const = 0;
    // major × 10 + minor.
    virtual int firmwareVersion() const = 0;
    // Speed limits of the machine model, mm/min.
    virtual int maxV() const = 0;
    virtual int maxWorkSpeed() const = 0;

    // Positions of a homed machine in hundredths of a millimetre.
    struct Position
    {
        long long x = 0;
        long long y = 0;
        long long z = 0;
    };
    // Nothing when the machine is not homed (or not connected).
    virtual std::optional<Position> homedPosition() = 0;
    // The calibration percentages changed: read the resolutions again.
    virtual void reloadResolutions() = 0;
    // The program's settings changed: the machine works with them from now
    // on (homing style, heat-up time, speeds, calibration ...).
    virtual void settingsChanged() = 0;
};

// A machine description with plain fields, used before a machine link exists
// and by tests.
class StubMachineIdentity : public MachineIdentity
{
public:
    QString name;
    bool lj = false;
    bool minimumPowerLimit = false;
    bool wide = false;
    int firmware = 0;
    int maxVValue = 5000;
    int maxWorkSpeedValue = 5000;
    std::optional<Position> position;
    int resolutionReloads = 0;
    int settingsChanges = 0;

    QString machineName() const override { return name; }
    QString familyCode() const override { return name.left(2); }
    bool isLJ() const override { return lj; }
    bool hasMinimumPowerLimit() const override { return minimumPowerLimit; }
    bool isWideMachine() const override { return wide; }
    int firmwareVersion() const override { return firmware; }
    int maxV() const override { return maxVValue; }
    int maxWorkSpeed() const override { return maxWorkSpeedValue; }
    std::optional<Position> homedPosition() override { return position; }
    void reloadResolutions() override { ++resolutionReloads; }
    void settingsChanged() override { ++settingsChanges; }
};

// The machine the program works with; a stub until the machine link sets one.
MachineIdentity &machineIdentity();
void setMachineIdentity(std::shared_ptr<MachineIdentity> identity);
