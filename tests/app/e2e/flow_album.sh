#!/usr/bin/env bash
# A user's first album: the start-up wizard's Create, the sample template picked in the
# template chooser, Ctrl+S through the real save dialog, the program closed through its window,
# then started again and the album reopened from the wizard's recent list.
# Usage: flow_album.sh <program folder> <build folder>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/e2e_lib.sh"
build_dir=$2
E2E_SHOT_ON_FAIL=$build_dir/e2e-flow-album-failed.png
e2e_setup "$1" "$build_dir"
albums=$E2E_WORK/albums
mkdir -p "$albums"
album=$albums/flow.zip

e2e_start_new_album
main=$E2E_MAIN_WINDOW
e2e_save_new_album "$main" "$album"
[ -f "$album" ] || e2e_fail "no album file after saving"
unzip -tq "$album" >/dev/null || e2e_fail "the saved album is not a sound ZIP file"
for member in data.xml album.xml index.html; do
  unzip -l "$album" "$member" >/dev/null || e2e_fail "$member missing from the album file"
done

e2e_close_program '^Fotrenza  \[flow\.zip\]$' 20
[ "$E2E_EXIT" -eq 0 ] || e2e_fail "exit code $E2E_EXIT after closing the window"
[ ! -e "$E2E_DATA/Pictavo/Preview" ] || e2e_fail "the working folder was left behind"

# Second run: the album comes back from the recent list.
e2e_start_reopen_recent '^Fotrenza  \[flow\.zip\]$'
sleep 1
e2e_screenshot "$build_dir/e2e-album-open.png"
cmp -s <(unzip -p "$album" data.xml) "$E2E_DATA/Pictavo/Preview/data.xml" ||
  e2e_fail "the reopened album's data.xml differs from the saved one"
e2e_close_program '^Fotrenza  \[flow\.zip\]$' 20
[ "$E2E_EXIT" -eq 0 ] || e2e_fail "exit code $E2E_EXIT after the second run"
unzip -tq "$album" >/dev/null || e2e_fail "the album file was damaged by reopening"
echo "album flow passed"
