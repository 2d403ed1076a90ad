#!/usr/bin/env bash
# The desktop application as a person uses it, under its own Xvfb: clicks at the controls' layout
# positions and typed keys (xdotool). A key is given another key in the key editor, a macro is
# recorded on the macro button (G9), each applied, and a report rate chosen; the simulated
# keyboard is then read back with vorlinctl. Usage: key_editor_run.sh BUILD_DIR SOURCE_DIR [SCREENSHOT_DIR]
set -euo pipefail
build=$1 src=$2 shots=${3:-}
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
home=$(mktemp -d)
cleanup() {
  [ -n "${app:-}" ] && kill "$app" 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT
mkdir -m 700 "$home/run"
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_RUNTIME_DIR=$home/run
export LANG=en_US.UTF-8 ASAN_OPTIONS=detect_leaks=0
unset QT_QPA_PLATFORM

# A display number of the server's own choosing.
Xvfb -displayfd 5 -screen 0 1366x768x24 -nolisten tcp 5>"$home/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$home/display" ] && break; sleep 0.05; done
[ -s "$home/display" ] || { echo "SKIP: Xvfb did not start"; exit 77; }
export DISPLAY=:$(cat "$home/display")

fail() { echo "FAIL: $*"; sed 's/^/  app: /' "$home/app.log" | grep -v "plugin\|QStandardPaths" | tail -20; exit 1; }
# A layout key's centre from a skin file, as "x y" relative to its window.
centre() { awk -F'[=,]' -v k="$2" '$1 == k { print int($2 + $4 / 2), int($3 + $5 / 2) }' "$src/assets/Skins/$1"; }
# Waits until a shown window titled like the application other than $1 exists; prints its id.
new_window() {
  for _ in $(seq 100); do
    for w in $(xdotool search --onlyvisible --name "Vorlin" 2>/dev/null); do
      [ "$w" != "$1" ] && { echo "$w"; return 0; }
    done
    sleep 0.1
  done
  return 1
}
click() {  # WINDOW SKIN LAYOUT_KEY
  local x y wx wy
  read -r x y < <(centre "$2" "$3")
  [ -n "$x" ] || fail "no layout key $3 in $2"
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + x)) $((Y + y)) click 1
  sleep 0.3
}
gone() { for _ in $(seq 50); do xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
  xdotool search --onlyvisible --name Vorlin | grep -qx "$1" || return 0; sleep 0.1; done; return 1; }

state=$home/keyboard.vsim
"$build/vorlin" --simulate --sim-state "$state" >"$home/app.log" 2>&1 &
app=$!
main=$(new_window none) || fail "the main window did not show"
sleep 1  # the first connection fills the panels

# A key of the picture: the editor opens beside it on the single-key page; B is captured.
click "$main" Main.ini KEY_01E
editor=$(new_window "$main") || fail "the key editor did not open on A"
xdotool key b
sleep 0.3
click "$editor" Composite.ini CONTROL_OK
gone "$editor" || fail "OK did not close the editor"

# The macro button: Add, Record, three keys (Return among them must not close it), Stop, OK.
click "$main" Main.ini FUNC_MACRO
editor=$(new_window "$main") || fail "the key editor did not open on the macro button"
click "$editor" Composite.ini FUNC_MACRO_ADD
click "$editor" Composite.ini FUNC_MACRO_RECORD
xdotool key --delay 150 c d Return
sleep 0.3
click "$editor" Composite.ini FUNC_MACRO_RECORD
[ -n "$shots" ] && "$build/window-shots" --screen "$shots/key-editor-macro-xvfb.png"
xdotool search --onlyvisible --name Vorlin | grep -qx "$editor" || fail "Return closed the editor"
click "$editor" Composite.ini CONTROL_OK
gone "$editor" || fail "OK did not close the editor"

click "$main" Main.ini CONTROL2_APPLY
sleep 2
# The report rate goes to the keyboard at once: the first of the four buttons is rate 0.
click "$main" Main.ini FUNC_REPORT1
sleep 1
[ -n "$shots" ] && "$build/window-shots" --screen "$shots/main-after-editor-xvfb.png"
"$build/vorlin" /Kill >/dev/null 2>&1 || true
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "/Kill did not end the application"
app=

shown=$("$build/vorlinctl" --simulate --sim-state "$state" show --keyboard)
echo "$shown"
grep -q "^  A -> B$" <<<"$shown" || fail "A is not B on the keyboard"
grep -q "G9 -> macro:Macro 1" <<<"$shown" || fail "G9 does not play the recorded macro"
grep -q "press C, 50 ms, release C, 50 ms, press D, 50 ms, release D, 50 ms, press Enter, 50 ms, release Enter, 0 ms" \
  <<<"$shown" || fail "the macro's actions are not the recorded ones"
"$build/vorlinctl" --simulate --sim-state "$state" lighting | grep -q "^Report rate: *0$" ||
  fail "the report rate is not 0 on the keyboard"
echo "PASS"
