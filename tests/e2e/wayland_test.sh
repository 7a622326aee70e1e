#!/usr/bin/env bash
# The real game as a native Wayland client: a Wayland desktop gives a window
# no surface of its own to draw into, and the game must show its menu all the
# same. Weston runs nested in Xvfb (its headless backend has no seat, which
# the SDL of Debian 12 cannot start without); its screenshot shows whether the
# menu's lit button is on screen. Then SIGTERM ends the game with status 0.
# Usage: wayland_test.sh GAME_DIR SOURCE_DIR
set -euo pipefail
game_dir=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
for tool in Xvfb weston weston-screenshooter python3; do
  command -v "$tool" >/dev/null || { echo "wayland test: $tool is not installed"; exit 1; }
done

work=$(mktemp -d /tmp/klv-wayland-XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "wayland test: $*"
  echo "--- the game's output:"; tail -n 20 "$work/game.log" 2>/dev/null || true
  echo "--- weston's output:"; tail -n 10 "$work/weston.log" 2>/dev/null || true
  exit 1
}

cp "$game_dir/klevaria" "$work/"
ln -s "$game_dir/Data" "$work/Data"
ln -s "$game_dir/Sound" "$work/Sound"

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"

export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export WAYLAND_DISPLAY=klv-wayland
# --debug lets weston-screenshooter take its picture.
weston --backend=x11-backend.so --socket="$WAYLAND_DISPLAY" --width=1024 --height=768 \
  --idle-time=0 --debug >"$work/weston.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || fail "weston did not start"

# The Wayland client libraries keep allocations of their own until the
# process ends; every other test runs the game's code with leak checks on.
(cd "$work" && SDL_VIDEODRIVER=wayland SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 \
  exec ./klevaria) >"$work/game.log" 2>&1 &
game_pid=$!
pids+=("$game_pid")

# Lit-button gold (#FFD23F) pixels in a screenshot of the whole desktop.
gold_pixels() {
  python3 - "$source_dir/tools/art" "$1" <<'PY'
import sys
sys.path.insert(0, sys.argv[1])
from pngio import read_png
_, _, rows = read_png(sys.argv[2])
print(sum(1 for row in rows for i in range(0, len(row), 4)
          if row[i] > 230 and 190 < row[i + 1] < 225 and row[i + 2] < 100))
PY
}

mkdir "$work/shots"
shown=0
for _ in $(seq 10); do
  sleep 2
  kill -0 "$game_pid" 2>/dev/null || fail "the game ended on its own"
  rm -f "$work"/shots/*.png
  (cd "$work/shots" && weston-screenshooter) >/dev/null 2>&1 || continue
  shot=$(ls "$work"/shots/*.png 2>/dev/null | head -n1)
  [ -n "$shot" ] || continue
  n=$(gold_pixels "$shot")
  if [ "$n" -gt 2000 ]; then shown=$n; break; fi
done
[ "$shown" -gt 0 ] || fail "the menu never showed in the Wayland window"
echo "wayland test: the menu is on screen ($shown gold pixels of the lit button)"

kill -TERM "$game_pid"
status=0
for _ in $(seq 50); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
wait "$game_pid" || status=$?
[ "$status" = 0 ] || fail "SIGTERM: the game ended with status $status"
echo "wayland test: passed"
