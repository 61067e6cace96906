#!/usr/bin/env python3
"""Checks a MetaStock directory after runs of quoteforge-cli, reading the files on its own (not with the
project's code).

  check_directory.py kill BEFORE SYMBOL ROWS DIR...
      Each DIR must be either exactly BEFORE (as far as MASTER and its listed securities go), or BEFORE plus
      one complete new security SYMBOL with ROWS records. Prints a line per DIR: "before", "added" or
      "VIOLATION: ..."; exit 1 on a violation. (One process for many directories: starting Python is
      the slow part of a short trial.)
  check_directory.py parallel DIR ROWS SYMBOL...
      Every SYMBOL is listed once with ROWS complete records, file numbers are distinct, and the header's
      count equals the records present. Exit 1 on a violation.
  check_directory.py prefix DIR ROWS SYMBOL...
      DIR (after a killed batch) lists the first k SYMBOLs in this order, for some k from 0 on (no MASTER
      is k = 0), each with ROWS complete records, and the header's count equals the records present.
      Prints k.
  check_directory.py killx BEFORE SYMBOL ROWS DIR...
      As kill, for a BEFORE whose MASTER is full: each DIR has every file of BEFORE unchanged but its
      MASTER.BAK, or XMASTER holds one more record, SYMBOL, whose F<n>.MWD holds ROWS complete records.
  check_directory.py readable DIR
      What another program reads in DIR (MASTER, EMASTER and XMASTER in any case of their names) is
      harmless: every security that an index lists has its data file, with a whole header. Exit 1 if not.
  check_directory.py bars DIR SYMBOL
      The records of SYMBOL, a MASTER security, one line each: the date as CCYYMMDD, for intraday records the
      time as HHMMSS, then the other fields, space-separated, each the exact value of its MBF single.
Temporary files of a killed run (F<n>.NEW, *.~NU) and data files that no record names are allowed.
"""
import os
import struct
import sys

REC = 53


def read(path):
    with open(path, 'rb') as f:
        return f.read()


def master(directory):
    data = read(os.path.join(directory, 'MASTER'))
    if len(data) < REC or len(data) % REC:
        raise ValueError('MASTER is %d bytes, not whole 53-byte records' % len(data))
    count, counter = struct.unpack_from('<hh', data, 0)
    records = [data[k:k + REC] for k in range(REC, len(data), REC)]
    return data, count, counter, records


def symbol(record):
    return record[36:52].rstrip(b' \0').decode('latin-1')


def check_security(directory, record, rows):
    n, fields = record[0], record[4]
    length = 4 * fields
    dat = read(os.path.join(directory, 'F%d.DAT' % n))
    dop = read(os.path.join(directory, 'F%d.DOP' % n))
    if len(dat) != (rows + 1) * length:
        raise ValueError('F%d.DAT is %d bytes, not %d' % (n, len(dat), (rows + 1) * length))
    if struct.unpack_from('<H', dat, 2)[0] != rows + 1:
        raise ValueError('F%d.DAT counts %d records' % (n, struct.unpack_from('<H', dat, 2)[0] - 1))
    if dop.count(b'\r\n') != fields:
        raise ValueError('F%d.DOP lists %d fields, not %d' % (n, dop.count(b'\r\n'), fields))
    if rows and (record[25:29] != dat[length:length + 4] or record[29:33] != dat[-length:-length + 4]):
        raise ValueError('MASTER dates of F%d do not match its first and last record' % n)


def same_file(a, b):
    return os.path.exists(a) and os.path.exists(b) and read(a) == read(b)


def kill(directory, before, sym, rows):
    old_bytes, _, _, old_records = master(before)
    new_bytes, count, counter, records = master(directory)
    for record in old_records:
        for name in ('F%d.DAT' % record[0], 'F%d.DOP' % record[0]):
            if not same_file(os.path.join(directory, name), os.path.join(before, name)):
                raise ValueError(name + ' of a listed security changed')
    if new_bytes == old_bytes:
        return 'before'
    if records[:-1] != old_records or len(records) != len(old_records) + 1:
        raise ValueError('MASTER is neither as before nor as before plus one record')
    old_count = struct.unpack_from('<h', old_bytes, 0)[0]
    if count != old_count + 1 or new_bytes[4:REC] != old_bytes[4:REC]:
        raise ValueError('MASTER header does not count the new record')
    # Bytes 2-3 hold the highest file number in use, which other programs take their next number from.
    if counter != max(r[0] for r in records):
        raise ValueError('MASTER header gives %d as the highest file number, not %d'
                         % (counter, max(r[0] for r in records)))
    new = records[-1]
    if symbol(new) != sym or new[0] in [r[0] for r in old_records]:
        raise ValueError('the new record is not %s with a free file number' % sym)
    check_security(directory, new, rows)
    return 'added'


XREC = 150


def find(directory, name):
    """The entry of directory called name in any case, as the charting programs' files are often spelt."""
    for entry in os.listdir(directory):
        if entry.upper() == name.upper():
            return os.path.join(directory, entry)
    return os.path.join(directory, name)


def killx(directory, before, sym, rows):
    for name in os.listdir(before):
        if name.upper() in ('MASTER.BAK', 'XMASTER'):
            continue
        if not same_file(os.path.join(directory, name), os.path.join(before, name)):
            raise ValueError(name + ' changed')
    old = read(find(before, 'XMASTER'))
    new = read(find(directory, 'XMASTER'))
    if new == old:
        return 'before'
    if len(new) != len(old) + XREC or new[XREC:len(old)] != old[XREC:]:
        raise ValueError('XMASTER is neither as before nor as before plus one record')
    if struct.unpack_from('<H', new, 10)[0] != struct.unpack_from('<H', old, 10)[0] + 1:
        raise ValueError('XMASTER header does not count the new record')
    record = new[len(old):]
    n = struct.unpack_from('<H', record, 65)[0]
    if record[1:15].rstrip(b'\0').decode('latin-1') != sym or n < 256:
        raise ValueError('the new XMASTER record is not %s with a number from 256' % sym)
    fields = bin(record[70]).count('1')
    dat = read(find(directory, 'F%d.MWD' % n))
    if len(dat) != (rows + 1) * 4 * fields or struct.unpack_from('<H', dat, 2)[0] != rows + 1:
        raise ValueError('F%d.MWD does not hold %d complete records' % (n, rows))
    return 'added'


def readable(directory):
    data = read(find(directory, 'MASTER'))
    listed = [('F%d.DAT' % data[k], 'MASTER') for k in range(REC, len(data) - REC + 1, REC)]
    emaster = find(directory, 'EMASTER')
    if os.path.exists(emaster):
        data = read(emaster)
        listed += [('F%d.DAT' % data[k + 2], 'EMASTER') for k in range(192, len(data) - 192 + 1, 192)]
    xmaster = find(directory, 'XMASTER')
    if os.path.exists(xmaster):
        data = read(xmaster)
        listed += [('F%d.MWD' % struct.unpack_from('<H', data, k + 65)[0], 'XMASTER')
                   for k in range(XREC, len(data) - XREC + 1, XREC)]
    for name, index in listed:
        path = find(directory, name)
        if not os.path.exists(path) or os.path.getsize(path) < 4:
            raise ValueError('%s lists %s, which is missing or cut short' % (index, name))
    return 'ok'


def mbf(raw):
    """The value of a 4-byte MBF single: mantissa 0.1mmm (the 1 implied) times 2^(exponent - 128)."""
    exponent = raw[3]
    if exponent == 0:
        return 0.0
    mantissa = raw[0] | raw[1] << 8 | (raw[2] | 0x80) << 16
    value = mantissa * 2.0 ** (exponent - 152)
    return -value if raw[2] & 0x80 else value


def bars(directory, sym):
    data = read(find(directory, 'MASTER'))
    records = [data[k:k + REC] for k in range(REC, len(data) - REC + 1, REC)]
    listed = [symbol(r) for r in records]
    if listed.count(sym) != 1:
        raise ValueError('%s is listed %d times' % (sym, listed.count(sym)))
    record = records[listed.index(sym)]
    fields = record[4]
    dat = read(find(directory, 'F%d.DAT' % record[0]))
    length = 4 * fields
    count = struct.unpack_from('<H', dat, 2)[0] - 1
    # Eight fields hold date, time, open, high, low, close, volume, open interest; five to seven as daily.
    timed = fields == 8
    lines = []
    for k in range(count):
        values = [mbf(dat[(k + 1) * length + 4 * j:(k + 1) * length + 4 * j + 4]) for j in range(fields)]
        code = int(values[0])
        year, month, day = 1900 + code // 10000, code // 100 % 100, code % 100
        line = '%04d%02d%02d' % (year, month, day)
        rest = values[1:]
        if timed:
            line += ' %06d' % int(values[1])
            rest = values[2:]
        lines.append(' '.join([line] + [repr(v) for v in rest]))
    return '\n'.join(lines)


def parallel(directory, rows, symbols):
    data, count, counter, records = master(directory)
    if count != len(records):
        raise ValueError('MASTER counts %d but holds %d records' % (count, len(records)))
    numbers = [r[0] for r in records]
    if records and counter != max(numbers):
        raise ValueError('MASTER header gives %d as the highest file number, not %d' % (counter, max(numbers)))
    if len(set(numbers)) != len(numbers):
        raise ValueError('file numbers repeat: %s' % numbers)
    listed = [symbol(r) for r in records]
    for sym in symbols:
        if listed.count(sym) != 1:
            raise ValueError('%s is listed %d times' % (sym, listed.count(sym)))
        check_security(directory, records[listed.index(sym)], rows)
    return 'ok'


def prefix(directory, rows, symbols):
    if not os.path.exists(os.path.join(directory, 'MASTER')):
        return '0'
    _, count, _, records = master(directory)
    if count != len(records):
        raise ValueError('MASTER counts %d but holds %d records' % (count, len(records)))
    listed = [symbol(r) for r in records]
    if listed != symbols[:len(listed)]:
        raise ValueError('MASTER lists %s, not the first %d files in order' % (listed, len(listed)))
    for record in records:
        check_security(directory, record, rows)
    return str(len(listed))


def main(argv):
    if argv[1] in ('kill', 'killx'):
        status = 0
        for directory in argv[5:]:
            try:
                print((kill if argv[1] == 'kill' else killx)(directory, argv[2], argv[3], int(argv[4])))
            except (ValueError, OSError) as error:
                print('VIOLATION: %s' % error)
                status = 1
        return status
    try:
        if argv[1] == 'prefix':
            print(prefix(argv[2], int(argv[3]), argv[4:]))
        elif argv[1] == 'bars':
            print(bars(argv[2], argv[3]))
        elif argv[1] == 'readable':
            print(readable(argv[2]))
        else:
            print(parallel(argv[2], int(argv[3]), argv[4:]))
        return 0
    except (ValueError, OSError) as error:
        print('VIOLATION: %s' % error)
        return 1


if __name__ == '__main__':
    sys.exit(main(sys.argv))
