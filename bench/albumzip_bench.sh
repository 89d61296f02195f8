#!/bin/sh
# Packs and unpacks two data sets with albumzip and, on the same data in the same run, with
# Info-ZIP's zip -1 and unzip; prints the best of three times, the ratios and albumzip's peak
# memory.
#   (a) 200 generated JPEG files of about 3 MB (incompressible): albumzip stores pictures as
#       they are, as an album save does; zip -1 -n is zip storing them too, zip -1 deflating
#   (b) 5,000 files of 1-20 KB (text-like, compressible)
# Then the rebuild of a damaged archive: 100 MB of nothing but local-header signatures (each a
# candidate member), which must take seconds.
# Usage: bench/albumzip_bench.sh [path/to/albumzip] [work folder]
set -eu
ALBUMZIP=$(realpath "${1:-build/bin/albumzip}")
WORK=${2:-$(mktemp -d "${TMPDIR:-/tmp}/albumzip-bench.XXXXXX")}
PYTHON=/usr/bin/python3
mkdir -p "$WORK"
cd "$WORK"

$PYTHON - <<'EOF'
import os, random
random.seed(7)
os.makedirs("a", exist_ok=True)
for i in range(200):
    size = 3_000_000 + random.randint(-200_000, 200_000)
    with open(f"a/IMG_{i:04d}.jpg", "wb") as f:
        f.write(b"\xff\xd8\xff\xe0" + os.urandom(size - 6) + b"\xff\xd9")
words = [b"album ", b"photo ", b"gallery ", b"river ", b"light\n", b"<item id='7'/>\n"]
for i in range(5000):
    folder = f"b/g{i // 250:02d}"
    os.makedirs(folder, exist_ok=True)
    size = random.randint(1024, 20 * 1024)
    data = bytearray()
    while len(data) < size:
        data += random.choice(words)
    with open(f"{folder}/f{i:05d}.xml", "wb") as f:
        f.write(bytes(data[:size]))
EOF

best() { # best of three wall times (seconds) of a command; prints "seconds peak-KB"
    result=""
    for run in 1 2 3; do
        eval "$2"
        /usr/bin/time -f "%e %M" -o "$WORK/time.txt" sh -c "$1" >/dev/null 2>&1
        line=$(cat "$WORK/time.txt")
        if [ -z "$result" ] || [ "$(echo "$line $result" | awk '{print ($1 < $3)}')" = 1 ]; then
            result=$line
        fi
    done
    echo "$result"
}

for set in a b; do
    zipPack=$(best "cd $set && zip -1 -r -q ../$set-info.zip ." "rm -f $set-info.zip")
    ourPack=$(best "'$ALBUMZIP' pack $set $set-ours.zip" "rm -f $set-ours.zip")
    zipUnpack=$(best "unzip -q $set-info.zip -d $set-out-info" "rm -rf $set-out-info")
    ourUnpack=$(best "'$ALBUMZIP' unpack $set-ours.zip $set-out-ours" "rm -rf $set-out-ours")
    echo "set $set: $(du -sh $set | cut -f1) in $(find $set -type f | wc -l) files"
    if [ $set = a ]; then
        zipStore=$(best "cd $set && zip -1 -n .jpg:.jpeg:.gif -r -q ../$set-store.zip ." "rm -f $set-store.zip")
        echo "$zipStore $(stat -c %s $set-store.zip)" |
            awk '{printf "  pack:   zip -1 -n .jpg (stored pictures) %6.2f s   %d bytes\n", $1, $3}'
    fi
    echo "$zipPack $ourPack $zipUnpack $ourUnpack $(stat -c %s $set-info.zip) $(stat -c %s $set-ours.zip)" |
        awk '{printf "  pack:   zip -1 %6.2f s   albumzip %6.2f s   ratio %.2f   peak %d MB\n", $1, $3, $3 / $1, $4 / 1024;
              printf "  unpack: unzip  %6.2f s   albumzip %6.2f s   ratio %.2f   peak %d MB\n", $5, $7, $7 / $5, $8 / 1024;
              printf "  size:   zip -1 %d bytes   albumzip %d bytes\n", $9, $10}'
done
$PYTHON -c "open('signatures.zip','wb').write(b'PK\x03\x04' * (25 * 1024 * 1024))"
rebuild=$(best "'$ALBUMZIP' unpack signatures.zip signatures-out || true" "rm -rf signatures-out")
echo "$rebuild" | awk '{printf "rebuild: 100 MB of local-header signatures   albumzip %6.2f s   peak %d MB\n", $1, $2 / 1024}'
if [ -z "${2:-}" ]; then
    rm -rf "$WORK"
fi
