// Host cost of one command on its way to the controller: read it from a job
// buffer by its letter, frame it into reports, write them to a channel that
// takes them at no cost.
#include "drawing/jobformat.h"
#include "machine/devicelink.h"
#include "machine/ploter.h"

#include <benchmark/benchmark.h>

namespace {

class NullChannel final : public HidChannel
{
public:
    int writeReport(const HidReport &report) override
    {
        benchmark::DoNotOptimize(report.data());
        return HidError::Ok;
    }
    int readIndexedString(int, HidReply &reply, int &length) override
    {
        reply.fill(0);
        length = kHidReplySize;
        return HidError::Ok;
    }
};

class NullBackend final : public HidBackend
{
public:
    std::vector<HidDeviceInfo> enumerate() override
    {
        HidDeviceInfo info;
        info.instanceId = QStringLiteral("null");
        info.manufacturer = QStringLiteral("Korvanel");
        info.product = QStringLiteral("bn45");
        return {info};
    }
    std::unique_ptr<HidChannel> open(const HidDeviceInfo &, int &error) override
    {
        error = HidError::Ok;
        return std::make_unique<NullChannel>();
    }
    void setChangeHandler(std::function<void()>) override {}
};

// A job of typical commands: moves of two axes, speed, pause, heating.
std::vector<std::uint8_t> sampleJob()
{
    std::vector<std::uint8_t> job;
    for (int i = 0; i < 1000; ++i) {
        TAxisDeltas d;
        d.x1 = d.x2 = 100 + i;
        d.y1 = d.y2 = -50 - i;
        const TMoveCommand move = BuildMoveCommand('a', 2, d);
        job.insert(job.end(), move.bytes.begin(), move.bytes.end());
        const TBytes speed = SpeedCommand(1, 3000);
        job.insert(job.end(), speed.begin(), speed.end());
        const TBytes pause = PauseCommand(1);
        job.insert(job.end(), pause.begin(), pause.end());
    }
    return job;
}

void BM_CommandReadFrameWrite(benchmark::State &state)
{
    SystemMachineClock clock;
    NullBackend backend;
    TfUsb link(backend, clock, {});
    link.start();
    MachineState machine;
    Ploter ploter(link, machine, clock);
    const std::vector<std::uint8_t> job = sampleJob();
    std::size_t at = 0;
    std::int64_t commands = 0;
    QByteArray command;
    command.reserve(16);
    for (auto _ : state) {
        if (at >= job.size())
            at = 0;
        const int length = commandLength(job[at], false).value_or(1);
        command.setRawData(reinterpret_cast<const char *>(job.data() + at), static_cast<qsizetype>(length));
        benchmark::DoNotOptimize(ploter.SendCommand(command));
        at += static_cast<std::size_t>(length);
        ++commands;
    }
    state.SetItemsProcessed(commands);
}
BENCHMARK(BM_CommandReadFrameWrite);

} // namespace
