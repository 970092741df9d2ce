#include "project/projectdocument.h"

#include "drawing/geometry.h"
#include "project/drawingsource.h"
#include "project/figurecollector.h"
#include "project/parallelchunks.h"
#include "project/planningdispatch.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <exception>
#include <limits>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

namespace {

// Sizes are differences of 32-bit coordinates and may not fit 32 bits; a
// project that wide is far beyond any working area, so the size saturates.
std::int32_t SizeBetween(std::int32_t low, std::int32_t high)
{
    const std::int64_t size = std::int64_t(high) - low;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(size, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

// Millimetres of Round(skala x size / 100) plotter units.
long double ScaledMm(std::int32_t size, double skala)
{
    const long double units = std::nearbyint(static_cast<long double>(skala) * size / 100.0L);
    return units * 1000.0L / 40000.0L;
}

// A figure all of whose points lie within the joining tolerance of its first
// point: a LINE of zero length (where converters start a path) or what
// joining left of short pieces. Each would be planned and cut as a tiny
// extra path. Cross points are points on purpose.
bool IsSliver(const tfigura &figure, double tolerance)
{
    if (figure.crossPoint || figure.points.empty())
        return false;
    const TPlotPoint first = figure.points.front();
    return std::all_of(figure.points.begin(), figure.points.end(),
                       [&](TPlotPoint p) { return PointsWithinTolerance(first, p, tolerance); });
}

int DropSlivers(std::vector<tfigura> &figures, double tolerance)
{
    // The work is the visit to every figure's points: it is shared out, and
    // the rare sliver is then taken out in one pass.
    std::vector<std::uint8_t> sliver(figures.size(), 0);
    ParallelChunks(figures.size(), 16384, [&](std::size_t begin, std::size_t end) {
        for (std::size_t k = begin; k < end; ++k)
            sliver[k] = IsSliver(figures[k], tolerance) ? 1 : 0;
    });
    std::size_t kept = 0;
    for (std::size_t k = 0; k < figures.size(); ++k) {
        if (sliver[k])
            continue;
        if (kept != k)
            figures[kept] = std::move(figures[k]);
        ++kept;
    }
    const auto dropped = static_cast<int>(figures.size() - kept);
    figures.erase(figures.begin() + static_cast<std::ptrdiff_t>(kept), figures.end());
    return dropped;
}

TLoadOutcome OpenFailure(int code)
{
    TLoadOutcome outcome;
    outcome.status = TLoadStatus::OpenFailed;
    outcome.readerCode = code;
    if (code == Thpgl::NotPostScript) {
        outcome.message = {"Project_window", "obslugiwanyFormatAI"};
        outcome.caption = {"Universal", "nieprawidlowyFormatPliku"};
    } else if (code == Thpgl::UnsupportedFormat) {
        outcome.message = {"Project_window", "formatNieobslugiwany"};
        outcome.caption = {"Universal", "nieprawidlowyFormatPliku"};
    } else if (code == 32) {
        outcome.message = {"Project_window", "zbioruUzywaInnyProces"};
    } else {
        outcome.message = {"Universal", "zbioruNieMoznaOtworzyc"};
        outcome.messageNamesFile = true;
    }
    return outcome;
}

// The drawing could not be read to its end (a number that does not convert,
// a value beyond the plotter range, a read error): the project is not opened.
TLoadOutcome ReadFailure(const TReadError &error)
{
    TLoadOutcome outcome;
    outcome.status = TLoadStatus::ReadFailed;
    outcome.errorLine = static_cast<int>(error.line);
    outcome.errorText = error.text;
    outcome.errorWhat = error.what;
    if (error.kind == TReadError::Kind::Io) {
        outcome.message = {"Universal", "zbioruNieMoznaOtworzyc"};
        outcome.messageNamesFile = true;
    } else {
        outcome.message = {"Project_window", "bladOdczytuRysunku"};
    }
    return outcome;
}

// Reads the drawing to its end and hands each accepted figure, in reading
// order, to take(figure); take returns false to stop the reading early.
// False when the drawing could not be read on.
template<class Take> bool ReadAcceptedFigures(IDrawingSource &reader, std::uint8_t penFilter, Take &&take)
{
    tfigura figure;
    while (!reader.EndOfFile()) {
        if (!reader.ReadFigure(figure))
            return false;
        // A call that delivered no figure leaves the object to be used again.
        if (!figure.valid)
            continue;
        if (TProjectDocument::PenAccepted(figure.pen, penFilter) && !take(std::move(figure)))
            return true;
        figure = tfigura();
    }
    return true;
}

// A figure as read, with the parameters the reading thread worked out for it.
struct TReadFigure
{
    tfigura figure;
    TFigureParameters parameters;
};

// Figures passed from the thread that reads the drawing to the one that
// collects them, in batches and in reading order: parsing the file and
// joining and checking the figures take about as long as each other, so
// side by side a large drawing opens in little more than the longer of the
// two. The collector sees the figures in the same order as in one pass, so
// the list is the same.
//
// Which side is slower changes along a drawing (lines read quickly and cost
// the collector an index search each, arcs are many points to read and
// little to collect), so the reader may run far ahead: a short queue would
// stall it on the lines and starve the collector on the arcs. Queued
// figures are the drawing's own, held once; the bound only stops a reader
// whose collector has fallen half a million figures behind.
class TFigureFeed
{
public:
    static constexpr std::size_t BatchSize = 512;
    static constexpr std::size_t MostWaiting = 1024;

    // Reading side. False once the collecting side has stopped taking.
    bool Push(std::vector<TReadFigure> &&batch)
    {
        std::unique_lock lock(m_mutex);
        m_roomFreed.wait(lock, [this] { return m_abandoned || m_waiting.size() < MostWaiting; });
        if (m_abandoned)
            return false;
        m_waiting.push_back(std::move(batch));
        m_batchReady.notify_one();
        return true;
    }
    void Finish(bool readFailed, std::exception_ptr thrown)
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
        m_readFailed = readFailed;
        m_thrown = std::move(thrown);
        m_batchReady.notify_one();
    }

    // Collecting side. False when every batch has been taken.
    bool Pop(std::vector<TReadFigure> &batch)
    {
        std::unique_lock lock(m_mutex);
        m_batchReady.wait(lock, [this] { return m_finished || !m_waiting.empty(); });
        // Nothing more is worth collecting once the reading has failed.
        if (m_waiting.empty() || m_readFailed || m_thrown)
            return false;
        batch = std::move(m_waiting.front());
        m_waiting.pop_front();
        m_roomFreed.notify_one();
        return true;
    }
    void Abandon()
    {
        std::lock_guard lock(m_mutex);
        m_abandoned = true;
        m_roomFreed.notify_one();
    }
    // After the reading thread has ended.
    bool readFailed() const { return m_readFailed; }
    std::exception_ptr thrown() const { return m_thrown; }

private:
    std::mutex m_mutex;
    std::condition_variable m_batchReady;
    std::condition_variable m_roomFreed;
    std::deque<std::vector<TReadFigure>> m_waiting;
    bool m_finished = false;
    bool m_abandoned = false;
    bool m_readFailed = false;
    std::exception_ptr m_thrown;
};

// The reading thread of one load; leaving the scope, by return or by an
// exception of the collector, stops the reading and waits for the thread.
// It also works out each figure's parameters while its points are at hand,
// which takes that pass over every point off the collecting thread.
class TReadingThread
{
public:
    TReadingThread(TFigureFeed &feed, IDrawingSource &reader, std::uint8_t penFilter, double tolerance)
        : m_feed(feed)
        , m_thread([&feed, &reader, penFilter, tolerance] {
            bool failed = false;
            std::exception_ptr thrown;
            try {
                std::vector<TReadFigure> batch;
                batch.reserve(TFigureFeed::BatchSize);
                failed = !ReadAcceptedFigures(reader, penFilter, [&](tfigura &&figure) {
                    const TFigureParameters parameters = TProjectDocument::Parameters(figure, tolerance);
                    batch.push_back(TReadFigure{std::move(figure), parameters});
                    if (batch.size() < TFigureFeed::BatchSize)
                        return true;
                    const bool taken = feed.Push(std::move(batch));
                    batch = {};
                    batch.reserve(TFigureFeed::BatchSize);
                    return taken;
                });
                if (!batch.empty())
                    feed.Push(std::move(batch));
            } catch (...) {
                thrown = std::current_exception();
            }
            feed.Finish(failed, std::move(thrown));
        })
    { }
    TReadingThread(const TReadingThread &) = delete;
    TReadingThread &operator=(const TReadingThread &) = delete;
    ~TReadingThread() { Join(); }

    void Join()
    {
        if (!m_thread.joinable())
            return;
        m_feed.Abandon();
        m_thread.join();
    }

private:
    TFigureFeed &m_feed;
    std::thread m_thread;
};

// Reads the drawing into the collector; false when it could not be read to
// its end. Without a thread to be had the two run one after the other.
bool CollectDrawing(IDrawingSource &reader, std::uint8_t penFilter, double tolerance,
                    TFigureCollector &collector)
{
    TFigureFeed feed;
    std::optional<TReadingThread> reading;
    try {
        reading.emplace(feed, reader, penFilter, tolerance);
    } catch (const std::system_error &) {
        return ReadAcceptedFigures(reader, penFilter, [&](tfigura &&figure) {
            collector.Add(std::move(figure));
            return true;
        });
    }
    std::vector<TReadFigure> batch;
    while (feed.Pop(batch)) {
        for (TReadFigure &read : batch)
            collector.Add(std::move(read.figure), read.parameters);
    }
    reading->Join();
    if (feed.thrown())
        std::rethrow_exception(feed.thrown());
    return !feed.readFailed();
}

} // namespace

bool TProjectDocument::PenAccepted(std::uint8_t pen, std::uint8_t penFilter)
{
    // Pen 6 passes every filter.
    return penFilter == 255 || pen == penFilter || pen == 6;
}

void TProjectDocument::setSettings(const TProjectSettings &settings)
{
    m_settings = settings;
}

void TProjectDocument::SetFeedSigns()
{
    // "Left" feeds toward -x; "right" and "both ways" start toward +x.
    const std::int8_t sign = m_settings.CatDir == 1 ? -1 : 1;
    FeedSign = sign;
    SerialFeedSign = sign;
}

TLoadOutcome TProjectDocument::Load(IDrawingSource &reader, const std::string &fileName,
                                    std::uint8_t penFilter, const TProjectSettings &settings)
{
    m_settings = settings;
    Planned = false;
    PairedProfiles = false;
    FileName = fileName;
    SetFeedSigns();
    Figures.clear();

    if (const int code = reader.Open(fileName, ReaderKind); code != 0)
        return OpenFailure(code);

    TFigureCollector collector(m_settings.tolerance, m_settings.cbKrzyzToPunkt);
    if (!CollectDrawing(reader, penFilter, m_settings.tolerance, collector)) {
        const TReadError error = reader.ReadError();
        reader.Close();
        Figures.clear();
        return ReadFailure(error);
    }
    PassAngle = 100.0 * reader.PenWidth(1);
    reader.Close();

    Figures = collector.TakeFigures();
    const int dropped = DropSlivers(Figures, m_settings.tolerance);
    if (Figures.empty()) {
        TLoadOutcome outcome;
        outcome.status = TLoadStatus::Empty;
        outcome.message = {"Project_window", "zbiorPusty"};
        return outcome;
    }

    SetBoundsAfterLoad();
    MaxDepth = 0;
    SelectedFigure = -1;
    if (m_settings.cbKrzyzToPunkt)
        OrderLoadedFigures(*this);

    TLoadOutcome outcome;
    outcome.droppedFigures = dropped;
    outcome.tooLarge = projektZaDuzy();
    if (outcome.tooLarge)
        outcome.message = {"Main_window", "projektZaDuzy"};
    return outcome;
}

void TProjectDocument::SetBoundsAfterLoad()
{
    PK = {MinCoord, MinCoord};
    PP = {MaxCoord, MaxCoord};
    CrossMax = {MinCoord, MinCoord};
    AnyCrossPoint = false;
    for (const tfigura &f : Figures) {
        PK.x = std::max(PK.x, f.maxX);
        PK.y = std::max(PK.y, f.maxY);
        PP.x = std::min(PP.x, f.minX);
        PP.y = std::min(PP.y, f.minY);
        if (f.crossPoint) {
            AnyCrossPoint = true;
            CrossMax.x = std::max(CrossMax.x, f.maxX);
            CrossMax.y = std::max(CrossMax.y, f.maxY);
        }
    }
    ProjectWidth = SizeBetween(PP.x, PK.x);
    ProjectHeight = SizeBetween(PP.y, PK.y);
    CrossWidth = -1;
    CrossHeight = -1;
    if (m_settings.cbKrzyzToPunkt) {
        const TPlotPoint corner = CrossCorner();
        CrossWidth = SizeBetween(PP.x, corner.x);
        CrossHeight = SizeBetween(PP.y, corner.y);
    }
    for (auto &f : Figures)
        f.projectCorner = PP;
}

void TProjectDocument::licz_parametry(tfigura &figure, double tolerance)
{
    if (figure.points.empty()) {
        figure.valid = false;
        return;
    }
    SetParameters(figure, Parameters(figure, tolerance));
}

TFigureParameters TProjectDocument::Parameters(const tfigura &figure, double tolerance)
{
    const auto &points = figure.points;
    TFigureParameters parameters;
    std::int32_t minX = MaxCoord, minY = MaxCoord, maxX = MinCoord, maxY = MinCoord;
    std::array<std::int32_t, 4> extreme {0, 0, 0, 0}; // least x, greatest x, least y, greatest y
    for (std::size_t i = 0; i < points.size(); ++i) {
        // Strict comparisons: the earliest point reaching an extreme keeps it.
        const auto index = static_cast<std::int32_t>(i);
        if (points[i].x < minX) {
            minX = points[i].x;
            extreme[0] = index;
        }
        if (points[i].x > maxX) {
            maxX = points[i].x;
            extreme[1] = index;
        }
        if (points[i].y < minY) {
            minY = points[i].y;
            extreme[2] = index;
        }
        if (points[i].y > maxY) {
            maxY = points[i].y;
            extreme[3] = index;
        }
    }
    parameters.minX = minX;
    parameters.minY = minY;
    parameters.maxX = maxX;
    parameters.maxY = maxY;
    parameters.extremeVertices = extreme;
    parameters.open = points.size() <= 2 || !PointsWithinTolerance(points.back(), points.front(), tolerance);
    return parameters;
}

void TProjectDocument::SetParameters(tfigura &figure, const TFigureParameters &parameters)
{
    figure.width = SizeBetween(parameters.minX, parameters.maxX);
    figure.height = SizeBetween(parameters.minY, parameters.maxY);
    figure.minX = parameters.minX;
    figure.minY = parameters.minY;
    figure.maxX = parameters.maxX;
    figure.maxY = parameters.maxY;
    // Integer division truncates toward zero, as the planners expect.
    figure.centreX = static_cast<std::int32_t>((std::int64_t(parameters.minX) + parameters.maxX) / 2);
    figure.centreY = static_cast<std::int32_t>((std::int64_t(parameters.minY) + parameters.maxY) / 2);
    figure.extremeVertices = parameters.extremeVertices;
    figure.valid = true;
    figure.depth = 0;
    figure.open = parameters.open;
    figure.closed = !figure.open;
    figure.drawingFigure = true;
    figure.cut = true;
    figure.pending = true;
}

void TProjectDocument::AddFigure(tfigura figure)
{
    licz_parametry(figure);
    figure.drawingFigure = true;
    Figures.push_back(std::move(figure));
}

int TProjectDocument::AddLacznik(tfigura figure, bool closed)
{
    licz_parametry(figure);
    figure.closed = closed;
    figure.drawingFigure = false;
    Figures.push_back(std::move(figure));
    return static_cast<int>(Figures.size()) - 1;
}

void TProjectDocument::Ustaw_PPiPK()
{
    PK = {MinCoord, MinCoord};
    PP = {MaxCoord, MaxCoord};
    // A figure's number is its index in Figures.
    for (const tfigura &f : Figures) {
        PK.x = std::max(PK.x, f.maxX);
        PK.y = std::max(PK.y, f.maxY);
        PP.x = std::min(PP.x, f.minX);
        PP.y = std::min(PP.y, f.minY);
    }
}

bool TProjectDocument::projektZaDuzy() const
{
    const bool cross = m_settings.cbKrzyzToPunkt;
    const std::int32_t width = cross ? CrossWidth : ProjectWidth;
    const std::int32_t height = cross ? CrossHeight : ProjectHeight;
    if (ScaledMm(width, m_settings.skala) > m_settings.limitX)
        return true;
    return ScaledMm(height, m_settings.skala) > m_settings.limitY;
}

TProjectSizeMm TProjectDocument::ScaledSizeMm() const
{
    return {static_cast<double>(ScaledMm(ProjectWidth, m_settings.skala)),
            static_cast<double>(ScaledMm(ProjectHeight, m_settings.skala))};
}

double TProjectDocument::DajPoz1szegoWjazduWmat() const
{
    for (std::size_t i = 0; i < Figures.size(); ++i) {
        if (static_cast<std::int32_t>(i) == AxisFigure)
            continue;
        const auto &points = Figures[i].points;
        if (points.empty())
            return 0.0;
        switch (m_settings.StolikSwitch) {
        case 0: // spindle: along x
            return UnitsToMm(points.front().x);
        case 1: // rotary table: along y
            return UnitsToMm(points.front().y);
        default:
            return 0.0;
        }
    }
    return 0.0;
}
