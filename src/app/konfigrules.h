#pragma once

#include "app/settings.h"

#include <QStringList>

class MachineIdentity;

// The configuration's rules that tie settings to the cutting mode and to the
// machine, as plain functions so they can be checked without a screen.
namespace KonfigRules {

// Enabling of a control group: unchanged leaves the control as it was.
enum class Enable { Unchanged, Off, On };

struct Activation
{
    Enable catDir = Enable::Unchanged;
    Enable materialDiameter = Enable::Unchanged; // Srednicamaterialu and its labels
    Enable toolOffset = Enable::Unchanged;       // Xnarzedzia, Ynarzedzia and labels
    Enable speedsAndPower = Enable::Unchanged;   // speeds, power, heat-up, corner pause, spindle axis
    Enable pauseAfterLayer = Enable::Unchanged;  // Wstrzymaj
    Enable rotationDirection = Enable::Unchanged; // KierunekObrotow
    Enable stepsPerTurn = Enable::Unchanged;     // ilosckrokow, il_obr_rys and labels
    Enable adaptDirection = Enable::Unchanged;   // dopasujKierunek
    Enable heavy = Enable::Unchanged;
    Enable rotaryAxis = Enable::Unchanged;       // StolikSwitch
    Enable powerOutput = Enable::Unchanged;
    Enable moveAfter = Enable::Unchanged;
    Enable serialTab = Enable::Unchanged;        // tabSeryjne, rgKatObrotu
    bool operator==(const Activation &) const = default;
};

// Steps per turn after a click on the rotation settings: in rotary cutting and
// turning they apply only with a rotary axis (`StolikSwitch` not 2).
Enable rotationSettingsEnable(const Settings &settings);

// Enabling by `Mode`; forces the values the mode needs (mode 2: the rotary
// table and both feed directions; the flat modes: no rotary axis; ...).
Activation updateactiv(Settings &settings);

// X-feed sign of the project windows for `CatDir`: -1 for feeding left, +1
// for right and for both ways.
int xFeedSign(int catDir);

// Item of `PowerOutput` recommended for the mode (0 or 1), or -1 for none.
int recommendedPowerOutput(int mode);

// Heating power maximum for the power output on this machine.
struct PowerLimit
{
    double maximum = 30.0;
    bool percent = false; // the power is given in percent ("[%]")
};
PowerLimit powerLimit(int powerOutput, const MachineIdentity &machine);
// Sets the work power maximum and cuts a higher power back to it.
PowerLimit UpdatePowerLimit(Settings &settings, const MachineIdentity &machine);

// Old firmware of machines with a minimum power limit cannot heat below 0.8 A.
double work_powerChange(double power, const MachineIdentity &machine);

// Number of cutting modes the dialog offers after trimming for this machine.
// Removed modes stay removed, so the count only shrinks.
int modeItemCount(int currentCount, const MachineIdentity &machine, bool showAll);

// Language keys (section "Configuration") of the cutting modes' names, by mode.
const QStringList &ModeItemKeys();

// Applies the machine's speed limits and heating maximum to the ranges.
void applyMachineLimits(Settings &settings, const MachineIdentity &machine);

} // namespace KonfigRules
