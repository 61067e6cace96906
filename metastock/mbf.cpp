#include "metastock/mbf.h"

#include <bit>

namespace {

constexpr unsigned kIeeeExponentOfTwoTo127 = 254;

void WriteZero(std::uint8_t* destination)
{
    destination[0] = destination[1] = destination[2] = destination[3] = 0;
}

}  // namespace

void IeeeToMbf(const std::uint8_t* source, std::uint8_t* destination)
{
    const std::uint8_t b0 = source[0], b1 = source[1], b2 = source[2], b3 = source[3];
    const unsigned sign = b3 & 0x80u;
    const unsigned exponent = ((b3 << 1) & 0xFFu) | (b2 >> 7);
    const bool mantissaZero = b0 == 0 && b1 == 0 && (b2 & 0x7Fu) == 0;
    const bool nan = exponent == 0xFF && !mantissaZero;
    if (exponent == 0 || nan) {  // zeros, subnormals, NaN
        WriteZero(destination);
        return;
    }
    if (exponent >= kIeeeExponentOfTwoTo127) {  // too large for MBF: clamp
        destination[0] = 0xFF;
        destination[1] = 0xFF;
        destination[2] = static_cast<std::uint8_t>(0x7Fu | sign);
        destination[3] = 0xFF;
        return;
    }
    destination[0] = b0;
    destination[1] = b1;
    destination[2] = static_cast<std::uint8_t>((b2 & 0x7Fu) | sign);
    destination[3] = static_cast<std::uint8_t>(exponent + 2);
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

MbfSingle FloatToMbf(float value)
{
    const auto bits = std::bit_cast<std::uint32_t>(value);
    MbfSingle bytes{static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                    static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
    IeeeToMbf(bytes.data(), bytes.data());
    return bytes;
}

float MbfToFloat(const MbfSingle& mbf)
{
    MbfSingle ieee{};
    MbfToIeee(mbf.data(), ieee.data());
    const std::uint32_t bits = ieee[0] | (ieee[1] << 8) | (ieee[2] << 16) | (std::uint32_t{ieee[3]} << 24);
    return std::bit_cast<float>(bits);
}
