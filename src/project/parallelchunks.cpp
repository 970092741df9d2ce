#include "project/parallelchunks.h"

#include <chrono>
#include <cstdint>
#include <sys/mman.h>
#include <system_error>
#include <unistd.h>

namespace {

void Relax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

// Pieces come a few tens of microseconds apart: waiting that long awake
// spares the wake-up, beyond it the thread sleeps.
constexpr int SpinsBeforeSleep = 20000;

} // namespace

void KeepRelease(std::future<void> release)
{
    // Those over are dropped as the next comes; the rest are waited for as
    // the list goes, when the program ends.
    static std::mutex held;
    static std::vector<std::future<void>> pending;
    const std::lock_guard lock(held);
    std::erase_if(pending, [](const std::future<void> &f) {
        return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    });
    pending.push_back(std::move(release));
}

void PrepareRoom(const void *begin, const void *end)
{
#ifdef MADV_POPULATE_WRITE
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(begin) + page - 1) / page * page;
    const std::uintptr_t last = reinterpret_cast<std::uintptr_t>(end) / page * page;
    if (last <= first)
        return;
    // A few hundred pages for each thread at least: below that, starting it
    // costs more than the pages. A kernel without the request leaves the
    // pages to the writer, as before.
    constexpr std::size_t Pages = 256;
    const std::size_t pages = (last - first) / page;
    if (parallelchunks::ThreadsFor(pages, Pages) <= 1)
        return;
    ParallelChunks(pages, Pages, [&](std::size_t from, std::size_t to) {
        madvise(reinterpret_cast<void *>(first + from * page), (to - from) * page, MADV_POPULATE_WRITE);
    });
#else
    (void)begin;
    (void)end;
#endif
}

HelperGang::HelperGang(std::size_t helpers)
{
    for (std::size_t t = 1; t <= helpers; ++t) {
        try {
            m_threads.emplace_back([this, t] { serve(t); });
        } catch (const std::system_error &) {
            break; // no more threads to be had: fewer share the work
        }
    }
}

HelperGang::~HelperGang()
{
    m_quit = true;
    m_round.fetch_add(1, std::memory_order_release);
    m_round.notify_all();
    for (std::thread &thread : m_threads)
        thread.join();
}

void HelperGang::runErased(void (*call)(void *, std::size_t), void *share)
{
    if (m_threads.empty()) {
        call(share, 0);
        return;
    }
    m_call = call;
    m_share = share;
    m_left.store(static_cast<std::uint32_t>(m_threads.size()), std::memory_order_relaxed);
    m_round.fetch_add(1, std::memory_order_release);
    m_round.notify_all();
    std::exception_ptr failure;
    try {
        call(share, 0);
    } catch (...) {
        failure = std::current_exception();
    }
    for (int spin = 0;; ++spin) {
        const std::uint32_t left = m_left.load(std::memory_order_acquire);
        if (left == 0)
            break;
        if (spin < SpinsBeforeSleep)
            Relax();
        else
            m_left.wait(left, std::memory_order_acquire);
    }
    if (!failure) {
        const std::lock_guard lock(m_failureLock);
        std::swap(failure, m_failure);
    }
    if (failure)
        std::rethrow_exception(failure);
}

void HelperGang::serve(std::size_t t)
{
    std::uint32_t seen = 0;
    for (;;) {
        std::uint32_t round = m_round.load(std::memory_order_acquire);
        for (int spin = 0; round == seen; ++spin) {
            if (spin < SpinsBeforeSleep)
                Relax();
            else
                m_round.wait(seen, std::memory_order_acquire);
            round = m_round.load(std::memory_order_acquire);
        }
        seen = round;
        if (m_quit)
            return;
        try {
            m_call(m_share, t);
        } catch (...) {
            const std::lock_guard lock(m_failureLock);
            if (!m_failure)
                m_failure = std::current_exception();
        }
        if (m_left.fetch_sub(1, std::memory_order_acq_rel) == 1)
            m_left.notify_one();
    }
}
