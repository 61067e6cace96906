#!/usr/bin/env python3
"""Sanity check of manifest.json against the files: dates parse, high and low bound the other prices."""
import csv, json, os, re, sys

HERE = os.path.dirname(os.path.abspath(__file__))
# Dates are read as the corpus test reads them.
sys.path.insert(0, os.path.join(HERE, '..', '..', 'cli'))
from corpus_detection import parse_date  # noqa: E402
DELIM = {'comma': ',', 'semicolon': ';', 'tab': '\t', 'space': ' '}
PLAIN = re.compile(r'^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$')


def number(text, numbers):
    t = text.strip().strip('"').replace('$', '').replace(' ', '')
    if numbers == 'thousands':
        t = t.replace(',', '')
    elif numbers == 'decimal_comma':
        t = t.replace('.', '').replace(',', '.')
    return float(t) if PLAIN.match(t) else None


def rows(e, path):
    raw = open(path, 'rb').read()
    try:
        text = raw.decode('utf-8-sig')
    except UnicodeDecodeError:
        text = raw.decode('latin-1')
    lines = re.split(r'\r\n|\n|\r', text)
    if lines and lines[-1] == '':
        lines.pop()
    d = DELIM[e['delimiter']]
    for line in lines[e['skip']:]:
        row = line.split() if d == ' ' else next(csv.reader([line], delimiter=d), [])
        if len(row) == 1 and d in row[0]:  # a whole line quoted as one field
            row = row[0].split() if d == ' ' else next(csv.reader([row[0]], delimiter=d))
        yield row


def field(row, col):
    return row[col - 1] if col and col <= len(row) else None


def dated_rows(e, path):
    """(date or None when it does not parse, row) for every row whose close is a number."""
    for row in rows(e, path):
        c = field(row, e['close'])
        if c is None or number(c, e['numbers']) is None:
            continue
        try:
            yield parse_date(field(row, e['date_col']) or '', e), row
        except (ValueError, OverflowError):
            yield None, row


def check(e):
    path = os.path.join(HERE, 'files', e['file'])
    n = bad_dates = bad_prices = 0
    for date, row in dated_rows(e, path):
        n += 1
        if date is None:
            bad_dates += 1
            print(f"  {e['file']}: date not read: {row}")
            continue
        p = {k: number(field(row, e[k]) or '', e['numbers']) for k in ('open', 'high', 'low', 'close') if e[k]}
        if 'high' in p and 'low' in p and None not in p.values():
            eps = 1e-9 * max(abs(v) for v in p.values())
            if p['high'] + eps < max(p.values()) or p['low'] - eps > min(p.values()):
                bad_prices += 1
                print(f"  {e['file']}: high/low do not bound the prices: {row}")
    ok = n > 0 and bad_dates == 0 and bad_prices <= 0.02 * n
    print(f"{'OK  ' if ok else 'FAIL'} {e['file']}: {n} rows, {bad_dates} bad dates, {bad_prices} bad prices")
    return ok


def main():
    manifest = json.load(open(os.path.join(HERE, 'manifest.json'), encoding='utf-8'))
    failed = [e['file'] for e in manifest if not check(e)]
    print(f"{len(manifest) - len(failed)} of {len(manifest)} files OK")
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
