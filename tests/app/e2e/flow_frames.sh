#!/usr/bin/env bash
# A caption and a text field typed through the real settings frames of the album root, and a
# background picture larger than the screen chosen and viewed at full size (the framed preview
# window fits the 1280 x 800 screen); saved with Ctrl+S, the program closed and started again,
# the album reopened from the recent list: both texts are back, and the background's reduced
# copy shows its own thumbnail.
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
# A background that keeps the picture's size, so that the full-size view is larger than the screen.
sed -i 's|<src id="1" w="800" h="600">|<src id="1" w="0" h="0">|' "$E2E_PROG/Templates/fz-simple/album.xml"
convert -size 3000x2000 xc:'#c83232' "$E2E_WORK/big.jpg"

# The outer edges of a window with its frame: left top right bottom (xwininfo, since xdotool
# counts a reparented window's frame offset twice).
frame_edges() {
  local x y w h l r t b
  read -r x y w h <<<"$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF}
    /Absolute upper-left Y/ {y = $NF} /Width:/ {w = $NF} /Height:/ {h = $NF}
    END {print x, y, w, h}')"
  IFS=', ' read -r l r t b <<<"$(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //')"
  echo "$((x - l)) $((y - t)) $((x + w + r)) $((y + h + b))"
}

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

e2e_click "$main" 943 278 # the background image's Change Image...
e2e_answer_file_dialog '^Open' "$E2E_WORK/big.jpg"
for i in $(seq 1 20); do # View Full Size..., enabled once the picture is in
  e2e_click "$main" 943 312
  xdotool search --onlyvisible --name '^big\.jpg' >/dev/null 2>&1 && break
  sleep 0.5
done
view=$(e2e_wait_window '^big\.jpg \(3000x2000\)')
sleep 1
read -r left top right bottom <<<"$(frame_edges "$view")"
e2e_screenshot "$build_dir/e2e-frames-full-size.png"
[ "$left" -ge 0 ] && [ "$top" -ge 0 ] && [ "$right" -le 1280 ] && [ "$bottom" -le 800 ] ||
  e2e_fail "the full-size view ($left,$top)-($right,$bottom) runs off the 1280 x 800 screen"
[ $((right - left)) -eq 1280 ] && [ $((bottom - top)) -eq 800 ] ||
  e2e_fail "the full-size view ($left,$top)-($right,$bottom) does not fill the screen"
e2e_key Escape
e2e_wait_no_window '^big\.jpg'

e2e_save_new_album "$main" "$album"
saved=$(unzip -p "$album" data.xml)
grep -qF "$caption" <<<"$saved" || e2e_fail "the caption is not in the saved data.xml"
grep -qF "$welcome" <<<"$saved" || e2e_fail "the welcome text is not in the saved data.xml"
e2e_close_program '^Fotrenza  \[frames\.zip\]$' 20
[ "$E2E_EXIT" -eq 0 ] || e2e_fail "exit code $E2E_EXIT after closing the window"

# Second run: the album from the recent list holds both texts.
e2e_start_reopen_recent '^Fotrenza  \[frames\.zip\]$'
sleep 1
main=$E2E_MAIN_WINDOW
xdotool windowsize --sync "$main" 1024 700 2>/dev/null || xdotool windowsize "$main" 1024 700
sleep 0.5
e2e_activate "$main"
e2e_click "$main" 426 72
sleep 1
e2e_screenshot "$build_dir/e2e-frames-reopened.png"
read -r x y _ <<<"$(frame_edges "$main")"
# Left of the middle of the background preview's thumbnail (off the stand-in's red slash): the red
# picture, not the stand-in.
rgb=$(convert "$build_dir/e2e-frames-reopened.png" -crop "1x1+$((x + 302))+$((y + 467))" \
  -format '%[fx:int(255*r)] %[fx:int(255*g)]' info:)
read -r red green <<<"$rgb"
[ "$red" -gt 150 ] && [ "$green" -lt 100 ] ||
  e2e_fail "the background preview shows no thumbnail after reopening (pixel $rgb)"
for text in "$caption" "$welcome"; do
  grep -qF "$text" "$E2E_DATA/Pictavo/Preview/data.xml" ||
    e2e_fail "\"$text\" is missing from the reopened album"
done
e2e_close_program '^Fotrenza  \[frames\.zip\]$' 20
[ "$E2E_EXIT" -eq 0 ] || e2e_fail "exit code $E2E_EXIT after the second run"
echo "frames flow passed"
