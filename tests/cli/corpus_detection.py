#!/usr/bin/env python3
"""Every file of the real-file corpora through `detect` and `convert --detect`, the exported records compared
with the layout read by hand (manifest.json beside the files).

A file is exact when its records are the manifest's rows (every row after `skip` whose close is a number,
oldest first) with the manifest's fields and values, and for intraday bars with each bar's
time, or when it is refused and its dates lie before 1900. It is refused when convert fails with a reason, and wrong
otherwise: converted with other numbers, other dates or other fields, or refused without a reason.

    corpus_detection.py QUOTEFORGE_CLI CORPUS_DIR...

Prints "NAME: N exact, R refused, W wrong" per corpus and the files that were not exact; exits 1 when a
corpus has a wrong file. A corpus directory that is missing is skipped.
"""
import csv
import json
import os
import re
import struct
from decimal import Decimal
import subprocess
import sys
import tempfile
from datetime import datetime, timedelta, timezone

DELIM = {'comma': ',', 'semicolon': ';', 'tab': '\t', 'space': ' '}
FIELDS = ('open', 'high', 'low', 'close', 'volume', 'oi')
EXPORT_NAMES = {'Open': 'open', 'High': 'high', 'Low': 'low', 'Close': 'close', 'Volume': 'volume',
                'OpenInt': 'oi'}
EMPTY = {'', '-', '--', 'null', 'nan', 'n/a', 'na', 'nd', 'none', 'undefined', '#n/a'}
SUFFIX = {'k': 1e3, 'm': 1e6, 'b': 1e9}


def single(value):
    return struct.unpack('f', struct.pack('f', value))[0]


def number(text, numbers):
    """The value of a field as the hand reading has it; None for an empty word, False for no number."""
    t = text.strip().strip('"').strip()
    if t.lower() in EMPTY:
        return None
    t = re.sub(r'[\s\u00a0\u202f$€£¥₹\']', '', t)
    if numbers == 'decimal_comma':
        t = t.replace('.', '').replace(',', '.')
    else:
        t = t.replace(',', '')
    scale = 1.0
    if t and t[-1].lower() in SUFFIX:
        scale = SUFFIX[t[-1].lower()]
        t = t[:-1]
    if not re.match(r'^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$', t):
        return False
    # Scaled in decimal, as the text says it: 4,27B is 4270000000, not 4.27 * 1e9 in binary.
    return float(Decimal(t) * Decimal(scale))


def parse_date(text, e):
    t = text.strip().strip('"').strip()
    if e['date_prefix']:
        t = t[:e['date_prefix']]
    fmt = e['py_date']
    if fmt in ('unix_s', 'unix_ms'):
        return datetime.fromtimestamp(int(t) / (1000 if fmt == 'unix_ms' else 1), timezone.utc).date()
    if fmt == 'excel_serial':
        return (datetime(1899, 12, 30) + timedelta(days=float(t))).date()
    return datetime.strptime(t, fmt).date()


def intraday(e):
    """Whether the manifest gives intraday bars: as its frame, or (in older manifests) in why."""
    return e.get('frame') == 'intraday' or 'intraday' in e.get('why', '')


def time_column(e):
    """The column of an intraday file's times; 0 when they follow the date in the date's field."""
    found = re.search(r'time in column (\d+)', e.get('why', ''))
    return e.get('time_col') or (int(found.group(1)) if found else 0)


def parse_time(e, text, date_text):
    """HH:MM:SS of an intraday bar: from its time column, or from what follows the date in the date's field;
    None for a file that is not intraday."""
    if not intraday(e):
        return None
    fmt = e['py_date']
    if not time_column(e) and fmt in ('unix_s', 'unix_ms'):
        stamp = int(date_text.strip().strip('"')) / (1000 if fmt == 'unix_ms' else 1)
        return datetime.fromtimestamp(stamp, timezone.utc).strftime('%H:%M:%S')
    t = (text if time_column(e) else date_text.strip().strip('"').strip()[e['date_prefix']:]).strip().strip('"')
    t = re.sub(r'^[T ]+', '', t)
    t = re.split(r'[Z+.,]|(?<=\d)-', t)[0]  # fractions of a second and an offset are left out of the bar's time
    m = re.match(r'^(\d{1,2}):(\d\d)(?::(\d\d))?$', t) or re.match(r'^(\d\d)(\d\d)(\d\d)?$', t)
    if not m:
        return None
    return f'{int(m.group(1)):02d}:{m.group(2)}:{m.group(3) or "00"}'


def lines_of(path):
    raw = open(path, 'rb').read()
    if raw.startswith(b'\xff\xfe') or raw.startswith(b'\xfe\xff'):
        text = raw.decode('utf-16')
    else:
        try:
            text = raw.decode('utf-8-sig')
        except UnicodeDecodeError:
            text = raw.decode('latin-1')
    text = text.split('\x1a')[0]
    lines = re.split(r'\r\n|\n|\r', text)
    if lines and lines[-1] == '':
        lines.pop()
    return lines


def split(line, d):
    row = line.split() if d == ' ' else next(csv.reader([line], delimiter=d), [])
    if len(row) == 1 and d in row[0]:  # a whole line quoted as one field
        row = row[0].split() if d == ' ' else next(csv.reader([row[0]], delimiter=d))
    return row


def truth(e, path):
    """(date, {field: value}) of every row whose close is a number, oldest first."""
    d = DELIM[e['delimiter']]
    rows = []
    for line in lines_of(path)[e['skip']:]:
        row = split(line, d)

        def cell(col):
            return row[col - 1] if col and col <= len(row) else ''
        close = number(cell(e['close']), e['numbers'])
        if close is None or close is False:
            continue
        values = {}
        for f in FIELDS:
            if e[f]:
                v = number(cell(e[f]), e['numbers'])
                if v is None or v is False:
                    v = close if f in ('open', 'high', 'low') else (0.0 if v is None else v)
                values[f] = single(v)
        time = parse_time(e, cell(time_column(e)), cell(e['date_col']))
        rows.append(((parse_date(cell(e['date_col']), e), time or ''), values, row))
    keys = [r[0] for r in rows]
    if keys == sorted(keys, reverse=True):
        rows.reverse()
    else:
        rows.sort(key=lambda r: r[0])
    # A row given twice (the same date, time and values) is one bar.
    return [r for i, r in enumerate(rows) if i == 0 or (r[0], r[1]) != (rows[i - 1][0], rows[i - 1][1])]


def expected_refusal(e, rows):
    return any(r[0][0].year < 1900 for r in rows)


def run(cmd):
    p = subprocess.run(cmd, capture_output=True, text=True, errors='replace', timeout=120)
    return p.returncode, p.stdout, p.stderr.strip()


def compare(e, rows, exported):
    """'' when the exported records are the rows, else what differs."""
    lines = exported.strip('\n').split('\n')
    heading = lines[0].split(',')
    timed = len(heading) > 1 and heading[1] == 'Time'
    fields = [EXPORT_NAMES[h] for h in heading[2 if timed else 1:]]
    if timed != intraday(e):
        return 'records with times' if timed else 'records without times, manifest intraday'
    # A volume or open interest column that is empty or zero on every row may be left out: it holds nothing.
    def empty_column(f):
        return f in ('volume', 'oi') and all(
            number(r[e[f] - 1] if e[f] <= len(r) else '', e['numbers']) in (None, 0.0) for _, _, r in rows)
    wanted = [f for f in FIELDS if e[f] and (f in fields or not empty_column(f))]
    alternatives = e.get('alternatives') or {}
    if fields != wanted:
        return f'fields {fields}, manifest {wanted}'
    records = lines[1:]
    if len(records) != len(rows):
        return f'{len(records)} records, manifest {len(rows)} rows'
    for record, ((date, time), values, row) in zip(records, rows):
        parts = record.split(',')
        if parts[0] != date.strftime('%Y%m%d'):
            return f'date {parts[0]} for {date} ({row})'
        if timed:
            if parts[1] != time:
                return f'time {parts[1]} for {time} on {date} ({row})'
            parts = parts[:1] + parts[2:]
        for f, text in zip(fields, parts[1:]):
            got = single(float(text))
            if got == values[f]:
                continue
            others = [number(row[c - 1], e['numbers']) for c in alternatives.get(f, []) if c <= len(row)]
            if any(o not in (None, False) and single(o) == got for o in others):
                continue
            return f'{f} {text}, manifest {values[f]} on {date} ({row})'
    return ''


def check_corpus(cli, directory):
    manifest = json.load(open(os.path.join(directory, 'manifest.json'), encoding='utf-8'))
    exact = refused = wrong = 0
    report = []
    for e in manifest:
        path = os.path.join(directory, 'files', e['file'])
        rows = truth(e, path)
        refuse = expected_refusal(e, rows)
        with tempfile.TemporaryDirectory() as work:
            dcode, dout, derr = run([cli, 'detect', path])
            code, out, err = run([cli, 'convert', path, '--detect', '--dir', work, '--symbol', 'T'])
            if code != 0:
                if not err:
                    wrong += 1
                    report.append(f'WRONG   {e["file"]}: refused without a reason')
                elif refuse:
                    exact += 1
                else:
                    refused += 1
                    report.append(f'refused {e["file"]}: {err.splitlines()[0]}')
                continue
            if refuse:
                wrong += 1
                report.append(f'WRONG   {e["file"]}: converted, but the manifest says it cannot be')
                continue
            # detect reports intraday bars as such, and convert writes them as an intraday security.
            if dcode != 0 and not intraday(e):
                wrong += 1
                report.append(f'WRONG   {e["file"]}: detect refused ({derr}) but convert --detect converted')
                continue
            xcode, xout, xerr = run([cli, 'export', work, 'T', '--header'])
            difference = xerr if xcode != 0 else compare(e, rows, xout)
            if difference:
                wrong += 1
                report.append(f'WRONG   {e["file"]}: {difference}')
            else:
                exact += 1
    for line in report:
        print('  ' + line)
    print(f'{os.path.basename(os.path.normpath(directory))}: {exact} exact, {refused} refused, {wrong} wrong '
          f'(of {len(manifest)})')
    return wrong


def main():
    cli = sys.argv[1]
    wrong = 0
    for directory in sys.argv[2:]:
        if not os.path.isfile(os.path.join(directory, 'manifest.json')):
            print(f'{directory}: no manifest.json, skipped')
            continue
        wrong += check_corpus(cli, directory)
    return 1 if wrong else 0


if __name__ == '__main__':
    sys.exit(main())
