#!/usr/bin/env bash
# A caption and a text field typed through the real settings frames of the album root, saved
# with Ctrl+S, the program closed and started again, the album reopened from the recent list:
# both texts are back.
# Usage: flow_frames.sh <program folder> <build folder>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/e2e_lib.sh"
build_dir=$2
E2E_SHOT_ON_FAIL=$build_dir/e2e-flow-frames-failed.png
e2e_setup "$1" "$build_dir"
album=$E2E_WORK/frames.zip
caption='Frames flow caption'
welcome='Typed welcome text'

e2e_start_new_album
sleep 2 # the web view replaces the window's native window once
main=$(e2e_wait_window '^Fotrenza  \[My Album\]$')
xdotool windowsize --sync "$main" 1024 700 2>/dev/null || xdotool windowsize "$main" 1024 700
sleep 0.5
e2e_activate "$main"

# The album root is selected: its caption frame stands above the preview, the welcome text
# lies on the settings tab below the publish-size frame (positions at a 1024 x 700 window).
e2e_click "$main" 597 127
e2e_key ctrl+a
e2e_type "$caption"
e2e_click "$main" 426 72
sleep 0.5
e2e_click "$main" 597 234
e2e_key ctrl+a
e2e_type "$welcome"
sleep 0.5
e2e_screenshot "$build_dir/e2e-frames-typed.png"

e2e_save_new_album "$main" "$album"
saved=$(unzip -p "$album" data.xml)
grep -qF "$caption" <<<"$saved" || e2e_fail "the caption is not in the saved data.xml"
grep -qF "$welcome" <<<"$saved" || e2e_fail "the welcome text is not in the saved data.xml"
e2e_close_program '^Fotrenza  \[frames\.zip\]$' 20
[ "$E2E_EXIT" -eq 0 ] || e2e_fail "exit code $E2E_EXIT after closing the window"

# Second run: the album from the recent list holds both texts.
e2e_start_reopen_recent '^Fotrenza  \[frames\.zip\]$'
sleep 1
for text in "$caption" "$welcome"; do
  grep -qF "$text" "$E2E_DATA/Pictavo/Preview/data.xml" ||
    e2e_fail "\"$text\" is missing from the reopened album"
done
e2e_close_program '^Fotrenza  \[frames\.zip\]$' 20
[ "$E2E_EXIT" -eq 0 ] || e2e_fail "exit code $E2E_EXIT after the second run"
echo "frames flow passed"
