#include "metastock/mbf.h"

#include <bit>

namespace metastock {

namespace {

void WriteZero(std::uint8_t* destination)
{
    destination[0] = destination[1] = destination[2] = destination[3] = 0;
}

}  // namespace

void IeeeToMbf(const std::uint8_t* source, std::uint8_t* destination)
{
    const std::uint32_t ieee = source[0] | (source[1] << 8) | (source[2] << 16) | (std::uint32_t{source[3]} << 24);
    const std::uint32_t mbf = IeeeBitsToMbfBits(ieee);
    for (int i = 0; i < 4; ++i)
        destination[i] = static_cast<std::uint8_t>(mbf >> (8 * i));
}

void MbfToIeee(const std::uint8_t* source, std::uint8_t* destination)
{
    const std::uint8_t b0 = source[0], b1 = source[1], b2 = source[2], b3 = source[3];
    if (b3 <= 2) {
        WriteZero(destination);
        return;
    }
    const unsigned exponent = b3 - 2u;
    const unsigned sign = b2 & 0x80u;
    destination[0] = b0;
    destination[1] = b1;
    destination[2] = static_cast<std::uint8_t>((b2 & 0x7Fu) | ((exponent & 1u) << 7));
    destination[3] = static_cast<std::uint8_t>((exponent >> 1) | sign);
}

float MbfToFloat(const MbfSingle& mbf)
{
    MbfSingle ieee{};
    MbfToIeee(mbf.data(), ieee.data());
    const std::uint32_t bits = ieee[0] | (ieee[1] << 8) | (ieee[2] << 16) | (std::uint32_t{ieee[3]} << 24);
    return std::bit_cast<float>(bits);
}

}  // namespace metastock
