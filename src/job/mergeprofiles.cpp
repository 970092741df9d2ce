#include "job/mergeprofiles.h"

#include "drawing/geometry.h"
#include "drawing/jobbytes.h"
#include "project/containment.h"
#include "project/projectdocument.h"
#include "project/simulation.h"

#include <algorithm>

namespace job {
namespace {

// Records begin .. end of one run: consecutive records of one segment key,
// together with the record before them where the wire comes from.
struct Run
{
    std::size_t begin = 0;
    std::size_t end = 0;
};

std::vector<Run> SplitRuns(const std::vector<TPathRecord> &records)
{
    std::vector<Run> runs;
    std::size_t f = 0;
    while (f + 1 < records.size()) {
        std::size_t e = f + 1;
        while (e + 1 < records.size() && records[e + 1].key == records[f + 1].key)
            ++e;
        runs.push_back({f, e});
        f = e;
    }
    return runs;
}

TPlotPoint At(const std::vector<TPathRecord> &records, std::size_t i)
{
    return {records[i].x, records[i].y};
}

double RunLength(const std::vector<TPathRecord> &records, const Run &run)
{
    double length = 0;
    for (std::size_t i = run.begin + 1; i <= run.end; ++i)
        length += PointDistance(At(records, i - 1), At(records, i));
    return length;
}

// Puts a point into the figure where the fraction t of the run's length L,
// measured along the figure from its point `start`, is reached.
void InsertAtFraction(std::vector<TPlotPoint> &points, std::size_t start, double t, double length)
{
    std::size_t i = start;
    double reached = 0;
    double before = 0;
    while (i + 1 < points.size() && length > 0 && reached / length < t) {
        before = reached;
        reached += PointDistance(points[i], points[i + 1]);
        ++i;
    }
    if (i == start) {
        // Nothing of the run lies before the fraction: the point sits on the run's start.
        points.insert(points.begin() + static_cast<std::ptrdiff_t>(start) + 1, points[start]);
        return;
    }
    const TPlotPoint from = points[i - 1];
    const TPlotPoint to = points[i];
    const long double step = reached - before;
    const long double r = step > 0 ? (static_cast<long double>(t) * length - before) / step : 0.0L;
    const TPlotPoint p {from.x + RoundToInt32((static_cast<long double>(to.x) - from.x) * r),
                        from.y + RoundToInt32((static_cast<long double>(to.y) - from.y) * r)};
    points.insert(points.begin() + static_cast<std::ptrdiff_t>(i), p);
}

void CopyRecords(const std::vector<TPathRecord> &records, std::size_t first, std::size_t last,
                 std::vector<TPlotPoint> &points)
{
    for (std::size_t i = first; i <= last; ++i)
        points.push_back(At(records, i));
}

// The inner points of one run placed on the other figure at their fractions.
void InsertInnerPoints(const std::vector<TPathRecord> &records, const Run &run, double runLength,
                       std::vector<TPlotPoint> &other, std::size_t otherStart, double otherLength)
{
    double reached = 0;
    for (std::size_t k = run.begin + 1; k < run.end; ++k) {
        reached += PointDistance(At(records, k - 1), At(records, k));
        InsertAtFraction(other, otherStart, runLength > 0 ? reached / runLength : 0.0, otherLength);
    }
}

// Drops every point closer than 0.5 mm to the last one kept, on both
// figures at once (the doubled run ends among them).
void ThinOut(std::vector<TPlotPoint> &front, std::vector<TPlotPoint> &back)
{
    const double limit = MmToUnits(0.5);
    std::size_t kept = 0;
    for (std::size_t j = 1; j < front.size(); ++j) {
        if (PointDistance(front[kept], front[j]) < limit && PointDistance(back[kept], back[j]) < limit)
            continue;
        ++kept;
        front[kept] = front[j];
        back[kept] = back[j];
    }
    const std::size_t size = front.empty() ? 0 : kept + 1;
    front.resize(size);
    back.resize(size);
}

tfigura ClosedProfile(std::uint8_t pen, std::vector<TPlotPoint> points)
{
    tfigura f;
    f.points = std::move(points);
    f.FinishReading();
    f.pen = pen;
    f.drawingFigure = true;
    f.open = false;
    f.closed = true;
    f.parent = -1;
    f.vertexOnParent = -1;
    f.entryVertex = 0;
    f.pending = true;
    return f;
}

// The runs of a recorded path made to alternate between the wire's way to a
// figure (connectors) and its way along a figure, starting and ending with
// the way to one: a figure entered where the wire already stands (its
// connector has no length and records nothing, or it touches the figure
// before it) gets a way of no length, and the connectors between two figures
// become one way. So two profiles whose trees differ only there count the
// same runs and pair, the wire of one standing while the other moves.
std::vector<TPathRecord> AlternateRuns(const std::vector<TPathRecord> &records,
                                       const std::vector<tfigura> &figures)
{
    const auto isWay = [&figures](const TPathRecord &r) {
        const std::int32_t index = r.key - PathRecordFigureBase;
        return index >= 0 && static_cast<std::size_t>(index) < figures.size()
            && !figures[static_cast<std::size_t>(index)].drawingFigure;
    };
    std::vector<TPathRecord> runs;
    if (records.empty())
        return runs;
    runs.push_back(records.front());
    std::int32_t wayKey = PathRecordStartKey;
    bool lastOnWay = false; // the start record ends no way
    for (std::size_t i = 1; i < records.size(); ++i) {
        TPathRecord r = records[i];
        const bool onWay = isWay(r);
        const bool newRun = i == 1 || r.key != records[i - 1].key;
        if (newRun && onWay && lastOnWay)
            r.key = wayKey; // the way goes on
        else if (newRun && onWay)
            wayKey = r.key;
        else if (newRun && !lastOnWay)
            runs.push_back({PathRecordStartKey, 0, runs.back().x, runs.back().y});
        else if (onWay)
            r.key = wayKey;
        runs.push_back(r);
        lastOnWay = onWay;
    }
    if (!lastOnWay)
        runs.push_back({PathRecordStartKey, 0, runs.back().x, runs.back().y});
    return runs;
}

} // namespace

std::optional<std::pair<tfigura, tfigura>> PairWirePaths(std::vector<TPathRecord> front,
                                                         std::vector<TPathRecord> back)
{
    const std::vector<Run> frontRuns = SplitRuns(front);
    const std::vector<Run> backRuns = SplitRuns(back);
    if (frontRuns.empty() || frontRuns.size() != backRuns.size())
        return std::nullopt;

    // Both paths begin and end at one point: the lower left of the two.
    for (const auto &[f, b] :
         {std::pair {std::size_t {0}, std::size_t {0}}, std::pair {front.size() - 1, back.size() - 1}}) {
        front[f].x = back[b].x = std::min(front[f].x, back[b].x);
        front[f].y = back[b].y = std::min(front[f].y, back[b].y);
    }

    std::vector<TPlotPoint> fp, bp;
    for (std::size_t j = 0; j < frontRuns.size(); ++j) {
        const Run &fr = frontRuns[j];
        const Run &br = backRuns[j];
        // A run's start is the previous run's end: it is taken again here and
        // thinned out below.
        if (fr.end - fr.begin == br.end - br.begin) {
            CopyRecords(front, fr.begin, fr.end, fp);
            CopyRecords(back, br.begin, br.end, bp);
            continue;
        }
        const double frontLength = RunLength(front, fr);
        const double backLength = RunLength(back, br);
        const std::size_t frontStart = fp.size();
        const std::size_t backStart = bp.size();
        CopyRecords(front, fr.begin, fr.end, fp);
        CopyRecords(back, br.begin, br.end, bp);
        InsertInnerPoints(front, fr, frontLength, bp, backStart, backLength);
        InsertInnerPoints(back, br, backLength, fp, frontStart, frontLength);
    }
    ThinOut(fp, bp);

    std::vector<tfigura> pair {ClosedProfile(4, std::move(fp)), ClosedProfile(3, std::move(bp))};
    BuildVertexRecords(pair);
    return std::pair {std::move(pair[0]), std::move(pair[1])};
}

MergeOutcome MergeProfiles(TProjectDocument &front, TProjectDocument &back, const TPaintSettings &settings)
{
    if (front.Figures.size() != back.Figures.size())
        return {std::nullopt, "VqiloscFigurJednakowa"};
    RecordWirePath(front, settings);
    RecordWirePath(back, settings);
    std::optional<std::pair<tfigura, tfigura>> pair = PairWirePaths(
        AlternateRuns(front.PathRecords, front.Figures), AlternateRuns(back.PathRecords, back.Figures));
    front.PathRecords.clear();
    back.PathRecords.clear();
    if (!pair)
        return {std::nullopt, "VqsciezkiRozne"};

    MergedProfiles merged;
    merged.front = std::move(pair->first);
    merged.back = std::move(pair->second);
    merged.minCorner = {std::min(front.PP.x, back.PP.x), std::min(front.PP.y, back.PP.y)};
    merged.maxCorner = {std::max(front.PK.x, back.PK.x), std::max(front.PK.y, back.PK.y)};
    merged.width = std::max(front.ProjectWidth, back.ProjectWidth);
    merged.height = std::max(front.ProjectHeight, back.ProjectHeight);
    merged.pathLength = std::max(front.PathLength, back.PathLength);
    return {std::move(merged), {}};
}

void PlaceMergedProfiles(TProjectDocument &merged, MergedProfiles profiles)
{
    const TPlotPoint shift = profiles.minCorner;
    for (tfigura *figure : {&profiles.front, &profiles.back}) {
        for (TPlotPoint &p : figure->points)
            p = {p.x - shift.x, p.y - shift.y};
        figure->FinishReading();
        figure->open = false;
        figure->closed = true;
        figure->projectCorner = {0, 0};
    }
    merged.Figures.clear();
    merged.Figures.push_back(std::move(profiles.front));
    merged.Figures.push_back(std::move(profiles.back));
    merged.PP = {0, 0};
    // The far corner moves with the figures, so the window's box stays theirs.
    merged.PK = {profiles.maxCorner.x - shift.x, profiles.maxCorner.y - shift.y};
    merged.ProjectWidth = profiles.width;
    merged.ProjectHeight = profiles.height;
    merged.PathLength = profiles.pathLength;
    merged.RootFigure = 0;
    merged.SelectedFigure = -1;
    merged.PairedProfiles = true;
    merged.Planned = true;
}

} // namespace job
