#!/usr/bin/env bash
# A game played by keyboard in a real X window (Xvfb), part of it on a
# Russian keyboard layout, with a name typed in Russian: its replay is kept
# with its row of the table, watched from the high-score screen ("Повтор"
# on screen, Esc back to the table), checked by `klevaria --replay FILE
# --check`, and shown by `klevaria --replay FILE`; a damaged file is refused
# with status 1. The world table is on: a klevaria-scores of the test's own
# on a loopback port, the check box ticked by a click in the name entry; the
# service proves the score by replaying the uploaded game, and its page and
# its JSON show the row verified with the same score. KLV_SHOTS_DIR, when
# set, keeps the screenshots.
# Usage: watch_test.sh GAME_DIR BIN_DIR
set -euo pipefail
game_dir=$(cd "$1" && pwd)
bin_dir=$(cd "$2" && pwd)
for tool in Xvfb xdotool openbox setxkbmap python3; do
  command -v "$tool" >/dev/null || { echo "watch test: $tool is not installed"; exit 1; }
done

work=$(mktemp -d /tmp/klv-watch-XXXXXX)
xvfb_pid=""
wm_pid=""
game_pid=""
service_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null || true
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cp "$game_dir/klevaria" "$work/"
ln -s "$game_dir/Data" "$work/Data"
ln -s "$game_dir/Sound" "$work/Sound"

exec 3>"$work/display"
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
export SDL_AUDIODRIVER=dummy
openbox --sm-disable >"$work/wm.log" 2>&1 &
wm_pid=$!
sleep 1

# The world table: the service on a free loopback port with a database of its
# own, bounded in time.
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
service="http://127.0.0.1:$port"
page="$service/cgi/version.pl?prg=Marlowfin&show&type=0"
mkdir "$work/service"
timeout 280 "$bin_dir/klevaria-scores" --port "$port" --db "$work/service/scores.db" \
  --game-dir "$game_dir" --workers 1 2>"$work/service.log" &
service_pid=$!
# fetch URL [FILE]: the body to standard output or FILE, never through a proxy.
fetch() {
  python3 - "$@" <<'PY'
import sys, urllib.request
opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))
body = opener.open(sys.argv[1], timeout=5).read()
if len(sys.argv) > 2:
    open(sys.argv[2], 'wb').write(body)
else:
    sys.stdout.write(body.decode('utf-8'))
PY
}

fail() {
  echo "watch test: $*"
  [ -n "${KLV_SHOTS_DIR:-}" ] && [ -n "${win:-}" ] &&
    "$bin_dir/xprobe" shot "$win" "$KLV_SHOTS_DIR/failed.ppm" 2>/dev/null
  echo "--- the game's output:"; tail -n 30 "$work/game.log" 2>/dev/null || true
  echo "--- the service's output:"; tail -n 20 "$work/service.log" 2>/dev/null || true
  exit 1
}
step() { echo "watch test: $*"; }
wait_for() {  # wait_for SECONDS COMMAND...: poll until the command succeeds
  local t=$1; shift
  for _ in $(seq $((t * 10))); do "$@" && return 0; sleep 0.1; done
  return 1
}
key() { xdotool key --delay 80 "$@"; sleep 0.4; }
pixel() { "$bin_dir/xprobe" pixel "$win" "$1" "$2"; }
is_gold() { local p; p=$(pixel "$1" "$2"); (( 16#${p:0:2} > 200 && 16#${p:2:2} > 160 && 16#${p:4:2} < 130 )); }
is_red() { local p; p=$(pixel "$1" "$2"); (( 16#${p:0:2} > 200 && 16#${p:2:2} < 80 && 16#${p:4:2} < 80 )); }

# Starts the game with ARGS in its folder and waits for its window ($win).
start_game() {
  xdotool mousemove 0 0
  (cd "$work" && exec ./klevaria "$@") >"$work/game.log" 2>&1 &
  game_pid=$!
  win=$(timeout 60 xdotool search --sync --class klevaria | head -n1) ||
    fail "no window appeared"
  xdotool windowfocus --sync "$win" 2>/dev/null || true
  sleep 3
}
wait_game_end() {
  status=0
  wait_for "$1" bash -c "! kill -0 $game_pid 2>/dev/null" || fail "the game did not end"
  wait "$game_pid" || status=$?
  game_pid=""
}
# look_at WHAT NAME X0 X1 Y0 Y1: a screenshot kept as NAME, and the number of
# pixels in that part of it of gold text ("Повтор", "КОНЕЦ ИГРЫ"; WHAT is
# gold) or of the check box's green tick (WHAT is green).
look_at() {
  "$bin_dir/xprobe" shot "$win" "$work/$2.ppm"
  [ -n "${KLV_SHOTS_DIR:-}" ] && cp "$work/$2.ppm" "$KLV_SHOTS_DIR/"
  python3 - "$work/$2.ppm" "$@" <<'PY'
import re, sys
data = open(sys.argv[1], 'rb').read()
head = re.match(rb'P6\s+(\d+)\s+(\d+)\s+\d+\s', data)
w = int(head.group(1))
what = sys.argv[2]
x0, x1, y0, y1 = map(int, sys.argv[4:8])
pixels = data[head.end():]
rows = [pixels[(y * w + x0) * 3:(y * w + x1) * 3] for y in range(y0, y1)]
if what == 'green':
    wanted = lambda r, g, b: g > 130 and r < 120 and b < 120
else:
    wanted = lambda r, g, b: r > 230 and 190 < g < 230 and b < 60
print(sum(wanted(r, g, b) for row in rows for r, g, b in zip(row[0::3], row[1::3], row[2::3])))
PY
}
gold_text_pixels() { look_at gold "$@"; }
tick_pixels() { look_at green "$1" 374 402 365 400; }
# "Повтор" in the top right corner.
replay_text_pixels() { gold_text_pixels "$1" 560 795 5 50; }

for _ in $(seq 100); do fetch "$page" >/dev/null 2>&1 && break; sleep 0.1; done
fetch "$page" >/dev/null || fail "the world-table service did not come up"

# A table every score beats (ten rows of 0), so that a short game by
# keyboard enters it. The game writes its defaults first.
start_game
key Escape Return
wait_game_end 10
python3 - "$work/Config.cfg" <<'PY'
import struct, sys
cfg = bytearray(open(sys.argv[1], 'rb').read())
for i in range(10):
    struct.pack_into('<I', cfg, 36 + 20 * i + 16, 27491)  # 0, masked
open(sys.argv[1], 'wb').write(cfg)
PY
step "a table of zeros"

# A game by keyboard: the hook lowered and let rise again and again, P and
# the end of the game on a Russian layout. A game that caught nothing does
# not enter the table; up to four are played. The hook is lowered with Ctrl,
# which no other screen takes: a level's clock is short, and a Space let go
# after the game ended on its own would start a game from the menu, or enter
# an empty name, unseen by the test.
is_light() { local p; p=$(pixel "$1" "$2"); (( 16#${p:0:2} + 16#${p:2:2} + 16#${p:4:2} > 600 )); }
# menu (its first button lit), over ("КОНЕЦ ИГРЫ" in its frame), entry (the
# name entry's frame) or play.
screen_now() {
  if is_gold 300 245; then echo menu
  elif (( $(gold_text_pixels over 260 530 270 325) > 200 )); then echo over
  elif is_light 300 245 && is_light 480 230; then echo entry
  else echo play; fi
}
# The end of a game shows "КОНЕЦ ИГРЫ" for a while, then the name entry or
# the menu.
settled() { [ "$(screen_now)" != over ]; }
fish() {
  for _ in $(seq "$1"); do xdotool keydown Control_L; sleep 0.6; xdotool keyup Control_L; sleep 0.9; done
}
start_game --score-service "$service"
shown=""
for attempt in 1 2 3 4; do
  setxkbmap -layout us
  key Return
  sleep 3
  fish 8
  setxkbmap -layout ru
  key Cyrillic_ze   # the P key: pause
  sleep 1
  key Cyrillic_ze
  fish 4
  # The game may still be running, or its clock may run out while the test
  # looks: looked at again until it shows the menu or the name entry.
  shown=""
  for _ in 1 2 3 4; do
    [ "$shown" = menu ] || [ "$shown" = entry ] && break
    wait_for 10 settled || fail "game $attempt: \"КОНЕЦ ИГРЫ\" stays"
    shown=$(screen_now)
    [ "$shown" = play ] || continue
    # Escape asks to leave (not while a level's "Готовсь!" holds play).
    # A second Escape would answer the question: it is pressed again only
    # when none came within 3 s.
    for _ in 1 2 3; do key Escape; wait_for 3 is_light 300 150 && break; done
    key Cyrillic_en   # the Y key: "Да"
    sleep 1
  done
  [ -n "${KLV_SHOTS_DIR:-}" ] && "$bin_dir/xprobe" shot "$win" "$KLV_SHOTS_DIR/game-$attempt.ppm"
  [ "$shown" = entry ] && break
  step "game $attempt: $shown, not the name entry; again"
  [ "$shown" = menu ] || fail "game $attempt ended on neither the menu nor the name entry"
done
[ "$shown" = entry ] || fail "four games caught nothing"
# The world table's check box ticked by a click (its spot lights under the
# pointer first); "Петя" typed on the Russian layout, key by key, over
# whatever a key meant for play may have typed.
# A click that only ended the end-of-game frame is clicked again, until the
# box shows its green tick. The box takes a click only while its spot is lit,
# and a spot lights when the pointer moves over it: the pointer moves onto
# the box before each click.
sleep 1
xdotool mousemove --window "$win" 387 389
sleep 0.5
(( $(tick_pixels chk0) == 0 )) || fail "the world table's check box was ticked before a click"
ticked=""
for try in 1 2 3; do
  xdotool mousemove --window "$win" $((386 + try % 2 * 2)) 389
  sleep 0.4
  xdotool click 1
  sleep 0.7
  (( $(tick_pixels "chk$try") > 40 )) && { ticked=yes; break; }
  step "click $try on the check box did not tick it; again"
done
[ -n "$ticked" ] || fail "three clicks did not tick the world table's check box"
[ -n "${KLV_SHOTS_DIR:-}" ] && "$bin_dir/xprobe" shot "$win" "$KLV_SHOTS_DIR/entry.ppm"
for _ in $(seq 12); do xdotool key BackSpace; done
key Cyrillic_PE Cyrillic_ie Cyrillic_te Cyrillic_ya
sleep 0.5
key Return
setxkbmap -layout us
# The score goes to the world table first, and the game waits for it.
wait_for 30 is_red 125 231 || fail "no replay mark beside row 1: $(pixel 125 231)"
[ -f "$work/replays/table-01.klr" ] || fail "the row's replay was not kept: $(ls "$work/replays")"
(( $(od -An -tu1 -j3 -N1 "$work/Config.cfg") == 1 )) || fail "the world table's check box was not ticked"
step "game played, entered the table with its replay and was sent to the world table"

# Watched from the high-score screen by the row's number, paused and
# resumed, ended by Escape. Each step waits for what it should show.
replay_shown() { (( $(replay_text_pixels "$1") > 100 )); }
replay_gone() { (( $(replay_text_pixels "$1") < 20 )); }
key 1
wait_for 10 replay_shown watching || fail "no \"Повтор\" while watching"
key p
sleep 1
key p
replay_shown resumed || fail "the replay ended before Escape: $(tail -n 3 "$work/game.log")"
key Escape
wait_for 5 replay_gone back || fail "\"Повтор\" still shown after Escape"
is_red 125 231 || fail "Escape did not return to the high-score screen"
# A click on the row's name watches it too, F plays it faster, a click ends it.
xdotool mousemove --window "$win" 200 231 click 1
wait_for 10 replay_shown clicked || fail "a click on the row did not show its replay"
key f
replay_shown faster || fail "the replay ended before the click that ends it"
xdotool click 1
wait_for 5 replay_gone back || fail "\"Повтор\" still shown after a click"
is_red 125 231 || fail "a click did not end the replay"
step "watched from the high-score screen"

# Leaving: the table and the replay stay.
key Escape Escape Return
wait_game_end 10
[ "$status" = 0 ] || fail "the game ended with status $status"

out=$(cd "$work" && ./klevaria --replay replays/table-01.klr --check 2>&1) ||
  fail "--check refused the game: $out"
[[ "$out" == *"name Петя"* ]] || fail "--check: $out"
step "--check agrees: $out"
score=$(sed -n 's/^score \([0-9]*\),.*/\1/p' <<<"$out")
[ -n "$score" ] || fail "--check gave no score: $out"

# The world table proves the game by replaying it: the row verified on its
# page and in its JSON form, with the score played; its replay is the one
# the game kept.
proven() {
  python3 - "$page&format=json" "$score" "$work/row.json" <<'PY'
import json, sys, urllib.request
opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))
rows = json.loads(opener.open(sys.argv[1], timeout=5).read().decode('utf-8'))['rows']
open(sys.argv[3], 'w').write(json.dumps(rows, ensure_ascii=False))
mine = [r for r in rows if r['name'] == 'Петя']
sys.exit(0 if len(mine) == 1 and mine[0]['verified'] is True and mine[0]['score'] == int(sys.argv[2]) else 1)
PY
}
wait_for 120 proven || fail "the world table did not prove the game: $(cat "$work/row.json" 2>/dev/null)"
fetch "$page" >"$work/page.html"
grep -q "<td class=\"name\">Петя</td><td class=\"score\">$score</td>.*<span class=\"verified\">проверено</span>" \
  "$work/page.html" || fail "the page does not show Петя $score as проверено: $(grep -i петя "$work/page.html")"
replay_url=$(python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))[0]["replay"])' "$work/row.json")
fetch "$service/cgi/$replay_url" "$work/proof.klr"
cmp -s "$work/proof.klr" "$work/replays/table-01.klr" || fail "the world table keeps another replay"
step "the world table shows Петя $score, проверено"

start_game --replay replays/table-01.klr
n=$(replay_text_pixels window)
(( n > 100 )) || fail "--replay shows no \"Повтор\" ($n pixels)"
key f
key Escape
wait_game_end 10
[ "$status" = 0 ] || fail "--replay ended with status $status"
step "--replay FILE in a window, ended by Escape"

# A file cut short: a box and status 1.
head -c 100 "$work/replays/table-01.klr" >"$work/cut.klr"
(cd "$work" && exec ./klevaria --replay cut.klr) >"$work/game.log" 2>&1 &
game_pid=$!
sleep 3
for _ in 1 2 3; do kill -0 "$game_pid" 2>/dev/null && xdotool key Return; sleep 1; done
wait_game_end 10
[ "$status" = 1 ] || fail "a cut file: status $status"
grep -q "truncated" "$work/game.log" || fail "a cut file: no reason given"
step "a cut file refused"
echo "watch test: passed"
