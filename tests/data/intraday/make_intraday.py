#!/usr/bin/env python3
"""Writes the intraday test directory here from the byte layout of such directories, on its own (not with
the project's code): MASTER with time frame 'I', and F1.DAT and F2.DAT of 32-byte records of eight fields
(date, time HHMMSS, open, high, low, close, volume, open interest) as MBF values."""
import math
import os
import struct


def mbf(value):
    if value == 0:
        return b'\0\0\0\0'
    single = struct.unpack('<I', struct.pack('<f', value))[0]
    sign = single >> 31
    exponent = (single >> 23) & 0xFF
    mantissa = single & 0x7FFFFF
    # IEEE 1.m * 2^(e-127) is MBF 0.1m * 2^(e-126): the exponent's bias moves by 2, the sign goes to bit 23.
    return struct.pack('<I', ((exponent + 2) << 24) | (sign << 23) | mantissa)


def date_code(year, month, day):
    return (year - 1900) * 10000 + month * 100 + day


SECURITIES = [
    # number, symbol, name, bars (date, time, open, high, low, close, volume, open interest)
    (1, 'ESH4', 'E-MINI S&P MAR24', [
        ((2024, 1, 2), 93000, 4785.25, 4787.5, 4783.75, 4786.0, 1520, 2210345),
        ((2024, 1, 2), 93017, 4786.0, 4788.25, 4785.5, 4788.0, 380, 2210345),
        ((2024, 1, 2), 93105, 4788.0, 4790.75, 4787.25, 4789.5, 912, 2210345),
        ((2024, 1, 2), 155959, 4772.5, 4773.0, 4770.25, 4771.75, 4410, 2210345),
        ((2024, 1, 3), 93000, 4760.0, 4764.5, 4758.75, 4763.25, 1805, 2208817),
        ((2024, 1, 3), 170517, 4741.75, 4742.0, 4739.5, 4740.25, 77, 2208817),
    ]),
    (2, 'CLG4', 'CRUDE OIL FEB24', [
        ((2024, 1, 2), 90000, 71.65, 71.92, 71.58, 71.83, 4012, 331218),
        ((2024, 1, 2), 90500, 71.83, 71.9, 71.7, 71.74, 2877, 331218),
        ((2024, 1, 2), 91000, 71.74, 71.76, 71.41, 71.47, 3390, 331218),
        ((2024, 1, 3), 84500, 70.38, 70.52, 70.31, 70.49, 2190, 329904),
        ((2024, 1, 3), 143000, 72.7, 72.88, 72.61, 72.85, 6671, 329904),
    ]),
]


def main(directory):
    master = bytearray(53)
    struct.pack_into('<hh', master, 0, len(SECURITIES), max(s[0] for s in SECURITIES))
    for number, symbol, name, bars in SECURITIES:
        record = bytearray(53)
        record[0], record[2], record[3], record[4] = number, 0x65, 32, 8
        record[7:23] = name.ljust(16).encode('latin-1')
        record[25:29] = mbf(date_code(*bars[0][0]))
        record[29:33] = mbf(date_code(*bars[-1][0]))
        record[33] = ord('I')
        record[36:52] = symbol.ljust(16).encode('latin-1')
        master += record
        data = bytearray(32)
        struct.pack_into('<hh', data, 0, 0, len(bars) + 1)
        for (date, time, *values) in bars:
            data += mbf(date_code(*date)) + mbf(time) + b''.join(mbf(v) for v in values)
        with open(os.path.join(directory, 'F%d.DAT' % number), 'wb') as f:
            f.write(data)
    with open(os.path.join(directory, 'MASTER'), 'wb') as f:
        f.write(master)


if __name__ == '__main__':
    main(os.path.dirname(os.path.abspath(__file__)))
