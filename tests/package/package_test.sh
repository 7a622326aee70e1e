#!/usr/bin/env bash
# Checks the .deb packages of the game and of the world-table service.
#   package_test.sh lintian|hardening|unpacked PACKAGE_DIR VERSION APP_ID BIN_DIR
# lintian    lintian finds no error and no warning (its other remarks are shown)
#            in the two packages, nor in their -dbgsym packages when the
#            build made them
# hardening  both programs are PIE with full RELRO, bind-now, the stack
#            protector and fortified functions (hardening-check)
# unpacked   the packages unpacked (dpkg-deb -x) into a scratch folder hold
#            the Debian games layout, pass appstreamcli validate-tree, and the
#            game started from there in Xvfb finds its data, shows its menu
#            with its icon, ends with status 0 and keeps its settings in the
#            player's data folder, writing nothing into the unpacked tree.
set -uo pipefail
check=$1
dir=$2
version=$3
app_id=$4
bin_dir=$5

game_deb="$dir/klevaria_${version}_amd64.deb"
scores_deb="$dir/klevaria-scores_${version}_amd64.deb"
if [ ! -f "$game_deb" ] || [ ! -f "$scores_deb" ]; then
  echo "package: no klevaria_${version}_amd64.deb and klevaria-scores_${version}_amd64.deb in $dir; 'make deb' makes them"
  exit 77
fi
fail() {
  echo "package: $*"
  exit 1
}
need() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/install-deps --test)"
  done
}
work=$(mktemp -d /tmp/klv-package-XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
root="$work/root"
unpack() {
  mkdir -p "$root"
  dpkg-deb -x "$game_deb" "$root" && dpkg-deb -x "$scores_deb" "$root" || fail "dpkg-deb -x failed"
}

case "$check" in
lintian)
  need lintian
  status=0
  debs=("$game_deb" "$scores_deb")
  for name in klevaria klevaria-scores; do
    for ext in deb ddeb; do
      dbgsym="$dir/$name-dbgsym_${version}_amd64.$ext"
      [ -f "$dbgsym" ] && debs+=("$dbgsym")
    done
  done
  for deb in "${debs[@]}"; do
    out=$(lintian --no-cfg --info --display-level ">=pedantic" "$deb" 2>&1)
    echo "lintian $(basename "$deb"): ${out:-no remarks}"
    if grep -qE '^[EW]: ' <<<"$out"; then status=1; fi
  done
  exit $status
  ;;
hardening)
  need hardening-check
  unpack
  status=0
  for prog in usr/games/klevaria usr/bin/klevaria-scores; do
    [ -f "$root/$prog" ] || fail "no /$prog in the packages"
    # The five of Debian 12's hardening=+all; control-flow protection is not
    # among its flags (stack clash protection, neither, shows as unknown).
    hardening-check --nocfprotection "$root/$prog" || status=1
  done
  # The service links the game's rules and replays, never its HTTP client.
  needed=$(objdump -p "$root/usr/bin/klevaria-scores" | awk '$1 == "NEEDED" { print $2 }')
  [ -n "$needed" ] || fail "objdump found no NEEDED entries in klevaria-scores"
  if grep -q '^libcurl' <<<"$needed"; then
    echo "klevaria-scores needs libcurl:" $needed
    status=1
  fi
  exit $status
  ;;
unpacked)
  need appstreamcli Xvfb xdotool openbox
  unpack
  files=(
    usr/games/klevaria
    usr/bin/klevaria-scores
    usr/share/man/man1/klevaria-scores.1.gz
    lib/systemd/system/klevaria-scores.service
    usr/share/games/klevaria/Data/MenuImgs.icf
    usr/share/games/klevaria/Data/GameImgs.icf
    usr/share/games/klevaria/Sound/1.xm
    usr/share/games/klevaria/Sound/2.xm
    "usr/share/applications/$app_id.desktop"
    "usr/share/metainfo/$app_id.metainfo.xml"
    "usr/share/icons/hicolor/scalable/apps/$app_id.svg"
    usr/share/man/man6/klevaria.6.gz
    usr/share/doc/klevaria/copyright
    usr/share/doc/klevaria/changelog.gz
  )
  for size in 48 64 128 256; do files+=("usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"); done
  for f in "${files[@]}"; do [ -f "$root/$f" ] || fail "the packages hold no /$f"; done
  [ -x "$root/usr/games/klevaria" ] || fail "/usr/games/klevaria is not executable"

  out=$(appstreamcli validate-tree --pedantic --no-net --no-color "$root" 2>&1)
  rc=$?
  if [ $rc -ne 0 ] || grep -qE '^[EWIP]: ' <<<"$out"; then fail "appstreamcli validate-tree: $out"; fi

  out=$("$root/usr/games/klevaria" --version 2>&1)
  [ "$out" = "klevaria $version" ] || fail "the unpacked game says '$out' to --version"

  # The player's own folders, and a current folder of no importance.
  export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" SDL_AUDIODRIVER=dummy
  mkdir -p "$HOME" "$work/cwd"
  before=$(cd "$root" && find . | sort)

  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start"
  export DISPLAY=":$(head -n1 "$work/display")"
  # A window manager, as on a desktop: it gives the window the focus.
  openbox --sm-disable >"$work/wm.log" 2>&1 &
  pids+=($!)
  sleep 1
  (cd "$work/cwd" && exec "$root/usr/games/klevaria") >"$work/game.log" 2>&1 &
  game=$!
  pids+=($game)
  win=$(timeout 60 xdotool search --sync --onlyvisible --class "$app_id" | head -n1)
  [ -n "$win" ] || fail "no window of class $app_id appeared; the game said: $(cat "$work/game.log")"

  if [ -x "$bin_dir/xprobe" ]; then
    icons=$("$bin_dir/xprobe" icon "$win") || fail "the window has no icon"
    echo "package: window icon $icons"
    read -r _ class < <("$bin_dir/xprobe" class "$win")
    [ "$class" = "$app_id" ] || fail "the window's class is '$class'"
    # The menu is drawn: pointing at the first button lights it gold.
    xdotool mousemove --window "$win" 300 245
    gold=0
    for _ in $(seq 100); do
      p=$("$bin_dir/xprobe" pixel "$win" 300 245)
      if (( 16#${p:0:2} > 200 && 16#${p:2:2} > 160 && 16#${p:4:2} < 130 )); then gold=1; break; fi
      sleep 0.2
    done
    [ $gold -eq 1 ] || fail "the menu did not show (pixel $p); the game said: $(cat "$work/game.log")"
  fi

  # Escape asks "Выйти из игры?", Enter answers "Да".
  xdotool windowfocus --sync "$win" 2>/dev/null
  sleep 0.5
  xdotool key --delay 150 Escape Return
  for _ in $(seq 150); do kill -0 "$game" 2>/dev/null || break; sleep 0.2; done
  kill -0 "$game" 2>/dev/null && fail "the game did not end after Escape and Enter"
  wait "$game"
  status=$?
  [ $status -eq 0 ] || fail "the game ended with status $status: $(cat "$work/game.log")"
  [ -s "$work/game.log" ] && fail "the game complained: $(cat "$work/game.log")"

  config="$XDG_DATA_HOME/Klevaria/klevaria/Config.cfg"
  [ "$(stat -c %s "$config" 2>/dev/null)" = 240 ] || fail "no 240-byte $config"
  after=$(cd "$root" && find . | sort)
  [ "$before" = "$after" ] || fail "the game wrote into its own tree: $(diff <(echo "$before") <(echo "$after"))"
  [ -z "$(ls -A "$work/cwd")" ] || fail "the game wrote into the current folder: $(ls -A "$work/cwd")"
  echo "package: the unpacked game found its data, showed its menu and ended cleanly"
  ;;
*)
  echo "usage: package_test.sh lintian|hardening|unpacked DIR VERSION APP_ID BIN_DIR" >&2
  exit 2
  ;;
esac
