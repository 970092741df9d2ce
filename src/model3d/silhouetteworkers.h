#pragma once

#include "model3d/silhouette.h"

#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

template<typename T> class QFutureWatcher;

// Rasterises the steps of a serial cut on worker threads, one per core, and hands the grids
// back on the owner's thread strictly in step order, so that whatever follows a step (tracing,
// its project, the view's turn) runs as if the steps had been rasterised one after another.
//
// Every worker takes its own copy of what it reads (the shared immutable model, the angle,
// the grid size) and makes its own grid. At most max(1, 1 GiB / grid size) grids are in
// flight, made or being made, until the owner takes them.
class TSilhouetteWorkers : public QObject
{
    Q_OBJECT
public:
    using Rasterizer = std::function<tpix2d(const TModelData &model, double angle, TSilhouetteSize size,
                                            double pixelSize, const TStopRequest &stop)>;

    // threads 0: one per core.
    explicit TSilhouetteWorkers(int threads = 0, QObject *parent = nullptr);
    // Stops every worker and waits for them.
    ~TSilhouetteWorkers() override;

    // RasterizeStep unless replaced (a test holds a worker at a latch).
    void setRasterizer(Rasterizer rasterizer) { m_rasterizer = std::move(rasterizer); }

    // Starts a generation over the steps' angles in order. A generation still running is
    // cancelled first.
    void start(ModelHandle model, std::vector<double> angles, TSilhouetteSize size, double pixelSize);
    // The grid of the next step in order once its worker has finished, else nothing.
    std::optional<tpix2d> takeNext();
    // Index (from 0) of the step takeNext() gives next.
    std::size_t nextStep() const { return m_nextDeliver; }

    // Asks the workers of the current generation to stop; what they still deliver is dropped.
    void cancel();
    // A worker of this or an earlier generation has not ended yet.
    bool busy() const { return m_running > 0; }
    static std::size_t gridsInFlightLimit(TSilhouetteSize size);

signals:
    // takeNext() has a grid.
    void gridReady();
    // The last running worker has ended.
    void idle();

private:
    struct Generation
    {
        std::atomic<bool> stop {false};
    };

    void submitMore();
    void finished(QFutureWatcher<tpix2d> *watcher, std::uint64_t generation, std::size_t step);

    QThreadPool m_pool;
    Rasterizer m_rasterizer;
    std::shared_ptr<Generation> m_generation;
    std::atomic<std::uint64_t> m_generationNumber {0};
    ModelHandle m_model;
    std::vector<double> m_angles;
    TSilhouetteSize m_size;
    double m_pixelSize = SilhouettePixelSize;
    std::size_t m_limit = 1;
    std::size_t m_nextSubmit = 0;
    std::size_t m_nextDeliver = 0;
    std::map<std::size_t, tpix2d> m_ready;
    int m_running = 0;
};
