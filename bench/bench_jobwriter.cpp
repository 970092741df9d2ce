// Writing the job of a flat project of about 1,000,000 points (1000 closed
// figures of 1000 points on connectors from a frame) into "out.cn" through
// the flat driver, against writing the same bytes, already in memory, to a
// file (the floor).
//
// The floor commits the way the job file must: through QSaveFile, which
// writes a temporary file, syncs it to disk and renames it over the target.
// That safe save is what keeps a cut-short job from ever looking whole to
// the transmitter, so it belongs to the cost of any job write, not to the
// writer's overhead; a floor without it would measure a write no job file
// is allowed to make.

#include "plannedfigure.h"
#include "project/jobdrivers.h"
#include "project/projectdocument.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int FigureCount = 1000;
constexpr int PointsPerFigure = 1000;

using testsupport::PlannedFigure;

// A frame, and in rows of 40 a ring of 1000 points (an 8 mm circle) per
// part, each joined by a connector from the frame's first corner.
std::vector<tfigura> project()
{
    std::vector<tfigura> figures;
    const int side = 40 * 1000 + 1000;
    figures.push_back(PlannedFigure({{0, 0}, {side, 0}, {side, side}, {0, side}, {0, 0}}, -1, -1));
    for (int i = 0; i < FigureCount; ++i) {
        const int cx = 1000 + (i % 40) * 1000;
        const int cy = 1000 + (i / 40) * 1000;
        std::vector<TPlotPoint> ring;
        for (int k = 0; k < PointsPerFigure - 1; ++k) {
            const double a = 2 * std::numbers::pi * k / (PointsPerFigure - 1);
            ring.push_back({cx + static_cast<int>(std::nearbyint(320 * std::cos(a))),
                            cy + static_cast<int>(std::nearbyint(320 * std::sin(a)))});
        }
        ring.push_back(ring.front());
        const int connector = static_cast<int>(figures.size());
        figures.push_back(PlannedFigure({{0, 0}, ring.front()}, 0, 0));
        figures.push_back(PlannedFigure(std::move(ring), connector, 1));
    }
    return figures;
}

TProjectDocument document()
{
    TProjectDocument doc;
    doc.Figures = project();
    doc.Ustaw_PPiPK();
    doc.RootFigure = 0;
    doc.CutFrame = true;
    doc.Planned = true;
    return doc;
}

void BM_WriteFlatJob(benchmark::State &state)
{
    const TProjectDocument original = document();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.cn"));
    JobContext context;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TProjectDocument doc = original; // the walk may turn open figures round
        state.ResumeTiming();
        if (!save_ciecie(doc, context, path, 0, static_cast<int>(doc.Figures.size()) - 1, 0.0).ok)
            state.SkipWithError("the job was not written");
        bytes = QFile(path).size();
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_WriteFlatJob)->Unit(benchmark::kMillisecond);

// The floor: the same bytes, already in memory, committed through the same
// safe save as the job.
void BM_RawWriteSameBytes(benchmark::State &state)
{
    TProjectDocument doc = document();
    std::string job;
    JobContext context;
    context.output = [&job] { return std::make_unique<MemoryJobOutput>(job); };
    save_ciecie(doc, context, QString(), 0, static_cast<int>(doc.Figures.size()) - 1, 0.0);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("raw.cn"));
    for (auto _ : state) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(job.data(), static_cast<qint64>(job.size())) != static_cast<qint64>(job.size())
            || !file.commit())
            state.SkipWithError("the bytes were not written");
    }
    state.counters["bytes"] = static_cast<double>(job.size());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(job.size()));
}
BENCHMARK(BM_RawWriteSameBytes)->Unit(benchmark::kMillisecond);

} // namespace
