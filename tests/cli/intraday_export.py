#!/usr/bin/env python3
"""export of every intraday security of a directory, in every time format, against the bars that the
independent reader (bench/check_directory.py bars) finds: the same dates and times, and values that read
back to the same singles.
Usage: intraday_export.py QUOTEFORGE_CLI CHECK_DIRECTORY_PY DIR"""
import struct
import subprocess
import sys

FORMATS = {
    'HHMMSS': lambda t: t,
    'HH:MM:SS': lambda t: '%s:%s:%s' % (t[0:2], t[2:4], t[4:6]),
    'HH:MM': lambda t: '%s:%s' % (t[0:2], t[2:4]),
}


def single(text):
    return struct.unpack('<f', struct.pack('<f', float(text)))[0]


def symbols(directory):
    with open(directory + '/MASTER', 'rb') as f:
        data = f.read()
    return [data[k + 36:k + 52].rstrip(b' \0').decode('latin-1') for k in range(53, len(data) - 52, 53)]


def main(cli, reader, directory):
    failures = []
    for symbol in symbols(directory):
        bars = subprocess.run([sys.executable, reader, 'bars', directory, symbol], capture_output=True, text=True,
                              check=True).stdout.split('\n')
        bars = [bar.split(' ') for bar in bars if bar]
        with_seconds = next((k for k, bar in enumerate(bars) if bar[1][4:6] != '00'), None)
        for name, shown in FORMATS.items():
            result = subprocess.run([cli, 'export', directory, symbol, '--time-format', name], capture_output=True,
                                    text=True)
            if name == 'HH:MM' and with_seconds is not None:
                if result.returncode != 1 or 'bar %d ' % (with_seconds + 1) not in result.stderr:
                    failures.append('%s %s: expected a refusal naming bar %d, got %d: %s'
                                    % (symbol, name, with_seconds + 1, result.returncode, result.stderr))
                continue
            rows = [row.split(',') for row in result.stdout.split('\n') if row]
            if result.returncode != 0 or len(rows) != len(bars):
                failures.append('%s %s: status %d, %d rows for %d bars: %s'
                                % (symbol, name, result.returncode, len(rows), len(bars), result.stderr))
                continue
            for k, (row, bar) in enumerate(zip(rows, bars)):
                expected = [bar[0], shown(bar[1])]
                if (row[:2] != expected or len(row) != len(bar)
                        or any(single(a) != float(b) for a, b in zip(row[2:], bar[2:]))):
                    failures.append('%s %s bar %d: exported %s, the reader finds %s' % (symbol, name, k + 1, row, bar))
                    break
        print('%s: %d bars compared' % (symbol, len(bars)))
    for failure in failures:
        print('FAILED: ' + failure)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(*sys.argv[1:4]))
