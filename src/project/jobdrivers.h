#pragma once

#include "app/settings.h"
#include "drawing/jobwriter.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class TProjectDocument;

// Everything a job driver reads besides the project: the settings, the
// machine values, the start-sequence values and the live effects. Job
// control fills it for each write.
struct JobContext
{
    Settings settings;
    JobMachineParams machine;
    JobStartState
        start; // jobType, start edges, stop position, arms...; the project's own values are filled in
    JobLiveEffects *effects = nullptr;
    JobWriterCarry *carry = nullptr;
    // Height (mm) where the turning drivers' first figure choice starts from.
    double startHeight = 0.0;
    // Where the wire stands at the start of the next serial pass (0.01 mm, the
    // writer's axis order); the serial driver starts from it and updates it.
    std::array<std::int32_t, 8> PassStartPosition {};
    // Replaces the job file (joining passes in memory, tests); empty: the file.
    std::function<std::unique_ptr<JobOutput>()> output;
};

// The five job writers, one per kind of cut. Each writes the figures first ..
// last of the project (job control passes the whole project) into the job
// file and reports whether a complete job was written.

// Flat, independent and perpendicular cutting; serial cutting on the rotary
// table; turning without a mounting: the cutting tree (or the cross points).
JobWriteStatus save_ciecie(TProjectDocument &project, JobContext &context, const QString &fileName, int first,
                           int last, double endRotation);
// Rotary cutting, one or more passes per figure.
JobWriteStatus Save_ciecie_obrotowe(TProjectDocument &project, JobContext &context, const QString &fileName,
                                    int first, int last);
// One pass of a serial cut on the spindle.
JobWriteStatus save_ciecie_seryjne_wrzeciono(TProjectDocument &project, JobContext &context,
                                             const QString &fileName, int first, int last, double endRotation,
                                             int feedSign);
// Turning on the spindle and on the rotary table.
JobWriteStatus Save_toczenie_wrzeciono(TProjectDocument &project, JobContext &context,
                                       const QString &fileName, int first, int last);
JobWriteStatus Save_toczenie_stolik(TProjectDocument &project, JobContext &context, const QString &fileName,
                                    int first, int last);

// The flat walk alone, into an open writer: the start position, the cutting
// tree and the end rotation.
void WriteFlatJob(TProjectDocument &project, const JobContext &context, TJobWriter &writer,
                  double endRotation);
