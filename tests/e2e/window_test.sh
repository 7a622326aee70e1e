#!/usr/bin/env bash
# Plays the real game in a real X window (Xvfb) the way a player would, with
# xdotool: menu, options, a short game, the questions, full screen, a window
# sized by its border and maximised, and exit; then the letter keys on a
# Russian keyboard layout, the desktop's end requests (SIGTERM, SIGINT,
# SIGHUP), also while a message box is open, and --fullscreen and --windowed.
# Usage: window_test.sh GAME_DIR BIN_DIR
set -euo pipefail
game_dir=$(cd "$1" && pwd)
bin_dir=$(cd "$2" && pwd)
for tool in Xvfb xdotool openbox setxkbmap; do
  command -v "$tool" >/dev/null || { echo "window test: $tool is not installed"; exit 1; }
done

work=$(mktemp -d /tmp/klv-window-XXXXXX)
xvfb_pid=""
wm_pid=""
game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A private copy of the game folder: the game writes Config.cfg beside itself.
cp "$game_dir/klevaria" "$work/"
ln -s "$game_dir/Data" "$work/Data"
ln -s "$game_dir/Sound" "$work/Sound"

exec 3>"$work/display"
# -noreset: the server keeps the keyboard layout set below when its last
# client leaves.
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
export SDL_AUDIODRIVER=dummy
# A window manager, as on a desktop: full screen and close requests go through it.
openbox --sm-disable >"$work/wm.log" 2>&1 &
wm_pid=$!
sleep 1

fail() {
  echo "window test: $*"
  echo "--- the game's output:"; tail -n 30 "$work/game.log" 2>/dev/null || true
  exit 1
}
step() { echo "window test: $*"; }

# The first window `xdotool search ARGS...` finds within SECONDS. A window
# that goes while xdotool walks the tree (a box's, the GPU probe's) makes
# one search fail with BadWindow: it looks again.
find_window() {
  local deadline=$((SECONDS + $1)) w
  shift
  while ((SECONDS < deadline)); do
    w=$(xdotool search "$@" 2>/dev/null | head -n1) && [ -n "$w" ] && echo "$w" && return 0
    sleep 0.2
  done
  return 1
}

# Starts the game in its folder and waits for its window ($win, $game_pid).
start_game() {
  # The pointer starts away from the window, so it lights nothing.
  xdotool mousemove 0 0
  (cd "$work" && exec ./klevaria "$@") >"$work/game.log" 2>&1 &
  game_pid=$!
  win=$(find_window 60 --all --pid "$game_pid" --class klevaria) ||
    fail "no window appeared"
  xdotool windowfocus --sync "$win" 2>/dev/null || true
  sleep 3
}
# Waits for the game to end by itself; $status is its exit status.
wait_game_end() {
  status=0
  wait_for "$1" bash -c "! kill -0 $game_pid 2>/dev/null" || fail "the game did not end"
  wait "$game_pid" || status=$?
  game_pid=""
}

start_game
step "window $win"

read -r w h < <("$bin_dir/xprobe" size "$win")
[ "$w" = 800 ] && [ "$h" = 600 ] || fail "window is ${w}x${h}, not 800x600"

# Brightness and colour of one pixel of the window.
pixel() { "$bin_dir/xprobe" pixel "$win" "$1" "$2"; }
is_gold() { local p; p=$(pixel "$1" "$2"); (( 16#${p:0:2} > 200 && 16#${p:2:2} > 160 && 16#${p:4:2} < 130 )); }
is_light() { local p; p=$(pixel "$1" "$2"); (( 16#${p:0:2} + 16#${p:2:2} + 16#${p:4:2} > 600 )); }
wait_for() {  # wait_for SECONDS COMMAND...: poll until the command succeeds
  local t=$1; shift
  for _ in $(seq $((t * 10))); do "$@" && return 0; sleep 0.1; done
  return 1
}
key() { xdotool key --delay 80 "$@"; sleep 0.4; }

# The menu: pointing at "Начать игру" lights it (gold); "Настройки" is not lit.
xdotool mousemove --window "$win" 300 245
wait_for 20 is_gold 300 245 || fail "the menu's first button is not lit: $(pixel 300 245)"
is_gold 300 292 && fail "the second menu button is lit too"
step "menu shown"

# Down and Enter reach the options; music off; OptBack by mouse.
key Down
wait_for 5 is_gold 300 292 || fail "Down did not light the second item"
key Return
sleep 0.5
xdotool mousemove --window "$win" 410 286 click 1
sleep 0.5
xdotool mousemove --window "$win" 90 476 click 1
sleep 0.8
wait_for 5 is_gold 300 292 || fail "OptBack did not return to the menu with item 2 lit"
step "options: music switched off, back in the menu"

# A game: Up, Enter; after the get-ready hold, Space held and let go.
key Up Return
sleep 3
xdotool keydown space; sleep 1; xdotool keyup space
sleep 0.5
# Escape asks "Выйти из игры?" over the scene; "Да" returns to the menu.
key Escape
wait_for 5 is_light 300 150 || fail "Escape in play did not show the question"
key Return
wait_for 10 is_gold 300 245 || fail "'Да' did not return to the menu"
step "game started, left through the question"

# The close button asks instead of closing; "Нет" stays.
"$bin_dir/xprobe" close "$win"
wait_for 5 is_light 300 150 || fail "a close request did not ask"
kill -0 "$game_pid" || fail "the window closed on a close request"
key Escape
wait_for 5 is_gold 300 245 || fail "Escape did not answer 'Нет'"
step "close request asked"

# Alt+Enter: full screen and back.
key alt+Return
sleep 1.5
read -r w h < <("$bin_dir/xprobe" size "$win")
[ "$w" = 1024 ] && [ "$h" = 768 ] || fail "Alt+Enter: window is ${w}x${h}, not full screen"
key alt+Return
sleep 1.5
read -r w h < <("$bin_dir/xprobe" size "$win")
[ "$w" = 800 ] && [ "$h" = 600 ] || fail "Alt+Enter again: window is ${w}x${h}"
step "full screen and back"

# Sized by its border: the picture is scaled to the window's height (666 x 500
# from x 167) and letterboxed, and the mouse acts where the picture shows.
is_black() { [ "$(pixel "$1" "$2")" = 000000 ]; }
xdotool windowsize "$win" 1000 500
sleep 1.5
read -r w h < <("$bin_dir/xprobe" size "$win")
[ "$w" = 1000 ] && [ "$h" = 500 ] || fail "the window did not take the size 1000x500: ${w}x${h}"
"$bin_dir/xprobe" shot "$win" "$work/sized.ppm" || fail "no screenshot of the sized window"
for at in "5 250" "160 10" "160 490" "840 250" "994 10"; do
  is_black $at || fail "no black bar at ($at): $(pixel $at)"
done
for at in "175 10" "500 250" "825 490"; do
  is_black $at && fail "the picture does not reach ($at)"
done
wait_for 5 is_gold 417 204 || fail "the lit first button is not at its scaled place: $(pixel 417 204)"
xdotool mousemove --window "$win" 416 400 click 1  # "Выход", 300 480 in the picture
wait_for 5 is_light 416 125 || fail "a click on the scaled \"Выход\" did not ask"
key Escape
wait_for 5 is_gold 417 204 || fail "Escape did not answer 'Нет' in the sized window"
step "sized window: scaled, letterboxed, clicked"

# A double click on the title maximises, which is full screen; Alt+Enter comes
# back to the size the window had.
read -r wx wy < <("$bin_dir/xprobe" place "$win")
xdotool mousemove $((wx + 300)) $((wy - 10))
sleep 0.3
xdotool click --repeat 2 --delay 80 1
sleep 1.5
read -r w h < <("$bin_dir/xprobe" size "$win")
[ "$w" = 1024 ] && [ "$h" = 768 ] || fail "maximising: window is ${w}x${h}, not full screen"
key alt+Return
sleep 1.5
read -r w h < <("$bin_dir/xprobe" size "$win")
[ "$w" = 1000 ] && [ "$h" = 500 ] || fail "out of full screen the window is ${w}x${h}, not 1000x500"
step "maximised to full screen and back to 1000x500"

# Escape and Enter end the program with status 0; the settings hold music off.
key Escape Return
wait_game_end 10
[ "$status" = 0 ] || fail "the game ended with status $status"
[ -f "$work/Config.cfg" ] || fail "no Config.cfg was written"
music=$(od -An -tu1 -N1 "$work/Config.cfg" | tr -d ' ')
[ "$music" = 0 ] || fail "Config.cfg holds music $music, not off"
size=$(stat -c %s "$work/Config.cfg")
[ "$size" = 240 ] || fail "Config.cfg is $size bytes"
step "ended with status 0, music off saved"

# A Russian layout: the letter keys count by their place on the keyboard.
setxkbmap -layout ru
start_game
key Escape
wait_for 5 is_light 300 150 || fail "Escape in the menu did not ask"
key Cyrillic_te  # the N key: "Нет"
wait_for 5 is_gold 300 245 || fail "N on a Russian layout did not answer the question"
key Escape
wait_for 5 is_light 300 150 || fail "Escape in the menu did not ask again"
key Cyrillic_en  # the Y key: "Да"
wait_game_end 10
[ "$status" = 0 ] || fail "Y on a Russian layout: the game ended with status $status"
step "Russian layout: N and Y answer the question"
setxkbmap -layout us

# The desktop's end requests save the settings and end the game at once, with
# no question, whatever the game is doing (here: playing).
for sig in TERM INT HUP; do
  rm -f "$work/Config.cfg"
  start_game
  key Return
  sleep 1
  started=$(date +%s%N)
  kill -s "$sig" "$game_pid"
  wait_game_end 5
  took=$((($(date +%s%N) - started) / 1000000))
  [ "$status" = 0 ] || fail "SIG$sig: the game ended with status $status"
  [ -f "$work/Config.cfg" ] || fail "SIG$sig: no Config.cfg was saved"
  step "SIG$sig: saved and ended with status 0 in $took ms"
done

# A message box is a child of the game's (a Config.cfg too short to use makes
# one at start): its OK goes on with the game; a signal ends the game while
# it is open, saving, and the box goes with the game, even after SIGKILL.
box_pid=""
box_win=""
box_child() {  # the game's child showing the box (its pid), by /proc alone
  local d
  for d in /proc/[0-9]*; do
    [ "$(cut -d' ' -f4 "$d/stat" 2>/dev/null)" = "$game_pid" ] || continue
    tr '\0' ' ' <"$d/cmdline" 2>/dev/null | grep -q -- ' --message-box ' && echo "${d#/proc/}" && return 0
  done
  return 1
}
open_box() {  # a game whose box is up: $box_pid, $box_win
  rm -f "$work"/Config.cfg*
  printf 'short' >"$work/Config.cfg"
  start_game
  wait_for 5 box_child >/dev/null || fail "no message box child"
  box_pid=$(box_child)
  box_win=$(find_window 10 --pid "$box_pid") ||
    fail "the message box has no window"
  sleep 0.5
}
# Gone, or dead and waiting to be reaped by whoever took it over.
box_gone() {
  ! kill -0 "$box_pid" 2>/dev/null || [ "$(cut -d' ' -f3 "/proc/$box_pid/stat" 2>/dev/null)" = Z ]
}
open_box
[ "$("$bin_dir/xprobe" pixel "$box_win" 10 10)" = F6EDD2 ] ||
  fail "the box is not drawn: $("$bin_dir/xprobe" pixel "$box_win" 10 10)"
read -r bw bh < <("$bin_dir/xprobe" size "$box_win")
xdotool mousemove --window "$box_win" $((bw / 2)) $((bh - 36)) click 1
wait_for 5 box_gone || fail "OK did not close the box"
kill -0 "$game_pid" || fail "the game ended with its box"
xdotool mousemove --window "$win" 300 245
wait_for 10 is_gold 300 245 || fail "no menu after the box"
kill -s TERM "$game_pid"
wait_game_end 5
step "message box: drawn, closed by OK, the game went on"
for sig in TERM INT; do
  open_box
  started=$(date +%s%N)
  kill -s "$sig" "$game_pid"
  wait_game_end 5
  took=$((($(date +%s%N) - started) / 1000000))
  [ "$status" = 0 ] || fail "SIG$sig with a box: the game ended with status $status"
  [ "$(stat -c %s "$work/Config.cfg")" = 240 ] || fail "SIG$sig with a box: no settings saved"
  wait_for 2 box_gone || fail "SIG$sig: the box outlived the game"
  step "SIG$sig with a box open: saved and ended with status 0 in $took ms, box gone"
done
open_box
kill -s KILL "$game_pid"
wait "$game_pid" 2>/dev/null || true
game_pid=""
wait_for 2 box_gone || fail "SIGKILL: the box outlived the game"
step "SIGKILL with a box open: the box went with the game"

# --fullscreen and --windowed start in that mode and keep it as the setting.
rm -f "$work"/Config.cfg*
windowed_saved() { od -An -tu1 -j2 -N1 "$work/Config.cfg" | tr -d ' '; }
for mode in fullscreen:1024:0 windowed:800:1; do
  IFS=: read -r option width saved <<<"$mode"
  start_game "--$option"
  read -r w h < <("$bin_dir/xprobe" size "$win")
  [ "$w" = "$width" ] || fail "--$option: the window is ${w}x${h}"
  kill -s TERM "$game_pid"
  wait_game_end 5
  [ "$(windowed_saved)" = "$saved" ] || fail "--$option: Config.cfg holds windowed $(windowed_saved)"
  step "--$option: ${w}x${h}, kept"
done
echo "window test: passed"
