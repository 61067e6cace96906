#pragma once
// Microsoft Binary Format singles: the 4-byte form in which MetaStock files hold every value and date.

#include <array>
#include <bit>
#include <cstdint>

namespace metastock {

// An MBF single as it lies on disk, byte 0 first.
using MbfSingle = std::array<std::uint8_t, 4>;

// Converts the IEEE single at source (4 bytes, little-endian) into the MBF single at destination.
// Source and destination may be the same bytes. Zeros, NaN and IEEE subnormals become zero (four 0 bytes);
// magnitudes of 2^127 and above, infinities included, have no MBF form and become the largest MBF
// magnitude with their sign.
void IeeeToMbf(const std::uint8_t* source, std::uint8_t* destination);

// The reverse. An exponent byte of 0 gives +0.0; exponent bytes 1 and 2 lie below the normal IEEE
// range and give +0.0 too.
void MbfToIeee(const std::uint8_t* source, std::uint8_t* destination);

// The same conversions on a value's bits: IEEE sign 31, exponent 30..23, mantissa 22..0; MBF exponent
// 31..24, sign 23, mantissa 22..0.
constexpr std::uint32_t IeeeBitsToMbfBits(std::uint32_t ieee)
{
    const std::uint32_t exponent = (ieee >> 23) & 0xFFu;
    const std::uint32_t sign = ieee >> 31;
    const std::uint32_t mantissa = ieee & 0x7FFFFFu;
    if (exponent == 0 || (exponent == 0xFF && mantissa != 0))  // zeros, subnormals, NaN
        return 0;
    if (exponent >= 254)  // 2^127 and above have no MBF form: the largest MBF magnitude
        return 0xFF7FFFFFu | (sign << 23);
    return ((exponent + 2) << 24) | (sign << 23) | mantissa;
}

inline MbfSingle FloatToMbf(float value)
{
    const std::uint32_t mbf = IeeeBitsToMbfBits(std::bit_cast<std::uint32_t>(value));
    if constexpr (std::endian::native == std::endian::little)
        return std::bit_cast<MbfSingle>(mbf);
    return {static_cast<std::uint8_t>(mbf), static_cast<std::uint8_t>(mbf >> 8), static_cast<std::uint8_t>(mbf >> 16),
            static_cast<std::uint8_t>(mbf >> 24)};
}

float MbfToFloat(const MbfSingle& mbf);

// The MBF single in the four bytes at, as it lies in a record.
inline MbfSingle MbfAt(const std::uint8_t* at)
{
    return {at[0], at[1], at[2], at[3]};
}

// Writes value as an MBF single into the four bytes at.
inline void PutMbf(std::uint8_t* at, float value)
{
    const MbfSingle mbf = FloatToMbf(value);
    at[0] = mbf[0];
    at[1] = mbf[1];
    at[2] = mbf[2];
    at[3] = mbf[3];
}

}  // namespace metastock
