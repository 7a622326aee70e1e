#!/usr/bin/env bash
# Plays the recorded scripts of this folder through klevaria-script and
# compares what they print with the expected lines kept beside them: the
# states, levels, scores and clocks, and hashes of every pixel on screen, of
# every change of the picture so far, of the random generator's state and of
# every sound and tune event. A change that alters what the player sees or
# hears, or the order of the game's random draws, fails here; a change of the
# code's shape alone passes.
#
#   tests/replay/compare.sh [--update] [--runner PATH] [--game DIR] [--work DIR] [NAME...]
#
# NAME is a script of this folder without ".kls" (all of them when none is
# given). The defaults are the test build's: build/test/bin/klevaria-script
# and build/test/game. --update writes NAME.expected from this run instead of
# comparing. Use it only for a change meant to alter the game, and say so in
# its commit; the pixel hashes also follow the fonts installed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
runner=$root/build/test/bin/klevaria-script
game=$root/build/test/game
work=
update=0
names=()
while [ $# -gt 0 ]; do
  case $1 in
    --update) update=1 ;;
    --runner) runner=$2; shift ;;
    --game) game=$2; shift ;;
    --work) work=$2; shift ;;
    -*) echo "usage: compare.sh [--update] [--runner PATH] [--game DIR] [--work DIR] [NAME...]" >&2
        exit 2 ;;
    *) names+=("$1") ;;
  esac
  shift
done
if [ ${#names[@]} -eq 0 ]; then
  for f in "$here"/*.kls; do names+=("$(basename "$f" .kls)"); done
fi
if [ -z "$work" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi

status=0
for name in "${names[@]}"; do
  script=$here/$name.kls
  expected=$here/$name.expected
  if [ ! -f "$script" ]; then
    echo "compare: no script $script" >&2
    exit 2
  fi
  # A private game folder: the scripts write settings and scores. Nothing
  # listens on port 1, so a score sent to the world table is refused at once.
  dir=$work/$name
  rm -rf "$dir"
  mkdir -p "$dir"
  ln -s "$(cd "$game" && pwd)/Data" "$dir/Data"
  ln -s "$(cd "$game" && pwd)/Sound" "$dir/Sound"
  got=$dir/printed.txt
  if ! "$runner" --appdir "$dir" --score-service http://127.0.0.1:1 "$script" >"$got"; then
    echo "compare: $name.kls did not run to its end"
    status=1
    continue
  fi
  if [ $update -eq 1 ]; then
    cp "$got" "$expected"
    echo "compare: wrote $expected ($(wc -l <"$expected") lines)"
  elif ! diff -u "$expected" "$got" >"$dir/diff.txt"; then
    echo "compare: $name.kls printed other lines than $name.expected (first differences):"
    head -n 40 "$dir/diff.txt"
    status=1
  else
    echo "compare: $name.kls as expected ($(wc -l <"$got") lines)"
  fi
done
exit $status
