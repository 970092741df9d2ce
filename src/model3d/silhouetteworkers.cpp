#include "model3d/silhouetteworkers.h"

#include <QFutureWatcher>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

TSilhouetteWorkers::TSilhouetteWorkers(int threads, QObject *parent)
    : QObject(parent)
    , m_rasterizer(RasterizeStep)
{
    m_pool.setMaxThreadCount(threads > 0 ? threads : std::max(1, QThread::idealThreadCount()));
}

TSilhouetteWorkers::~TSilhouetteWorkers()
{
    cancel();
    m_pool.waitForDone();
}

std::size_t TSilhouetteWorkers::gridsInFlightLimit(TSilhouetteSize size)
{
    constexpr std::int64_t budget = std::int64_t(1) << 30;
    return std::size_t(std::max<std::int64_t>(1, budget / std::max<std::int64_t>(1, size.cells())));
}

void TSilhouetteWorkers::start(ModelHandle model, std::vector<double> angles, TSilhouetteSize size,
                               double pixelSize)
{
    cancel();
    m_generation = std::make_shared<Generation>();
    m_model = std::move(model);
    m_angles = std::move(angles);
    m_size = size;
    m_pixelSize = pixelSize;
    m_limit = gridsInFlightLimit(size);
    m_nextSubmit = 0;
    m_nextDeliver = 0;
    m_ready.clear();
    submitMore();
}

void TSilhouetteWorkers::cancel()
{
    if (m_generation)
        m_generation->stop = true;
    m_generation.reset();
    ++m_generationNumber;
    m_model.reset();
    m_angles.clear();
    m_ready.clear();
    m_nextSubmit = 0;
    m_nextDeliver = 0;
}

void TSilhouetteWorkers::submitMore()
{
    if (!m_generation)
        return;
    while (m_nextSubmit < m_angles.size() && m_nextSubmit - m_nextDeliver < m_limit) {
        const std::size_t step = m_nextSubmit++;
        auto *watcher = new QFutureWatcher<tpix2d>(this);
        const std::uint64_t generation = m_generationNumber;
        connect(watcher, &QFutureWatcherBase::finished, this,
                [this, watcher, generation, step] { finished(watcher, generation, step); });
        ++m_running;
        // The worker holds its own copies: the model stays alive while it reads it, and the
        // stop flag while it asks it, whatever the owner starts or cancels meanwhile.
        watcher->setFuture(
            QtConcurrent::run(&m_pool,
                              [rasterize = m_rasterizer, model = m_model, generationState = m_generation,
                               angle = m_angles[step], size = m_size, pixelSize = m_pixelSize] {
                                  const TStopRequest stop = [&generationState] {
                                      return generationState->stop.load(std::memory_order_relaxed);
                                  };
                                  return rasterize(*model, angle, size, pixelSize, stop);
                              }));
    }
}

void TSilhouetteWorkers::finished(QFutureWatcher<tpix2d> *watcher, std::uint64_t generation, std::size_t step)
{
    --m_running;
    QFuture<tpix2d> future = watcher->future();
    watcher->deleteLater();
    const bool current = generation == m_generationNumber;
    if (current && future.resultCount() > 0)
        m_ready.emplace(step, future.takeResult());
    future = {};
    if (current && m_ready.count(m_nextDeliver))
        emit gridReady();
    if (m_running == 0)
        emit idle();
}

std::optional<tpix2d> TSilhouetteWorkers::takeNext()
{
    auto next = m_ready.find(m_nextDeliver);
    if (next == m_ready.end())
        return std::nullopt;
    tpix2d grid = std::move(next->second);
    m_ready.erase(next);
    ++m_nextDeliver;
    submitMore();
    return grid;
}
