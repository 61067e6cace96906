// The 4-byte Microsoft Binary Format in which every value and date is stored.

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "metastock/mbf.h"
#include "support/temp_dir.h"

using namespace metastock;

namespace {

static_assert(std::endian::native == std::endian::little, "the tests spell IEEE singles as they lie in memory");
using Bytes = std::array<std::uint8_t, 4>;

Bytes Ieee(std::uint32_t bits) { return std::bit_cast<Bytes>(bits); }
Bytes Ieee(float value) { return std::bit_cast<Bytes>(value); }

// In place, as the converter uses them.
Bytes ToMbf(Bytes bytes)
{
    IeeeToMbf(bytes.data(), bytes.data());
    return bytes;
}

Bytes ToIeee(Bytes bytes)
{
    MbfToIeee(bytes.data(), bytes.data());
    return bytes;
}

}  // namespace

TEST(Mbf, WorkedValuesConvertBothWays)
{
    const struct {
        float value;
        const char* szIeee;
        const char* szMbf;
    } cases[] = {
        {1.0f, "00 00 80 3F", "00 00 00 81"},    {-1.0f, "00 00 80 BF", "00 00 80 81"},
        {0.5f, "00 00 00 3F", "00 00 00 80"},    {100.0f, "00 00 C8 42", "00 00 48 87"},
        {12.375f, "00 00 46 41", "00 00 46 84"}, {-27.25f, "00 00 DA C1", "00 00 DA 85"},
        {1234.5f, "00 50 9A 44", "00 50 1A 8B"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Hex(Ieee(c.value)), c.szIeee) << c.value;
        EXPECT_EQ(Hex(ToMbf(Ieee(c.value))), c.szMbf) << c.value;
        EXPECT_EQ(Hex(ToIeee(ToMbf(Ieee(c.value)))), c.szIeee) << c.value;
        Bytes separate{};
        IeeeToMbf(Ieee(c.value).data(), separate.data());
        EXPECT_EQ(Hex(separate), c.szMbf) << c.value << " into other bytes";
    }
}

TEST(Mbf, ZerosNanAndValuesBelowTheNormalRangeAreZero)
{
    // +0.0, -0.0, quiet, negative and signalling NaN, the smallest and a negative subnormal.
    for (std::uint32_t bits :
         {0x00000000u, 0x80000000u, 0x7FC00000u, 0xFFC00001u, 0x7F800001u, 0x00000001u, 0x807FFFFFu})
        EXPECT_EQ(Hex(ToMbf(Ieee(bits))), "00 00 00 00") << std::hex << bits;
    // Exponent byte 0 means zero whatever the other bytes hold; 1 and 2 have no normal IEEE form.
    for (const Bytes& mbf :
         {Bytes{0x12, 0x34, 0xD6, 0x00}, Bytes{0xFF, 0xFF, 0xFF, 0x00}, Bytes{0x12, 0x34, 0x80, 0x01},
          Bytes{0xFF, 0xFF, 0xFF, 0x02}})
        EXPECT_EQ(Hex(ToIeee(mbf)), "00 00 00 00") << Hex(mbf);
}

TEST(Mbf, EveryNormalExponentUpTo253SurvivesTheRoundTripBitForBit)
{
    for (std::uint32_t exponent = 1; exponent <= 253; ++exponent)
        for (std::uint32_t mantissa : {0x000000u, 0x000001u, 0x2AAAAAu, 0x400000u, 0x7FFFFFu})
            for (std::uint32_t sign : {0u, 0x80000000u}) {
                const Bytes ieee = Ieee(sign | exponent << 23 | mantissa);
                const Bytes mbf = ToMbf(ieee);
                ASSERT_EQ(mbf[3], exponent + 2) << "MBF exponent of " << Hex(ieee);
                ASSERT_EQ(mbf[2] & 0x80, sign ? 0x80 : 0) << "MBF sign of " << Hex(ieee);
                ASSERT_EQ(Hex(ToIeee(mbf)), Hex(ieee)) << "round trip through " << Hex(mbf);
            }
}

TEST(Mbf, MagnitudesBeyondTheMbfRangeBecomeTheLargestWithTheirSign)
{
    const float largest = std::ldexp(2.0f - std::ldexp(1.0f, -23), 126);
    const float huge = std::numeric_limits<float>::max(), infinity = std::numeric_limits<float>::infinity();
    for (float value : {std::ldexp(1.0f, 127), huge, -huge, infinity, -infinity}) {
        const Bytes mbf = ToMbf(Ieee(value));
        EXPECT_EQ(Hex(mbf), value > 0 ? "FF FF 7F FF" : "FF FF FF FF") << value;
        EXPECT_EQ(MbfToFloat(mbf), std::copysign(largest, value)) << value;
    }
}
