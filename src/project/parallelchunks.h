#pragma once

// Work over many figures whose results do not depend on each other (vertex
// records, neighbour slots, containment tests), shared out in contiguous
// chunks to a few threads for the length of one call. Each chunk writes only
// what belongs to its own items, so the result is the same as one pass.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <future>
#include <mutex>
#include <system_error>
#include <thread>
#include <type_traits>
#include <vector>

namespace parallelchunks {

constexpr std::size_t MostThreads = 8;

// How many threads share a work of this weight, each at least `grain`.
inline std::size_t ThreadsFor(std::size_t weight, std::size_t grain)
{
    const std::size_t cores = std::max(1U, std::thread::hardware_concurrency());
    return std::min({cores, MostThreads, weight / std::max<std::size_t>(1, grain)});
}

// Calls work(cut[t], cut[t + 1]) for every t, the first on this thread.
template<class Work> void RunCuts(const std::vector<std::size_t> &cut, Work &work)
{
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t + 1 < cut.size(); ++t) {
        if (cut[t] == cut[t + 1])
            continue;
        try {
            helpers.emplace_back([&work, begin = cut[t], end = cut[t + 1]] { work(begin, end); });
        } catch (const std::system_error &) {
            work(cut[t], cut[t + 1]); // no thread to be had: this one does the chunk
        }
    }
    work(cut[0], cut[1]);
    for (std::thread &helper : helpers)
        helper.join();
}

// [0, count) in `threads` runs of equal length.
inline std::vector<std::size_t> EvenCuts(std::size_t count, std::size_t threads)
{
    std::vector<std::size_t> cut {0};
    for (std::size_t t = 1; t < threads; ++t)
        cut.push_back(count / threads * t);
    cut.push_back(count);
    return cut;
}

} // namespace parallelchunks

// Calls work(begin, end) over [0, count) in chunks of items of about equal
// total weight(k), each chunk at least `grain` of weight.
template<class Weight, class Work>
void ParallelChunksByWeight(std::size_t count, Weight &&weight, std::size_t grain, Work &&work)
{
    using namespace parallelchunks;
    std::vector<std::size_t> total(count + 1, 0);
    // A weight reads its item's record, and the records of a large drawing
    // lie all over memory: they are read on a few threads, then summed.
    constexpr std::size_t WeighedApart = 8192; // items, at least, for each thread
    const auto weigh = [&](std::size_t begin, std::size_t end) {
        for (std::size_t k = begin; k < end; ++k)
            total[k + 1] = weight(k);
    };
    const std::size_t weighers = ThreadsFor(count, WeighedApart);
    if (weighers > 1)
        RunCuts(EvenCuts(count, weighers), weigh);
    else
        weigh(0, count);
    for (std::size_t k = 0; k < count; ++k)
        total[k + 1] += total[k];
    const std::size_t threads = ThreadsFor(total.back(), grain);
    if (threads <= 1) {
        work(std::size_t {0}, count);
        return;
    }
    std::vector<std::size_t> cut {0};
    for (std::size_t t = 1; t < threads; ++t) {
        const std::size_t share = total.back() / threads * t;
        const auto at
            = static_cast<std::size_t>(std::lower_bound(total.begin(), total.end(), share) - total.begin());
        cut.push_back(std::clamp(at, cut.back(), count));
    }
    cut.push_back(count);
    RunCuts(cut, work);
}

// The same over items of equal work: chunks of at least `grain` items.
template<class Work> void ParallelChunks(std::size_t count, std::size_t grain, Work &&work)
{
    using namespace parallelchunks;
    const std::size_t threads = ThreadsFor(count, grain);
    if (threads <= 1) {
        work(std::size_t {0}, count);
        return;
    }
    RunCuts(EvenCuts(count, threads), work);
}

// Keeps a release running until it is over or the program ends.
void KeepRelease(std::future<void> release);

// Frees what it is given on a thread of its own, beside the work that
// follows: giving back the memory of a large drawing's figures or trees takes
// tens of milliseconds the caller need not wait for. What is still being
// freed when the program ends is waited for then.
template<class T> void ReleaseBeside(T object)
{
    std::future<void> release;
    try {
        release = std::async(std::launch::async,
                             [object = std::move(object)]() mutable { const T gone = std::move(object); });
    } catch (const std::system_error &) {
        return; // no thread to be had: it went with the task, here
    }
    KeepRelease(std::move(release));
}

// Makes the fresh memory of [begin, end) ready to be written, on a few
// threads, before one thread writes all of it: the first write to each page
// otherwise stops that thread once a page. Nothing it holds is read or
// changed.
void PrepareRoom(const void *begin, const void *end);

// Sizes a list of many items to count, its memory made ready first as above.
template<class T> void ResizeInPreparedRoom(std::vector<T> &list, std::size_t count)
{
    if (count > list.size()) {
        list.reserve(count);
        const auto *room = reinterpret_cast<const char *>(list.data());
        PrepareRoom(room + list.size() * sizeof(T), room + count * sizeof(T));
    }
    list.resize(count);
}

// A few threads kept for a loop that shares out many short pieces of work one
// after another (the searches of one strategy run): starting threads for each
// piece would cost more than the piece.
class HelperGang
{
public:
    // With up to `helpers` threads besides the caller's.
    explicit HelperGang(std::size_t helpers);
    ~HelperGang();
    HelperGang(const HelperGang &) = delete;
    HelperGang &operator=(const HelperGang &) = delete;

    // The threads a piece is shared out to, the caller's among them.
    std::size_t size() const { return m_threads.size() + 1; }

    // Calls share(t) once for each t in [0, size()), share(0) on this thread,
    // and returns when every call has; what a call threw is thrown here.
    template<class Share> void run(Share &&share)
    {
        using Type = std::remove_reference_t<Share>;
        runErased([](void *s, std::size_t t) { (*static_cast<Type *>(s))(t); }, &share);
    }

private:
    void runErased(void (*call)(void *, std::size_t), void *share);
    void serve(std::size_t t);

    void (*m_call)(void *, std::size_t) = nullptr;
    void *m_share = nullptr;
    std::atomic<std::uint32_t> m_round {0};
    std::atomic<std::uint32_t> m_left {0};
    bool m_quit = false;
    std::mutex m_failureLock;
    std::exception_ptr m_failure;
    std::vector<std::thread> m_threads;
};
