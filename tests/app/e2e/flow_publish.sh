#!/usr/bin/env bash
# A user publishes a new album: the start-up wizard's Create with the sample template, a gallery
# with two photos added, Ctrl+S through the real save dialog, Ctrl+P through the real folder
# dialog into an empty folder, the publishing dialog closed; then the published folder is served
# by Python's http.server and the page is loaded in the browser engine, where the template's
# player shows the album (the screenshot e2e-published-page.png shows it).
# Usage: flow_publish.sh <program folder> <build folder>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/e2e_lib.sh"
build_dir=$2
E2E_SHOT_ON_FAIL=$build_dir/e2e-flow-publish-failed.png
e2e_setup "$1" "$build_dir"
album=$E2E_WORK/albums/published.zip
site=$E2E_WORK/site
mkdir -p "$E2E_WORK/albums" "$site"

pictures=$E2E_WORK/pictures
mkdir -p "$pictures"
convert -size 320x240 gradient:steelblue-orange "$pictures/dawn.jpg"
convert -size 320x240 gradient:seagreen-khaki "$pictures/dusk.jpg"

e2e_start_new_album
main=$E2E_MAIN_WINDOW
# A second gallery with two photos (the tree takes the edit keys once it has the focus).
e2e_activate "$main"
sleep 0.5
e2e_click "$main" 12 92
e2e_key ctrl+Insert
sleep 0.5
e2e_key Insert
e2e_answer_file_dialog '^Open$' "\"$pictures/dawn.jpg\" \"$pictures/dusk.jpg\""
sleep 1
e2e_save_new_album "$main" "$album"

e2e_activate "$main"
e2e_key ctrl+p
e2e_answer_file_dialog '^Select a folder to store the published files' "$site"
publishing=$(e2e_wait_window '^Publishing$' 60)
sleep 1
e2e_screenshot "$build_dir/e2e-publishing-dialog.png"
e2e_close_window "$publishing"
e2e_wait_no_window '^Publishing$'

[ -f "$site/photogallery.htm" ] || e2e_fail "no photogallery.htm in the published folder"
grep -q 'pictavo/index.swf' "$site/photogallery.htm" &&
  grep -q 'src="pictavo/player.js"' "$site/photogallery.htm" ||
  e2e_fail "photogallery.htm does not point into pictavo/"
for f in data.xml index.swf player.js player.css; do
  [ -f "$site/pictavo/$f" ] || e2e_fail "pictavo/$f missing"
done
for f in index.html album.xml thumb.jpg AC_RunActiveContent.js; do
  [ ! -e "$site/pictavo/$f" ] || e2e_fail "pictavo/$f was published"
done
cmp -s "$site/pictavo/data.xml" "$E2E_DATA/Pictavo/Preview/data.xml" ||
  e2e_fail "the published data.xml differs from the working copy's"
if grep -q 'pictavo/' "$E2E_DATA/Pictavo/Preview/index.html"; then
  e2e_fail "the working copy's page kept the published base folder"
fi

port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
/usr/bin/python3 -m http.server --bind 127.0.0.1 --directory "$site" "$port" \
  >"$E2E_WORK/http.log" 2>&1 &
http_pid=$!
trap 'kill $http_pid 2>/dev/null || true; _e2e_cleanup' EXIT
for _ in $(seq 50); do
  /usr/bin/python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 1)" \
    2>/dev/null && break
  sleep 0.1
done
"$build_dir/tests/app_page_load_check" "http://127.0.0.1:$port/photogallery.htm" "My Album" \
  "$build_dir/e2e-published-page.png" "Gallery 1" "Gallery 2" ||
  e2e_fail "the published page did not play"

e2e_close_program '^Fotrenza  \[published\.zip\]$' 20
[ "$E2E_EXIT" -eq 0 ] || e2e_fail "exit code $E2E_EXIT after closing the window"
echo "publish flow passed"
