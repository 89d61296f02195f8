#!/usr/bin/env bash
# A template package made here is installed through Install New Album and the real file
# dialog; the new template is then picked in the template chooser for a new album, whose
# working copy must be that template's.
# Usage: flow_package.sh <program folder> <build folder>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/e2e_lib.sh"
build_dir=$2
E2E_SHOT_ON_FAIL=$build_dir/e2e-flow-package-failed.png
e2e_setup "$1" "$build_dir"

# The package: one template, a copy of the shipped one under another id (sorted first, so it
# is the chooser's first thumbnail) with a player of its own, and a member climbing out.
id=aaa-e2e
src=$E2E_WORK/pkgsrc
mkdir -p "$src"
cp -a "$E2E_PROG/Templates/fz-simple" "$src/$id"
sed -i "s/id=\"fz-simple\"/id=\"$id\"/" "$src/$id/album.xml"
printf 'player of %s' "$id" >"$src/$id/index.swf"
cat >"$src/package.xml" <<XML
<?xml version="1.0"?>
<package id="e2e-pack" name="E2E Pack">
	<template id="$id" name="E2E Template" description="Made by the flow test"/>
</package>
XML
package=$E2E_WORK/e2e-pack.zip
(cd "$src" && zip -qr "$package" package.xml "$id")

# A window titled like the main window but other than it: the program's message boxes.
wait_box() {
  local main=$1 i wid
  for i in $(seq 1 $((E2E_TIMEOUT * 5))); do
    for wid in $(xdotool search --onlyvisible --name '^Fotrenza$' 2>/dev/null); do
      [ "$wid" != "$main" ] && echo "$wid" && return 0
    done
    sleep 0.2
  done
  e2e_fail "no message box within ${E2E_TIMEOUT}s (windows: $(e2e_titles))"
}

# Waits until the window is no longer shown.
wait_gone() {
  local i
  for i in $(seq 1 $((E2E_TIMEOUT * 5))); do
    xdotool search --onlyvisible --name '^Fotrenza$' 2>/dev/null | grep -qx "$1" || return 0
    sleep 0.2
  done
  e2e_fail "the message box did not close"
}

e2e_start
wizard=$(e2e_wait_window '^Album Wizard$' 30)
e2e_activate "$wizard"
e2e_key Escape
e2e_wait_no_window '^Album Wizard$'
main=$(e2e_wait_window '^Fotrenza$')

e2e_activate "$main"
e2e_key ctrl+i
e2e_answer_file_dialog '^Open$' "$package"
box=$(wait_box "$main")
e2e_activate "$box"
e2e_key Return
wait_gone "$box"
cmp -s "$src/$id/index.swf" "$E2E_PROG/Templates/$id/index.swf" ||
  e2e_fail "the template was not installed into Templates/"
grep -q "<template id=\"$id\" name=\"E2E Template\" description=\"Made by the flow test\" package=\"e2e-pack\"/>" \
  "$E2E_PROG/installed.xml" || e2e_fail "installed.xml does not record the template"
ls -a "$E2E_PROG/Templates" | grep -q '^\.staging' && e2e_fail "a staging folder was left behind"

main=$(e2e_wait_window '^Fotrenza$')
e2e_activate "$main"
e2e_key ctrl+n
main=$(e2e_choose_first_template)
sleep 1
e2e_screenshot "$build_dir/e2e-package-album.png"
cmp -s "$src/$id/index.swf" "$E2E_DATA/Pictavo/Preview/index.swf" ||
  e2e_fail "the new album was not made from the installed template"
grep -q "id=\"$id\"" "$E2E_DATA/Pictavo/Preview/album.xml" ||
  e2e_fail "the new album's album.xml is not the installed template's"

e2e_close_window "$main"
# A new album was never saved: leave it unsaved.
box=$(wait_box "$main")
e2e_activate "$box"
e2e_key alt+n
e2e_wait_exit 20
[ "$E2E_EXIT" -eq 0 ] || e2e_fail "exit code $E2E_EXIT after closing the window"
echo "package flow passed"
