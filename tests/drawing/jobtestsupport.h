#pragma once

#include "drawing/jobdecoder.h"
#include "drawing/jobwriter.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// Records what the writer does to the live machine and the screen.
class RecordingEffects : public JobLiveEffects
{
public:
    void sendArmSelection(std::int32_t value) override { events.push_back("arm " + std::to_string(value)); }
    void queryStatus() override { events.push_back("status"); }
    void showManualPanel() override { events.push_back("panel"); }
    void showStatus(const QString &text) override { events.push_back("text " + text.toStdString()); }

    std::vector<std::string> events;
};

// A writer over a job kept in memory, with the values of a new installation
// on a machine of resolution 1 and speed factor 2.
struct WriterHarness
{
    Settings settings;
    JobMachineParams machine;
    JobStartState start;
    RecordingEffects effects;
    JobWriterCarry carry;
    std::string bytes;
    std::unique_ptr<TJobWriter> writer;

    // Job type 1 writes neither opening nor closing, so a test sees only
    // the bytes of the operation it calls.
    TJobWriter &begin(int jobType = TJobType::PlainText)
    {
        start.jobType = jobType;
        writer = std::make_unique<TJobWriter>(settings, machine, start, &effects, &carry);
        EXPECT_TRUE(writer->BeginJob(std::make_unique<MemoryJobOutput>(bytes)));
        return *writer;
    }

    std::vector<std::string> end()
    {
        const JobWriteStatus status = writer->EndJob();
        EXPECT_TRUE(status.ok) << status.key;
        const DecodedJob job = DecodeJob(bytes, machine.newProtocol);
        EXPECT_TRUE(job.ok) << job.error << " at " << job.offset;
        return job.lines;
    }
};

inline std::vector<std::string> Lines(std::initializer_list<const char *> lines)
{
    return {lines.begin(), lines.end()};
}

inline tfigura FigureOf(std::initializer_list<TPlotPoint> points)
{
    tfigura f;
    f.points = points;
    f.FinishReading();
    f.cut = true;
    return f;
}
