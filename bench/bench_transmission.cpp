// Streaming a 50,000-command job to the simulated controller whose writes
// cost 1 ms each (virtual time): commands per second of machine time and
// the longest single tick, and the host time the whole stream takes.
#include "drawing/jobformat.h"
#include "machine/devicelink.h"
#include "machine/ploter.h"
#include "machine/simulatedmachine.h"
#include "machine/transmitter.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QByteArray job50000()
{
    QByteArray job;
    int commands = 0;
    for (int i = 0; commands < 50000; ++i) {
        TAxisDeltas d;
        d.x1 = d.x2 = 100 + i % 50;
        d.y1 = d.y2 = -40;
        const TMoveCommand move = BuildMoveCommand('a', 2, d);
        if (commands + static_cast<int>(move.bytes.size() / 6) > 50000) {
            job.append("p\x01", 2);
            ++commands;
            continue;
        }
        job.append(reinterpret_cast<const char *>(move.bytes.data()), static_cast<qsizetype>(move.bytes.size()));
        commands += static_cast<int>(move.bytes.size() / 6);
    }
    return job;
}

void BM_StreamJob(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("out.cn");
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(job50000());
    }
    double perSecond = 0;
    std::int64_t longestTick = 0;
    for (auto _ : state) {
        VirtualMachineClock clock;
        SimulatedHidBackend backend(clock);
        SimulatedMachineConfig config;
        config.drainPerSecond = 3000;
        auto machine = backend.plugMachine(config);
        backend.setWriteCostMs(1);
        TfUsb link(backend, clock, {});
        link.start();
        MachineState machineState;
        Ploter ploter(link, machineState, clock);
        TTransArm transmitter(ploter, clock);
        transmitter.start(path);
        const std::int64_t start = clock.nowMs();
        longestTick = 0;
        while (transmitter.running()) {
            const std::int64_t before = clock.nowMs();
            const int next = transmitter.tick();
            longestTick = std::max(longestTick, clock.nowMs() - before);
            clock.advance(next);
        }
        perSecond = static_cast<double>(transmitter.sentCount()) * 1000.0 / static_cast<double>(clock.nowMs() - start);
        benchmark::DoNotOptimize(machine->jobCommandsReceived());
    }
    state.counters["commands_per_s"] = perSecond;
    state.counters["longest_tick_ms"] = static_cast<double>(longestTick);
}
BENCHMARK(BM_StreamJob)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
