#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

// A block of the given size under a name no other test run uses; removed at
// the end of the test. It plays the companion's part.
class CompanionBlock
{
public:
    explicit CompanionBlock(off_t size)
        : m_name("/PrentavikTest_" + std::to_string(::getpid()) + "_" + std::to_string(s_counter++))
        , m_size(size)
    {
        const int fd = ::shm_open(m_name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(::ftruncate(fd, size), 0);
        ::close(fd);
    }
    ~CompanionBlock() { ::shm_unlink(m_name.c_str()); }

    const std::string &name() const { return m_name; }

    std::array<unsigned char, 64> bytes() const
    {
        std::array<unsigned char, 64> out {};
        withView([&](unsigned char *view) { std::memcpy(out.data(), view, m_size); });
        return out;
    }
    void fill(unsigned char value)
    {
        withView([&](unsigned char *view) { std::memset(view, value, m_size); });
    }
    void putDouble(int offset, double value)
    {
        auto bits = std::bit_cast<std::uint64_t>(value);
        withView([&](unsigned char *view) {
            for (int i = 0; i < 8; ++i, bits >>= 8)
                view[offset + i] = static_cast<unsigned char>(bits & 0xFF);
        });
    }

private:
    template<typename F> void withView(F f) const
    {
        const int fd = ::shm_open(m_name.c_str(), O_RDWR, 0);
        ASSERT_GE(fd, 0);
        void *view = ::mmap(nullptr, m_size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        ::close(fd);
        ASSERT_NE(view, MAP_FAILED);
        f(static_cast<unsigned char *>(view));
        ::munmap(view, m_size);
    }

    static inline int s_counter = 0;
    std::string m_name;
    off_t m_size;
};
