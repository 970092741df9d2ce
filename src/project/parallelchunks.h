#pragma once

// Work over many figures whose results do not depend on each other (vertex
// records, neighbour slots, containment tests), shared out in contiguous
// chunks to a few threads for the length of one call. Each chunk writes only
// what belongs to its own items, so the result is the same as one pass.

#include <algorithm>
#include <cstddef>
#include <thread>
#include <vector>

// Calls work(begin, end) over [0, count) in chunks of at least `grain` items.
template<class Work> void ParallelChunks(std::size_t count, std::size_t grain, Work &&work)
{
    constexpr std::size_t MostThreads = 8;
    const std::size_t cores = std::max(1U, std::thread::hardware_concurrency());
    const std::size_t threads = std::min({cores, MostThreads, count / std::max<std::size_t>(1, grain)});
    if (threads <= 1) {
        work(std::size_t {0}, count);
        return;
    }
    const std::size_t chunk = (count + threads - 1) / threads;
    std::vector<std::thread> helpers;
    helpers.reserve(threads - 1);
    for (std::size_t t = 1; t < threads; ++t) {
        const std::size_t begin = t * chunk;
        const std::size_t end = std::min(count, begin + chunk);
        if (begin < end)
            helpers.emplace_back([&work, begin, end] { work(begin, end); });
    }
    work(std::size_t {0}, std::min(count, chunk));
    for (std::thread &helper : helpers)
        helper.join();
}
