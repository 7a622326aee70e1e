#!/usr/bin/env bash
# An installed game whose player has no usable home never writes into its
# data folder. The game is laid out as an install would put it (the program
# in bin/, its data where the build's way from the program leads), the data
# made read-only, and started in Xvfb:
# - as user nobody without HOME (the password database's home is
#   /nonexistent), and with HOME=/nonexistent: it says once, in Russian, that
#   the settings and scores will not be saved and which folder it could not
#   use, plays on, and ends with status 0 without another word;
# - as root without HOME, in a mount namespace whose root home is an empty
#   scratch folder: the settings go to that home's data folder, unasked.
# In every case the data folder and the current folder stay as they were.
# The nobody and root cases need root (setpriv, unshare) and are skipped
# otherwise; HOME pointing at a missing folder is tried as any user.
# Usage: home_test.sh GAME_DIR BIN_DIR DATA_FROM_BIN
set -uo pipefail
game_dir=$(cd "$1" && pwd)
bin_dir=$(cd "$2" && pwd)
data_way=$3
for tool in Xvfb xdotool openbox timeout; do
  command -v "$tool" >/dev/null || { echo "home test: $tool is not installed"; exit 1; }
done

work=$(mktemp -d /tmp/klv-home-XXXXXX)
pids=()
game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  chmod -R u+w "$work" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "home test: $*"
  echo "--- the game's output:"; cat "$work/game.log" 2>/dev/null
  exit 1
}
step() { echo "home test: $*"; }
wait_for() {  # wait_for SECONDS COMMAND...: poll until the command succeeds
  local t=$1; shift
  for _ in $(seq $((t * 10))); do "$@" && return 0; sleep 0.1; done
  return 1
}

# The install: bin/klevaria and its data, readable by anyone, writable by none.
chmod 755 "$work"
prefix="$work/prefix"
mkdir -p "$prefix/bin" "$prefix/bin/$data_way"
data=$(cd "$prefix/bin/$data_way" && pwd)
cp "$game_dir/klevaria" "$prefix/bin/"
cp -rL "$game_dir/Data" "$game_dir/Sound" "$data/"
chmod -R a+rX,a-w "$prefix"
snapshot() { (cd "$data" && find . -printf '%p %s %T@ %m\n' | sort); }
data_before=$(snapshot)

export SDL_AUDIODRIVER=dummy
# The sanitizers' report, if any, must reach the log of whoever runs the game.
export ASAN_OPTIONS=detect_leaks=0
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_for 10 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"
openbox --sm-disable >"$work/wm.log" 2>&1 &
pids+=($!)
sleep 1

is_gold() {
  local p
  p=$("$bin_dir/xprobe" pixel "$1" 300 245 2>/dev/null) || return 1
  (( 16#${p:0:2} > 200 && 16#${p:2:2} > 160 && 16#${p:4:2} < 130 ))
}

# play CASE NOTE COMMAND...: starts the game by COMMAND in an empty current
# folder, answers the one box it expects when NOTE is not empty, checks the
# menu shows, leaves through "Выйти из игры?" and checks the game said
# exactly NOTE (two lines: what is lost, and that play goes on), or nothing.
play() {
  local name=$1 note=$2
  shift 2
  local cwd="$work/cwd-${name// /-}"
  mkdir -p "$cwd"
  chmod 777 "$cwd"
  : >"$work/game.log"
  chmod 666 "$work/game.log"
  xdotool mousemove 0 0
  (cd "$cwd" && exec "$@") >>"$work/game.log" 2>&1 &
  game_pid=$!
  if [ -n "$note" ]; then
    wait_for 60 grep -q "^klevaria: " "$work/game.log" || fail "$name: no message came"
    sleep 1
    # The box has the focus; Enter closes it.
    xdotool key Return
  fi
  local win
  win=$(timeout 60 xdotool search --sync --onlyvisible --class klevaria | head -n1)
  [ -n "$win" ] || fail "$name: no window"
  xdotool mousemove --window "$win" 300 245
  wait_for 30 is_gold "$win" || fail "$name: the menu did not show"
  xdotool windowfocus --sync "$win" 2>/dev/null
  sleep 0.5
  xdotool key --delay 150 Escape Return
  wait_for 30 bash -c "! kill -0 $game_pid 2>/dev/null" || fail "$name: the game did not end (a box waiting?)"
  local status=0
  wait "$game_pid" || status=$?
  game_pid=""
  [ "$status" = 0 ] || fail "$name: the game ended with status $status"
  local said
  said=$(cat "$work/game.log")
  if [ -n "$note" ]; then
    local want
    want=$(printf 'klevaria: %s\nИграть можно, но после выхода из игры они забудутся.' "$note")
    [ "$said" = "$want" ] || fail "$name: the game said '$said', not '$want'"
  else
    [ -z "$said" ] || fail "$name: the game said '$said'"
  fi
  [ "$(snapshot)" = "$data_before" ] ||
    fail "$name: the data folder changed: $(diff <(echo "$data_before") <(snapshot))"
  [ -z "$(ls -A "$cwd")" ] || fail "$name: the game wrote into the current folder: $(ls -A "$cwd")"
  step "$name: ${note:-no message}; nothing written into the data folder"
}

game="$prefix/bin/klevaria"
lost="Настройки и таблица рекордов не будут сохранены: папка"
clean_env=(env -u HOME -u XDG_DATA_HOME -u XDG_CONFIG_HOME)
missing="$work/nonexistent"
play "missing home" "$lost $missing/.local/share/Klevaria/klevaria недоступна (нет такого файла или папки)." \
  "${clean_env[@]}" HOME="$missing" "$game"
[ -e "$missing" ] && fail "missing home: the game made the home $missing"

if [ "$(id -u)" != 0 ]; then
  step "the cases as nobody and as root without HOME need root: skipped"
  exit 0
fi
nobody_home=$(getent passwd nobody | cut -d: -f6)
if [ -z "$nobody_home" ] || [ -e "$nobody_home" ] || [ -e /nonexistent ]; then
  step "user nobody has a home here ('$nobody_home'): the cases as nobody are skipped"
else
  as_nobody=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
  play "nobody without HOME" "$lost $nobody_home/.local/share/Klevaria/klevaria недоступна (нет такого файла или папки)." \
    "${as_nobody[@]}" "${clean_env[@]}" "$game"
  play "nobody with HOME=/nonexistent" "$lost /nonexistent/.local/share/Klevaria/klevaria недоступна (нет такого файла или папки)." \
    "${as_nobody[@]}" "${clean_env[@]}" HOME=/nonexistent "$game"
  [ -e "$nobody_home" ] && fail "the game made nobody's home $nobody_home"
fi

# Root without HOME: root's own home, here an empty scratch folder mounted
# over it in a namespace of the game's own, gets the settings.
root_home=$(getent passwd root | cut -d: -f6)
if ! unshare --mount --propagation private true 2>/dev/null; then
  step "root without HOME: no mount namespace here: skipped"
  exit 0
fi
cat >"$work/as-root.sh" <<EOF
#!/bin/sh
mount -t tmpfs -o mode=700 klv-home "$root_home" || exit 90
"\$@"
status=\$?
(cd "$root_home" && find . -type f -printf '%p %s\n' | sort) >"$work/root-home.list"
exit \$status
EOF
chmod +x "$work/as-root.sh"
play "root without HOME" "" unshare --mount --propagation private "$work/as-root.sh" \
  "${clean_env[@]}" "$game"
grep -qx "./.local/share/Klevaria/klevaria/Config.cfg 240" "$work/root-home.list" ||
  fail "root without HOME: no Config.cfg in $root_home/.local/share/Klevaria/klevaria: $(cat "$work/root-home.list")"
echo "home test: passed"
