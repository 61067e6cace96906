#!/usr/bin/env bash
# Writes the hand-made seeds of the fuzz targets into corpus/<target>/. Seeds kept from faults the
# fuzzers found (named regression-*) are left alone. The layout of each target's input is described at
# the top of its source file.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/corpus"

byte() { printf '%b' "\\x$(printf %02x "$1")"; }
hex() { printf '%b' "$(printf '%s' "$1" | sed 's/../\\x&/g')"; }  # hex text as bytes
zeros() { printf '\x00%.0s' $(seq 1 "$1"); }

# ---- fuzz_input_line: settings byte (delimiter + 3 * date format, bit 7: across the buffer boundary),
# column byte (0: date in column 1, the values in columns 2 to 7), then the text.
line_seed() {  # name settings text
  { byte "$2"; byte 0; printf '%b' "$3"; } >"fuzz_input_line/$1"
}
comma=0 tab=1 space=2
values='1234.50,1240.25,1230.00,1238.75,1234567,45678'
dates=(98/12/31 1998/12/31 12/31/98 12/31/1998 31/12/98 31/12/1998 981231 19981231 123198 12311998 311298 31121998)
names=(yy_mm_dd ccyy_mm_dd mm_dd_yy mm_dd_ccyy dd_mm_yy dd_mm_ccyy yymmdd ccyymmdd mmddyy mmddccyy ddmmyy ddmmccyy)
for f in $(seq 1 12); do
  line_seed "format-${names[f - 1]}" $((3 * f + comma)) "${dates[f - 1]},$values\\r\\n"
done
line_seed tab-delimited $((3 * 4 + tab)) '12/31/1998\t1234.50\t\t1240.25\t1230.00\t1238.75\t1234567\t45678\n'
line_seed space-delimited $((3 * 4 + space)) '  12/31/1998 1234.50   1240.25 1230.00 1238.75 1234567 45678'
line_seed format-number-0 $((3 * 0 + comma)) "12/31/1998,$values\\n"
line_seed format-number-13 $((3 * 13 + comma)) "12/31/1998,$values\\n"
line_seed header-and-short-rows $((3 * 4 + comma)) \
  "Date,Open,High,Low,Close,Volume,OpenInt\\r\\n01/02/1961,100.5,101,99.75,100.25,12000,500\\r\\n01/03/1961,,100.75\\r\\n\\r\\n,,,\\n02/29/2100,1,2,3,4,5,6"
line_seed ctrl-z-ends-input $((3 * 4 + comma)) "12/31/1998,$values\\r\\n\\x1a01/01/1999,$values\\r\\n"
line_seed quoted-numeric-date $((3 * 8 + comma)) ' "19981231",1,2,3,4,5,6\r\n19981231,1,2,3,4,5,6\n'
line_seed long-date-token $((3 * 4 + comma)) "12/31/1998 and much more text than nineteen characters,$values\\n"
line_seed number-edges $((3 * 4 + comma)) \
  '12/31/1998,1e39,-1e39,1e-40,.5,5.,-0\n12/31/1998,nan,-inf,0x10,1e,+3,1.5e+2x\n12/31/1998,1,2,3,4,5,1234567890123456789012345678901234567890\n'
line_seed out-of-range-dates $((3 * 4 + comma)) \
  '00/00/0000,1\n13/01/1999,1\n12/31/1960,1\n06/05/2140,1\n06/04/2140,1\n01/01/1961,1\n-1/-1/-1999,1\n'
long=$(printf '1234.50,%.0s' $(seq 1 90))
line_seed long-line $((3 * 4 + comma)) "12/31/1998,$long\\n12/31/1998,$values\\n"
# The CR of a CR LF pair is the last byte of the reader's first buffer, its LF the first of the next.
line_seed crlf-across-buffer $((128 + 3 * 4 + comma)) '12/31/1998,1,23\r\n12/31/1998,3,4\r\n'

# ---- fuzz_find_symbol: length of the sought text (bit 7: trailing separator), size of the top MASTER
# in 53-byte units (0: no sub-directory MASTER), the sought text, then the MASTER bytes.
pad() {  # text width: the text cut or padded with spaces to the width
  printf "%-$2.$2s" "$1"
}
header() {  # count [file counter]
  byte $(($1 & 255)); byte $(($1 >> 8 & 255)); byte $((${2:-$1} & 255)); byte 0
  zeros 49
}
security() {  # file-number name symbol [first-date last-date, as MBF bytes in hex]
  byte "$1"; printf '\x00\x65\x1c\x07\x00\x00'; pad "$2" 16; printf '\x00\x00'
  hex "${4:-00000000}"; hex "${5:-00000000}"; printf 'D\x00\x00'; pad "$3" 16; printf '\x00'
}
directory() {  # name
  printf '\x00\x00\x00\x00\x00\x00\x00'; pad "$1" 8; printf '   <DIR>'
  printf '\x00%.0s' $(seq 1 30)
}
master_seed() {  # name sought top-units [trailing separator] ; MASTER bytes on standard input
  { byte $((${#2} | ${4:-0})); byte "$3"; printf '%s' "$2"; cat; } >"fuzz_find_symbol/$1"
}

{ header 3; security 1 'ABC CORP' ABC; security 2 'XYZ INC' XYZ; security 3 DEF 'DEF G'; } |
  master_seed symbol-in-top XYZ 0
{ header 2; security 1 'ACME CORP' 'ACME CORP X'; security 2 'Some Name' SN; } |
  master_seed two-words-and-name 'acme corp' 0 128
{ header 2; directory sub; security 1 ABC ABC; header 1; security 1 'DEEP' DEEP; } |
  master_seed symbol-in-sub-directory deep 3
{ header 8; directory .; directory ..; directory ../top; directory Sub/..; directory Empty; directory Plain
  directory 'a\b'; directory SUB; header 3; directory loop; directory LOOP; directory ..; } |
  master_seed directory-entries-that-must-not-be-followed OUT 9 128
{ header 5; security 1 A A; security 2 B B; } | master_seed count-beyond-records B 0
{ header -1; security 1 A A; } | master_seed negative-count A 0
{ header 255 255; security 7 Z Z; printf 'short'; } | master_seed partial-record Z 0
printf 'MASTER' | master_seed shorter-than-header MASTER 0

# ---- fuzz_directory_reader: four 16-bit lengths of MASTER, EMASTER, XMASTER and F1.DOP (0xFFFF: the
# file is left out), those files, then the bytes of F1.DAT (and F300.MWD).
directory_seed() {  # name master emaster xmaster dop lengths; the files' bytes on standard input
  { for n in "$2" "$3" "$4" "$5"; do byte $((n & 255)); byte $((n >> 8 & 255)); done; cat; } \
    >"fuzz_directory_reader/$1"
}
qfdemo_master() { header 1; security 1 'Demo Ltd' QFDEMO a8640c95 10991295; }
column_list='"DATE",0,0\r\n"OPEN",4,4\r\n"HIGH",4,4\r\n"LOW",4,4\r\n"CLOSE",4,4\r\n"VOL",4,4\r\n"OI",4,4\r\n'
# F1.DAT as the converter writes five days of QFDEMO: the header record (last record 5), then the days.
data_records=(
  00000500000001000000010000000100000001000000010000000100
  a8640c95d72348870ad74987aec74687cd4c4787e0e22b9400eb4290
  b0640c9533b34787713d4887523847875c0f488788136f9500714390
  c8640c950ad7488700804a87cd4c488700004a8780f71b95009e4390
  d0640c9571bd4a878f424c873d0a4a8752384a87a8a02d95004e4390
  d8640c95ae474a87f6a84b877b9446870080478780de289300674490
)
{ qfdemo_master; printf '%b' "$column_list"; for r in "${data_records[@]}"; do hex "$r"; done; } |
  directory_seed converted-directory 106 0xFFFF 0xFFFF 81
{ qfdemo_master; printf '%b' "$column_list"; for r in "${data_records[@]:0:3}"; do hex "$r"; done; } |
  directory_seed data-file-cut-short 106 0xFFFF 0xFFFF 81
# EMASTER (192-byte header and record): file 1, 7 fields, symbol QFD, a long name. XMASTER (150 bytes):
# XTRA in F300.MWD, whose fields come from its size.
emaster() {
  byte 1; zeros 191
  zeros 2; byte 1; zeros 3; byte 7; zeros 4; printf 'QFD'; zeros 125; printf 'A long name'; zeros 42
}
xmaster() {
  zeros 10; byte 1; zeros 139
  zeros 1; printf 'XTRA'; zeros 57; printf 'D'; zeros 2; byte 0x2c; byte 1; zeros 83
}
{ qfdemo_master; emaster; xmaster; for r in "${data_records[@]}"; do hex "$r"; done; } |
  directory_seed emaster-and-xmaster 106 384 300 0xFFFF
