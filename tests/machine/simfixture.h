#pragma once

#include "machine/devicelink.h"
#include "machine/machineclock.h"
#include "machine/machinestate.h"
#include "machine/ploter.h"
#include "machine/simulatedmachine.h"
#include "machine/sterowanie.h"

#include <QByteArray>
#include <QStringList>

#include <memory>
#include <vector>

// A simulated machine on a simulated bus, the link and the machine access
// layer over it, all in virtual time.
struct SimRig
{
    explicit SimRig(SimulatedMachineConfig config = {}, QStringList parameters = {}, bool plugged = true)
        : backend(clock)
    {
        if (plugged)
            machine = backend.plugMachine(std::move(config));
        link = std::make_unique<TfUsb>(backend, clock, MachineSwitches(std::move(parameters)));
        link->start([this](const QString &key) { statusKeys.push_back(key); });
        ploter = std::make_unique<Ploter>(*link, state, clock);
        ploter->setMessageHandler([this](const MachineMessage &m) { messages.push_back(m); });
        Settings settings;
        settings.Pauza_w_kacie = 0;
        settings.CzasRozgrzewania = 0;
        ploter->setSettings(settings);
    }

    // The commands the controller received since the last call.
    std::vector<QByteArray> takeCommands()
    {
        std::vector<QByteArray> c = machine->commands();
        machine->clearCommands();
        return c;
    }

    VirtualMachineClock clock;
    SimulatedHidBackend backend;
    std::shared_ptr<SimulatedMachine> machine;
    std::unique_ptr<TfUsb> link;
    MachineState state;
    std::unique_ptr<Ploter> ploter;
    std::vector<QString> statusKeys;
    std::vector<MachineMessage> messages;
};

inline QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(static_cast<char>(v));
    return b;
}

// A move record: letter, tag, int32 value.
inline QByteArray record(char letter, int tag, std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    return bytes({letter, tag, int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF), int(v >> 24)});
}

// Job control for a panel whose machine buttons and job ends do not matter.
struct NoJobControl : PanelJobControl
{
    void start() override { }
    void pause() override { }
    void continueJob() override { }
    void restartJob() override { }
    void refreshMenus() override { }
    std::optional<NextPass> nextPass() override { return std::nullopt; }
    void startNextPass() override { }
};
