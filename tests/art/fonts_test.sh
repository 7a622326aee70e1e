#!/usr/bin/env bash
# The art build draws nothing when fontconfig cannot find a font the pictures
# name: rsvg-convert would quietly draw them with a stand-in and exit 0, and
# the game would ship other pictures. Each case runs the art build under a
# fontconfig setup of its own (FONTCONFIG_FILE) and expects it to stop with
# a message naming exactly the missing fonts, before drawing anything; with
# the machine's own setup the font check passes.
#   fonts_test.sh PYTHON MAKE_ART
set -uo pipefail
# The interpreter itself, not a wrapper that would need PATH.
python=$("$1" -c 'import sys; print(sys.executable)') || exit 1
make_art=$2
work=$(mktemp -d /tmp/klv-fonts-XXXXXX)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
  echo "art fonts: $*"
  failed=1
}

# The folder of an installed family's files, from the machine's own setup.
font_dir() {
  local file
  file=$(fc-list -f '%{file}\n' "$1" | head -n1)
  [ -n "$file" ] || { echo "art fonts: $1 is not installed (scripts/install-deps)" >&2; exit 1; }
  dirname "$file"
}
liberation=$(font_dir "Liberation Sans")
comfortaa=$(font_dir "Comfortaa")

# A fontconfig setup that knows only the given font folders.
setup() {
  local name=$1
  shift
  {
    echo '<?xml version="1.0"?><fontconfig>'
    for d in "$@"; do echo "<dir>$d</dir>"; done
    echo "<cachedir>$work/cache-$name</cachedir></fontconfig>"
  } >"$work/$name.conf"
  echo "$work/$name.conf"
}

# name | font folders | missing fonts the message must name | fonts it must not name
cases=(
  "no fonts||Comfortaa, Liberation Sans, Liberation Mono|"
  "only Liberation|$liberation|Comfortaa|Liberation"
  "only Comfortaa|$comfortaa|Liberation Sans, Liberation Mono|Comfortaa,"
)
for c in "${cases[@]}"; do
  IFS='|' read -r name dirs missing present <<<"$c"
  conf=$(setup "${name// /-}" $dirs)
  out="$work/out-${name// /-}"
  msg=$(FONTCONFIG_FILE="$conf" "$python" "$make_art" "$out" 2>&1)
  rc=$?
  [ $rc -ne 0 ] || fail "$name: the art build went on (status 0): $msg"
  grep -qF "font not installed: $missing " <<<"$msg" || fail "$name: the message does not name '$missing': $msg"
  if [ -n "$present" ] && grep -qF "installed: $present" <<<"$msg"; then
    fail "$name: the message names a font that is there ($present): $msg"
  fi
  [ -z "$(find "$out" -name '*.png' 2>/dev/null)" ] || fail "$name: pictures were drawn all the same"
  echo "art fonts: $name: $msg"
done

# No fontconfig to ask at all: the build stops too, rather than guess.
msg=$(PATH="$work/empty" "$python" "$make_art" "$work/out-nofc" 2>&1)
[ $? -ne 0 ] || fail "without fc-list the art build went on: $msg"
grep -qF "cannot ask fontconfig" <<<"$msg" || fail "without fc-list: unclear message: $msg"
echo "art fonts: without fc-list: $msg"

# The machine's own setup has every font.
msg=$("$python" "$make_art" --fonts-only 2>&1) || fail "the font check fails with the installed fonts: $msg"
exit $failed
