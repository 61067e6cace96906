#pragma once
// Microsoft Binary Format singles: the 4-byte form in which MetaStock files hold every value and date.

#include <array>
#include <cstdint>

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

MbfSingle FloatToMbf(float value);
float MbfToFloat(const MbfSingle& mbf);
