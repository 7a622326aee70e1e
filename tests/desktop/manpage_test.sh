#!/usr/bin/env bash
# The program answers --help, -h and --version without a display, refuses
# what it does not know with status 2, and its manual page renders without a
# warning and names exactly the options --help names.
#   manpage_test.sh KLEVARIA MANPAGE VERSION
set -uo pipefail
game=$1
manpage=$2
version=$3
fail=0
problem() {
  echo "manpage: $*"
  fail=1
}

# No display at all, and SDL told to use X11: a program that opened a window
# before reading its options would fail here.
run() { env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 "$game" "$@"; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for opt in --help -h; do
  run "$opt" >"$work/out" 2>"$work/err"
  rc=$?
  [ $rc -eq 0 ] || problem "$opt ended with status $rc: $(cat "$work/err")"
  head -n1 "$work/out" | grep -q '^Usage: klevaria' || problem "$opt printed no usage"
  [ -s "$work/err" ] && problem "$opt wrote to the error output: $(cat "$work/err")"
done
cp "$work/out" "$work/help"

run --version >"$work/out" 2>"$work/err"
rc=$?
[ $rc -eq 0 ] || problem "--version ended with status $rc"
[ "$(cat "$work/out")" = "klevaria $version" ] || problem "--version printed '$(cat "$work/out")'"

for bad in --full-screen -v extra; do
  run "$bad" >"$work/out" 2>"$work/err"
  rc=$?
  [ $rc -eq 2 ] || problem "$bad ended with status $rc, not 2"
  grep -qF -- "'$bad'" "$work/err" || problem "$bad: the message does not name it: $(cat "$work/err")"
  [ -s "$work/out" ] && problem "$bad printed to the output"
done

# The page as man shows it, with man's own warnings (as lintian runs it).
LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$manpage" >/dev/null 2>"$work/warnings"
[ -s "$work/warnings" ] && problem "man warns: $(cat "$work/warnings")"
grep -q "^\.TH KLEVARIA 6 .*\"Klevaria $version\"" "$manpage" || problem "the page's title line is not of version $version"

# The options each names; a word like klevaria\-scores is no option, and an
# option's own hyphens (\-\-score\-service) belong to it.
help_opts=$(grep -oE '^ +(-[a-zA-Z], )?--[a-z-]+' "$work/help" | grep -oE -- '--?[a-zA-Z-]+' | sort -u)
man_opts=$(sed -n '/^\.SH OPTIONS/,/^\.SH /p' "$manpage" | grep -E '^\.(B|BR|TP|IP)' |
  grep -oE '(^|[ "])\\-(\\-)?[a-zA-Z]([a-zA-Z]|\\-)*' | sed 's/^[ "]//; s/\\-/-/g' | sort -u)
[ -n "$help_opts" ] || problem "--help lists no options"
[ "$help_opts" = "$man_opts" ] || problem "--help names [$(echo $help_opts)], the page [$(echo $man_opts)]"

[ $fail -eq 0 ] && echo "manpage: --help, --version and the page agree"
exit $fail
