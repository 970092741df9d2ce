#include "companionblock.h"
#include "job/ipcslave.h"

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

namespace {

std::array<unsigned char, 8> littleEndian(double value)
{
    std::array<unsigned char, 8> out {};
    auto bits = std::bit_cast<std::uint64_t>(value);
    for (auto &b : out) {
        b = static_cast<unsigned char>(bits & 0xFF);
        bits >>= 8;
    }
    return out;
}

void expectNoData(const TCompanionData &data)
{
    EXPECT_EQ(data.point.x, -1.0);
    EXPECT_EQ(data.point.y, -1.0);
    EXPECT_EQ(data.firstValue, -1.0);
    EXPECT_EQ(data.secondValue, -1.0);
}

} // namespace

TEST(CompanionLink, MissingBlockReadsMinusOneEverywhereAndDropsWrites)
{
    const TCompanionLink link("/PrentavikTest_missing_" + std::to_string(::getpid()));
    expectNoData(link.ReadCompanionData());
    EXPECT_FALSE(link.WriteProjectSize(10.0, 20.0));
    // The write must not have created the block.
    const int fd = ::shm_open(link.blockName().c_str(), O_RDONLY, 0);
    EXPECT_LT(fd, 0);
    if (fd >= 0)
        ::close(fd);
}

TEST(CompanionLink, BlockShorterThanTheLayoutCountsAsMissing)
{
    CompanionBlock block(40);
    block.fill(0x5A);
    const TCompanionLink link(block.name());
    expectNoData(link.ReadCompanionData());
    EXPECT_FALSE(link.WriteProjectSize(1.0, 2.0));
    const auto bytes = block.bytes();
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(bytes[i], 0x5A) << "byte " << i;
}

TEST(CompanionLink, ReadsTheCompanionsFourValues)
{
    CompanionBlock block(48);
    block.putDouble(0, 125.5);
    block.putDouble(8, -3.25);
    block.putDouble(16, 8.0);
    block.putDouble(24, 0.0);
    const TCompanionData data = TCompanionLink(block.name()).ReadCompanionData();
    EXPECT_EQ(data.point.x, 125.5);
    EXPECT_EQ(data.point.y, -3.25);
    EXPECT_EQ(data.firstValue, 8.0);
    EXPECT_EQ(data.secondValue, 0.0);
}

TEST(CompanionLink, ProjectSizeGoesToBytes32To47AndNothingElse)
{
    CompanionBlock block(64);
    block.fill(0xA5);
    ASSERT_TRUE(TCompanionLink(block.name()).WriteProjectSize(1234.75, -1.0));
    const auto bytes = block.bytes();
    const auto width = littleEndian(1234.75);
    const auto height = littleEndian(-1.0);
    for (int i = 0; i < 64; ++i) {
        SCOPED_TRACE(i);
        if (i >= 32 && i < 40)
            EXPECT_EQ(bytes[i], width[i - 32]);
        else if (i >= 40 && i < 48)
            EXPECT_EQ(bytes[i], height[i - 40]);
        else
            EXPECT_EQ(bytes[i], 0xA5);
    }
}

TEST(CompanionLink, WrittenSizeDoesNotDisturbTheCompanionsValues)
{
    CompanionBlock block(48);
    block.putDouble(16, 4.5);
    const TCompanionLink link(block.name());
    link.WriteProjectSize(-1.0, -1.0);
    EXPECT_EQ(link.ReadCompanionData().firstValue, 4.5);
}
