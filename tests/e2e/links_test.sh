#!/usr/bin/env bash
# What the game opens and where it starts:
# - without DISPLAY and WAYLAND_DISPLAY it ends at once with status 1 and says
#   why, instead of running unseen;
# - started in a folder holding "play.url" and "fscommand/pgate.exe" (as a
#   folder someone else controls might), it opens neither: at exit it hands
#   xdg-open only the "play.url" in its own folder. A fake xdg-open first in
#   PATH logs what it is given.
# Usage: links_test.sh GAME_DIR
set -uo pipefail
game_dir=$(cd "$1" && pwd)
for tool in Xvfb xdotool timeout; do
  command -v "$tool" >/dev/null || { echo "links test: $tool is not installed"; exit 1; }
done
work=$(mktemp -d /tmp/klv-links-XXXXXX)
xvfb_pid=""
game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "links test: $*"
  echo "--- the game's output:"; tail -n 30 "$work/game.log" 2>/dev/null
  exit 1
}
export SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0
mkdir -p "$work/game" "$work/cwd/fscommand" "$work/bin" "$work/home"
cp "$game_dir/klevaria" "$work/game/"
ln -s "$game_dir/Data" "$work/game/Data"
ln -s "$game_dir/Sound" "$work/game/Sound"
printf '[InternetShortcut]\nURL=https://example.org/ours\n' >"$work/game/play.url"
printf '[InternetShortcut]\nURL=https://example.org/theirs\n' >"$work/cwd/play.url"
printf '[InternetShortcut]\nURL=https://example.org/theirs\n' >"$work/cwd/moregames.url"
printf '#!/bin/sh\necho ran >"%s/pgate.ran"\n' "$work" >"$work/cwd/fscommand/pgate.exe"
chmod +x "$work/cwd/fscommand/pgate.exe"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >>"%s/opened.log"\n' "$work" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH" HOME="$work/home" XDG_DATA_HOME="$work/home/data"

# No display at all: status 1 and a reason, within the time limit.
(cd "$work/cwd" && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER \
  timeout -s KILL 20 "$work/game/klevaria") >"$work/game.log" 2>&1
status=$?
[ "$status" = 1 ] || fail "without a display the game ended with status $status, not 1"
grep -q "no display" "$work/game.log" || fail "without a display the game did not say why"
echo "links test: without a display: status 1, '$(head -n1 "$work/game.log")'"

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"
unset WAYLAND_DISPLAY SDL_VIDEODRIVER

(cd "$work/cwd" && exec "$work/game/klevaria") >"$work/game.log" 2>&1 &
game_pid=$!
timeout 60 xdotool search --sync --class klevaria >/dev/null || fail "no window appeared"
sleep 2
kill -TERM "$game_pid"
for _ in $(seq 100); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$game_pid" 2>/dev/null && fail "the game did not end on SIGTERM"
wait "$game_pid"
status=$?
game_pid=""
[ "$status" = 0 ] || fail "the game ended with status $status"
# xdg-open runs detached: give it a moment.
for _ in $(seq 50); do [ -s "$work/opened.log" ] && break; sleep 0.1; done
echo "links test: xdg-open was given: $(tr '\n' ' ' <"$work/opened.log" 2>/dev/null)"
[ -e "$work/pgate.ran" ] && fail "the launcher in the current folder was run"
[ "$(cat "$work/opened.log" 2>/dev/null)" = "$work/game/play.url" ] ||
  fail "xdg-open should get only $work/game/play.url"
echo "links test: passed"
