#!/usr/bin/env python3
"""Writes a seed for fuzz_directory_reader from each genuine directory found in GENUINE into OUT.

A seed is the target's input: four 16-bit little-endian lengths, then MASTER, EMASTER, XMASTER and F1.DOP
(0xFFFF for a file the directory lacks), then F1.DAT. F1.DAT is cut to its first bars, with its header's
count made to fit, so that the seed stays small and the fuzzer starts from a data file the reader accepts."""
import os
import struct
import sys

BARS = 64
LARGEST = 16384  # a seed much larger than the others would slow every run of the fuzzer


def find(directory, name):
    for entry in os.listdir(directory):
        if entry.lower() == name.lower():
            return os.path.join(directory, entry)
    return None


def index_fields(master):
    """Values per data record of the first security MASTER lists, 7 when it lists none."""
    return master[53 + 4] if len(master) >= 106 else 7


def seed(directory):
    parts = []
    for name in ('MASTER', 'EMASTER', 'XMASTER', 'F1.DOP'):
        path = find(directory, name)
        content = open(path, 'rb').read() if path else None
        if content is not None and len(content) >= 0xFFFF:
            return None
        parts.append(content)
    data = find(directory, 'F1.DAT')
    if parts[0] is None or data is None:
        return None
    length = 4 * index_fields(parts[0])
    bars = open(data, 'rb').read()[:length * (BARS + 1)]
    kept = len(bars) // length - 1
    bars = bars[:2] + struct.pack('<H', kept + 1) + bars[4:(kept + 1) * length]
    head = b''.join(struct.pack('<H', 0xFFFF if p is None else len(p)) for p in parts)
    return head + b''.join(p for p in parts if p is not None) + bars


def main(genuine, out):
    os.makedirs(out, exist_ok=True)
    for name in sorted(os.listdir(genuine)):
        directory = os.path.join(genuine, name)
        if os.path.isdir(directory):
            content = seed(directory)
            if content and len(content) <= LARGEST:
                with open(os.path.join(out, 'genuine-' + name), 'wb') as f:
                    f.write(content)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1], sys.argv[2]))
