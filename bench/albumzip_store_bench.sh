#!/bin/sh
# Saves an album folder that holds background music and a large member of unknown kind, both
# incompressible, with albumzip and with Info-ZIP's zip -1 -n .mp3 (zip storing the music as
# the album save does), taking turns, 5 rounds. Prints every round, the medians and their
# ratio, and checks that the member data of our archive is no larger than the files (the rest
# of the archive being headers and the directory).
#   song.mp3  300 MB of random bytes (as compressed audio is)
#   extra.dat  50 MB of random bytes under an extension no mask names
#   data.xml, album.xml, index.html: text
# Usage: bench/albumzip_store_bench.sh [path/to/albumzip] [work folder]
set -eu
ALBUMZIP=$(realpath "${1:-build/bin/albumzip}")
WORK=${2:-$(mktemp -d "${TMPDIR:-/tmp}/albumzip-store.XXXXXX")}
PYTHON=/usr/bin/python3
ROUNDS=5
mkdir -p "$WORK"
cd "$WORK"

$PYTHON - <<'PY'
import os
os.makedirs("album/pictavo_music", exist_ok=True)
def random_file(path, megabytes):
    with open(path, "wb") as f:
        for _ in range(megabytes):
            f.write(os.urandom(1_000_000))
random_file("album/pictavo_music/song.mp3", 300)
random_file("album/extra.dat", 50)
line = b"<item id='7' caption='River light' src='pictavo_images/p0001.jpg'/>\n"
for name, count in (("data.xml", 20000), ("album.xml", 300), ("index.html", 200)):
    with open("album/" + name, "wb") as f:
        f.write(line * count)
PY

seconds() { # wall time of a command in seconds
    start=$(date +%s.%N)
    sh -c "$1" >/dev/null 2>&1
    end=$(date +%s.%N)
    echo "$start $end" | awk '{printf "%.3f", $2 - $1}'
}

zipTimes=""
ourTimes=""
round=1
while [ $round -le $ROUNDS ]; do
    rm -f info.zip ours.zip
    # Each tool goes first in every other round, so that neither always finds the cache warm.
    if [ $((round % 2)) = 1 ]; then
        z=$(seconds "cd album && zip -1 -n .mp3 -r -q ../info.zip .")
        o=$(seconds "'$ALBUMZIP' pack album ours.zip")
    else
        o=$(seconds "'$ALBUMZIP' pack album ours.zip")
        z=$(seconds "cd album && zip -1 -n .mp3 -r -q ../info.zip .")
    fi
    echo "round $round: zip -1 -n .mp3 $z s   albumzip $o s"
    zipTimes="$zipTimes $z"
    ourTimes="$ourTimes $o"
    round=$((round + 1))
done

median() {
    echo "$@" | tr ' ' '\n' | sort -n | awk 'NF {v[++n] = $1} END {print v[int((n + 1) / 2)]}'
}
zipMedian=$(median $zipTimes)
ourMedian=$(median $ourTimes)
echo "$zipMedian $ourMedian" |
    awk '{printf "median: zip -1 -n .mp3 %.2f s   albumzip %.2f s   ratio %.2f\n", $1, $2, $2 / $1}'

$PYTHON - ours.zip info.zip album <<'PY'
import os, sys, zipfile
files = sum(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(sys.argv[3]) for f in fs)
for archive in sys.argv[1:3]:
    infos = zipfile.ZipFile(archive).infolist()
    data = sum(i.compress_size for i in infos)
    size = os.path.getsize(archive)
    methods = ", ".join(f"{i.filename} {'stored' if i.compress_type == 0 else 'deflated'}"
                        for i in infos if not i.is_dir())
    print(f"{archive}: {size} bytes = member data {data} + headers {size - data};"
          f" files {files}; data {'within' if data <= files else 'LARGER THAN'} the files")
    print(f"  {methods}")
PY
unzip -tq ours.zip
if [ -z "${2:-}" ]; then
    rm -rf "$WORK"
fi
