#!/bin/sh
# Reads one member with albumzip cat from archives of many empty stored members whose end record
# is followed by other bytes, beside the same archive without them and beside unzip -l and 7z l.
# 3 rounds each; prints every round and the medians.
#   plain.zip     MEMBERS empty members, as written (default 60,000)
#   records.zip   the same with RECORDS more end records after it (default 2,900), each naming
#                 the real directory (its size reaching from the directory to that record), and a
#                 last byte, so that no record ends the file and every one is a candidate
#   padded.zip    the same with 1 MiB of zeros after it and a stray end record among them
#   joined.zip    a small archive, then plain.zip, then 1,000 zeros: the later archive is read
# Usage: bench/albumzip_trailing_bench.sh [path/to/albumzip] [members] [records] [work folder]
set -eu
ALBUMZIP=$(realpath "${1:-build/bin/albumzip}")
MEMBERS=${2:-60000}
RECORDS=${3:-2900}
WORK=${4:-$(mktemp -d "${TMPDIR:-/tmp}/albumzip-trailing.XXXXXX")}
PYTHON=/usr/bin/python3
ROUNDS=3
mkdir -p "$WORK"
cd "$WORK"

$PYTHON - "$MEMBERS" "$RECORDS" <<'PY'
import struct, sys, zlib
members, records = int(sys.argv[1]), int(sys.argv[2])

def archive(names, datas):
    body, central = bytearray(), bytearray()
    for name, data in zip(names, datas):
        n = name.encode()
        crc = zlib.crc32(data)
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 10, 10, 0, 0, 0, 0x21, crc,
                               len(data), len(data), len(n), 0, 0, 0, 0, 0x20, len(body)) + n
        body += struct.pack("<IHHHHHIIIHH", 0x04034B50, 10, 0, 0, 0, 0x21, crc, len(data),
                            len(data), len(n), 0) + n + data
    return bytes(body + central), end_record(len(names), len(central), len(body))

def end_record(count, size, offset):
    count %= 0x10000  # wrapped, as writers without Zip64 leave it
    return struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, count, count, size, offset, 0)

names = ["m%06d.txt" % i for i in range(members)]
head, end = archive(names, [b""] * members)
open("plain.zip", "wb").write(head + end)
size, offset = struct.unpack("<II", end[12:20])
more = b"".join(end_record(members, size + 22 * k, offset) for k in range(1, records + 1))
open("records.zip", "wb").write(head + end + more + b"\0")
stray = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 0xFFFF, 0xFFFF, 0, 0, 0)
pad = bytearray(1 << 20)
pad[500000:500000 + len(stray)] = stray
open("padded.zip", "wb").write(head + end + bytes(pad))
small_head, small_end = archive(["first.txt"], [b"first archive"])
open("joined.zip", "wb").write(small_head + small_end + head + end + bytes(1000))
PY

seconds() { # wall time of a command in seconds
    start=$(date +%s.%N)
    sh -c "$1" >/dev/null 2>&1 || true
    end=$(date +%s.%N)
    echo "$start $end" | awk '{printf "%.3f", $2 - $1}'
}

median() {
    echo "$@" | tr ' ' '\n' | sed '/^$/d' | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'
}

last=$(printf 'm%06d.txt' $((MEMBERS - 1)))
for file in plain.zip records.zip padded.zip joined.zip; do
    ours=""
    round=1
    while [ $round -le $ROUNDS ]; do
        t=$(seconds "'$ALBUMZIP' cat $file $last")
        echo "$file round $round: albumzip cat $t s"
        ours="$ours $t"
        round=$((round + 1))
    done
    if "$ALBUMZIP" cat $file $last >/dev/null 2>err.txt; then said="read"; else said="refused: $(cat err.txt)"; fi
    u=$(seconds "unzip -l $file")
    s=$(seconds "7z l $file")
    echo "$file: albumzip cat median $(median $ours) s ($said); unzip -l $u s; 7z l $s s"
done
echo "work folder: $WORK"
