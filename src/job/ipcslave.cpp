#include "job/ipcslave.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr int OffsetPointX = 0;
constexpr int OffsetPointY = 8;
constexpr int OffsetFirstValue = 16;
constexpr int OffsetSecondValue = 24;
constexpr int OffsetProjectWidth = 32;
constexpr int OffsetProjectHeight = 40;

// The block is opened for each call and released when this goes out of scope.
class MappedBlock
{
public:
    explicit MappedBlock(const std::string &name)
    {
        // Never O_CREAT: the block belongs to the companion.
        const int fd = ::shm_open(name.c_str(), O_RDWR, 0);
        if (fd < 0)
            return;
        struct stat info
        {
        };
        if (::fstat(fd, &info) == 0 && info.st_size >= TCompanionLink::BlockSize) {
            void *view
                = ::mmap(nullptr, TCompanionLink::BlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
            if (view != MAP_FAILED)
                m_view = static_cast<unsigned char *>(view);
        }
        ::close(fd);
    }
    ~MappedBlock()
    {
        if (m_view)
            ::munmap(m_view, TCompanionLink::BlockSize);
    }
    MappedBlock(const MappedBlock &) = delete;
    MappedBlock &operator=(const MappedBlock &) = delete;

    bool isOpen() const { return m_view != nullptr; }

    double readDouble(int offset) const
    {
        std::uint64_t bits = 0;
        for (int i = 7; i >= 0; --i)
            bits = (bits << 8) | m_view[offset + i];
        return std::bit_cast<double>(bits);
    }

    void writeDouble(int offset, double value)
    {
        auto bits = std::bit_cast<std::uint64_t>(value);
        for (int i = 0; i < 8; ++i) {
            m_view[offset + i] = static_cast<unsigned char>(bits & 0xFF);
            bits >>= 8;
        }
    }

private:
    unsigned char *m_view = nullptr;
};

} // namespace

TCompanionLink::TCompanionLink(std::string blockName)
    : m_blockName(std::move(blockName))
{ }

TCompanionData TCompanionLink::ReadCompanionData() const
{
    TCompanionData data;
    MappedBlock block(m_blockName);
    if (!block.isOpen())
        return data;
    data.point.x = block.readDouble(OffsetPointX);
    data.point.y = block.readDouble(OffsetPointY);
    data.firstValue = block.readDouble(OffsetFirstValue);
    data.secondValue = block.readDouble(OffsetSecondValue);
    return data;
}

bool TCompanionLink::WriteProjectSize(double widthMm, double heightMm) const
{
    MappedBlock block(m_blockName);
    if (!block.isOpen())
        return false;
    block.writeDouble(OffsetProjectWidth, widthMm);
    block.writeDouble(OffsetProjectHeight, heightMm);
    return true;
}

void ReadCompanionData(TCompanionPoint &point, double &firstValue, double &secondValue)
{
    const TCompanionData data = TCompanionLink().ReadCompanionData();
    point = data.point;
    firstValue = data.firstValue;
    secondValue = data.secondValue;
}

void WriteProjectSize(double widthMm, double heightMm)
{
    TCompanionLink().WriteProjectSize(widthMm, heightMm);
}
