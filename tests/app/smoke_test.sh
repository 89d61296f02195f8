#!/usr/bin/env bash
# Runs the real program under a virtual X server: the main window appears with its caption,
# a screenshot is kept in the build folder, a second start ends at once without touching the
# first instance's working folders, and a termination request closes the program cleanly,
# clearing its working folders.
# Usage: smoke_test.sh <program folder> <build folder>
set -euo pipefail
program_dir=$1
build_dir=$2

if [ -z "${FZ_SMOKE_INNER:-}" ]; then
  export FZ_SMOKE_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/prog" "$work/home" "$work/data" "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
cp -a "$program_dir/fotrenza" "$program_dir/Files" "$program_dir/Templates" \
      "$program_dir/Languages" "$work/prog/"
export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config \
       XDG_RUNTIME_DIR=$work/runtime
export QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu
unset QT_QPA_PLATFORM

fail() { echo "FAIL: $*" >&2; exit 1; }
windows() { xwininfo -root -tree | grep -c '"Fotrenza": (' || true; }

"$work/prog/fotrenza" >"$work/first.log" 2>&1 &
first=$!
for _ in $(seq 1 100); do
  [ "$(windows)" -ge 1 ] && break
  kill -0 $first 2>/dev/null || fail "the program ended early: $(cat "$work/first.log")"
  sleep 0.2
done
[ "$(windows)" -eq 1 ] || fail "no main window captioned Fotrenza"
sleep 1
import -window root "$build_dir/smoke-main-window.png"

# The running instance's working folders, with files in them.
pictavo=$work/data/Pictavo
mkdir -p "$pictavo/Preview" "$pictavo/Thumbs"
echo preview >"$pictavo/Preview/index.html"
echo thumb >"$pictavo/Thumbs/tn_a.jpg"
touch "$pictavo/sentinel"
before=$(cd "$pictavo" && find . -type f -exec md5sum {} + | sort)

start=$(date +%s)
set +e
timeout 10 "$work/prog/fotrenza" >"$work/second.log" 2>&1
second=$?
set -e
[ $second -eq 0 ] || fail "second instance exit code $second"
[ $(( $(date +%s) - start )) -le 5 ] || fail "second instance did not end at once"
[ "$(windows)" -eq 1 ] || fail "second instance showed a window"
after=$(cd "$pictavo" && find . -type f -exec md5sum {} + | sort)
[ "$before" = "$after" ] || fail "second instance touched the working folders"

ini=$work/prog/brimlogallery.ini
[ -f "$ini" ] || fail "settings file not created"
[ "$(stat -c %a "$ini")" = 600 ] || fail "settings file mode $(stat -c %a "$ini")"
grep -q '^defFtpTransferMode=active' "$ini" || fail "settings file without defaults"

kill -TERM $first
set +e
wait $first
code=$?
set -e
[ $code -eq 0 ] || fail "first instance exit code $code: $(cat "$work/first.log")"
[ ! -e "$pictavo/Preview" ] || fail "Preview/ left behind"
[ ! -e "$pictavo/Thumbs" ] || fail "Thumbs/ left behind"
[ -f "$pictavo/sentinel" ] || fail "the data folder was emptied"
# An instance that crashed leaves its lock behind; the next start takes it over.
wait_window() {
  for _ in $(seq 1 100); do
    [ "$(windows)" -ge 1 ] && return 0
    sleep 0.2
  done
  return 1
}
"$work/prog/fotrenza" >"$work/crashed.log" 2>&1 &
crashed=$!
wait_window || fail "no window after restart"
kill -KILL $crashed
wait $crashed 2>/dev/null || true
for _ in $(seq 1 50); do [ "$(windows)" -eq 0 ] && break; sleep 0.1; done
"$work/prog/fotrenza" >"$work/recovered.log" 2>&1 &
recovered=$!
wait_window || fail "no window after a crashed instance: $(cat "$work/recovered.log")"
kill -TERM $recovered
set +e
wait $recovered
code=$?
set -e
[ $code -eq 0 ] || fail "recovered instance exit code $code"
echo "smoke test passed"
