#!/usr/bin/env bash
# A user publishes a new album and uploads it: the start-up wizard's Create with the sample
# template (its copy in the program folder given a player file of 1.5 MB, past the send loop's
# 256 KiB block size), Ctrl+S through the real save dialog, Ctrl+P through the real folder dialog, then
# Upload in the publishing dialog, Upload in "Publish To FTP", and the window closed once the
# upload is complete. The server is a real FTP server on 127.0.0.1 port 21 (the program knows
# no other port); the files on the server must equal the published folder byte for byte.
# Usage: flow_ftp.sh <program folder> <build folder>. Exit code 77 (skipped) when port 21
# cannot be had.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../../.." && pwd)
. "$here/e2e_lib.sh"
build_dir=$2
E2E_SHOT_ON_FAIL=$build_dir/e2e-flow-ftp-failed.png
e2e_setup "$1" "$build_dir"
album=$E2E_WORK/albums/uploaded.zip
site=$E2E_WORK/site
server_root=$E2E_WORK/server
mkdir -p "$E2E_WORK/albums" "$site" "$server_root"

/usr/bin/python3 "$source_dir/tests/publish/ftp/ftp_server.py" --port 21 --root "$server_root" \
  --log "$E2E_WORK/ftp-commands.log" >"$E2E_WORK/ftp-port" 2>"$E2E_WORK/ftp-server.log" &
ftp_pid=$!
trap 'kill $ftp_pid 2>/dev/null || true; _e2e_cleanup' EXIT
for i in $(seq 1 100); do
  [ -s "$E2E_WORK/ftp-port" ] && break
  if ! kill -0 $ftp_pid 2>/dev/null; then
    echo "SKIP: no FTP server on port 21: $(tail -n 1 "$E2E_WORK/ftp-server.log")" >&2
    exit 77
  fi
  sleep 0.1
done
[ -s "$E2E_WORK/ftp-port" ] || e2e_fail "the FTP server did not start"

# A player file well over 1 MB in every template of the program folder's copy.
for template in "$E2E_PROG"/Templates/*/; do
  head -c 1572864 /dev/urandom >"$template/player_large.swf"
done

# The FTP defaults the upload starts from: the login folder, passive transfers.
printf '[Settings]\r\ndefFtpHost=127.0.0.1\r\ndefFtpUser=u\r\ndefFtpPass=p\r\ndefFtpDir=\r\ndefFtpTransferMode=passive\r\n' \
  >"$E2E_PROG/brimlogallery.ini"
chmod 600 "$E2E_PROG/brimlogallery.ini"

e2e_start_new_album
main=$E2E_MAIN_WINDOW
e2e_save_new_album "$main" "$album"

e2e_activate "$main"
e2e_key ctrl+p
e2e_answer_file_dialog '^Select a folder to store the published files' "$site"
publishing=$(e2e_wait_window '^Publishing$' 60)
e2e_activate "$publishing"
e2e_click "$publishing" 698 262 # Upload, at the right of the upload section

upload=$(e2e_wait_window '^Publish To FTP$' 30)
e2e_activate "$upload"
e2e_key alt+u
# The upload is complete when the server holds every published file, and the window has
# said goodbye to the server.
for i in $(seq 1 150); do
  grep -q '^QUIT' "$E2E_WORK/ftp-commands.log" 2>/dev/null && diff -r -q "$site" "$server_root" >/dev/null 2>&1 && break
  sleep 0.2
done
sleep 0.5
e2e_screenshot "$build_dir/e2e-ftp-complete.png"
diff -r "$site" "$server_root" >&2 || e2e_fail "the server's files differ from the published folder"
grep -q '^STOR photogallery.htm$' "$E2E_WORK/ftp-commands.log" || e2e_fail "no STOR of the page"
large=$(find "$server_root" -name player_large.swf -size +1024k | head -n1)
[ -n "$large" ] || e2e_fail "the large player file did not reach the server"
e2e_activate "$upload"
e2e_key Escape # after the end the window closes without asking
e2e_wait_no_window '^Publish To FTP$'
e2e_close_window "$publishing"
e2e_wait_no_window '^Publishing$'

e2e_close_program '^Fotrenza  \[uploaded\.zip\]$' 20
[ "$E2E_EXIT" -eq 0 ] || e2e_fail "exit code $E2E_EXIT after closing the window"
echo "ftp flow passed"
