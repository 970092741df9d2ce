#pragma once

#include <QString>

#include <functional>

// Program-wide state that several windows read. Set during start-up (the
// main window's creation and translation) and kept for the whole run.
struct ProgramGlobals
{
    // Dealer chosen with the "D:" switch, upper case; empty without one.
    QString dealerCode;
    // Value of the OnlyMachine'name' switch: the program talks only to the
    // machine of that name. Empty when absent.
    QString singleMachineName;
    // False with the "fullPower" switch, which lifts the minimum heating
    // power of some machine models.
    bool powerLimit = true;
    // The file of the loaded 3D model; the serial-cut generator sets it. The
    // serial save starts in the model's folder and proposes its name. Empty
    // (or unset) while no model is loaded.
    std::function<QString()> modelFileName;
    // Whether the serial cut made from a model ends by cutting the model off
    // its base (job control hands it to the job writer).
    bool CutOffAtEnd = false;
};

ProgramGlobals &Globals();
