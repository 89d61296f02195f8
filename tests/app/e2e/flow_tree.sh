#!/usr/bin/env bash
# A gallery and three photos added by a user: after New, the template's gallery shows below the
# album root and is renamed in place; Ctrl+Ins adds a gallery, Ins opens the picture dialog where
# three files are chosen at once; the album is saved, the program closed and started again, and
# the reopened album holds the galleries and the three photos, again shown below the root.
# Usage: flow_tree.sh <program folder> <build folder>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/e2e_lib.sh"
build_dir=$2
E2E_SHOT_ON_FAIL=$build_dir/e2e-flow-tree-failed.png
e2e_setup "$1" "$build_dir"
albums=$E2E_WORK/albums
pictures=$E2E_WORK/pictures
mkdir -p "$albums" "$pictures"
album=$albums/tree.zip
for name in beach hill river; do
  convert -size 320x240 xc:steelblue "$pictures/$name.jpg"
done

e2e_start_new_album
main=$E2E_MAIN_WINDOW
e2e_activate "$main"
sleep 0.5
# The album opens expanded: the template's gallery is the row below the root. A click there
# selects it (and gives the tree the focus the edit keys need); F2 renames it. Were the root
# shown collapsed, the click would hit nothing and F2 would rename the root.
e2e_click "$main" 80 110
e2e_key F2
e2e_type "Shore"
e2e_key Return Home
e2e_key ctrl+Insert # a gallery below the selected album root; it is selected then
sleep 0.5
e2e_key Insert
e2e_answer_file_dialog '^Open$' "\"$pictures/beach.jpg\" \"$pictures/hill.jpg\" \"$pictures/river.jpg\""
sleep 1
e2e_save_new_album "$main" "$album"
data=$(unzip -p "$album" data.xml)
for name in beach hill river; do
  grep -q "pictavo_images/$name.jpg" <<<"$data" || e2e_fail "$name.jpg is not in the saved data.xml"
  unzip -l "$album" "pictavo_images/$name.jpg" >/dev/null || e2e_fail "$name.jpg not in the album"
done
grep -q 'Gallery 1' <<<"$data" || e2e_fail "the new gallery is not in the saved data.xml"
grep -q 'CDATA\[Shore\]' <<<"$data" && grep -q 'My Album' <<<"$data" ||
  e2e_fail "the gallery below the root was not the one renamed after New"
e2e_close_program '^Fotrenza  \[tree\.zip\]$' 20
[ "$E2E_EXIT" -eq 0 ] || e2e_fail "exit code $E2E_EXIT after closing the window"

# Second run: the album comes back from the recent list with its photos.
e2e_start_reopen_recent '^Fotrenza  \[tree\.zip\]$'
sleep 1
e2e_screenshot "$build_dir/e2e-tree-open.png"
for name in beach hill river; do
  [ -f "$E2E_DATA/Pictavo/Preview/pictavo_images/$name.jpg" ] ||
    e2e_fail "$name.jpg missing from the reopened album"
  [ -f "$E2E_DATA/Pictavo/Preview/pictavo_thumbs/tn_$name.jpg" ] ||
    e2e_fail "tn_$name.jpg missing from the reopened album"
done
grep -q 'Gallery 1' "$E2E_DATA/Pictavo/Preview/data.xml" || e2e_fail "the gallery is gone after reopening"
# Opened expanded too: the first gallery is the row below the root.
main=$E2E_MAIN_WINDOW
e2e_activate "$main"
e2e_click "$main" 80 110
e2e_key F2
e2e_type "Coast"
e2e_key Return ctrl+s
for i in $(seq 1 20); do
  unzip -p "$album" data.xml | grep -q 'CDATA\[Coast\]' && break # saved
  sleep 0.5
done
data=$(unzip -p "$album" data.xml)
grep -q 'CDATA\[Coast\]' <<<"$data" && grep -q 'My Album' <<<"$data" ||
  e2e_fail "the gallery below the root was not the one renamed after opening"
# A rename accepted unchanged leaves the album unmodified: closing asks nothing.
e2e_key F2 Return
e2e_close_program '^Fotrenza  \[tree\.zip\]$' 20
echo "tree flow passed"
