#!/usr/bin/env bash
# An install and an uninstall of a built game under a scratch prefix: the
# uninstall takes away exactly what the install put there, the folders it
# made included, keeps what the player changed, and never acts on a DESTDIR
# install.
#   install_test.sh SCRIPTS_DIR BUILD_DIR
set -uo pipefail
scripts=$1
build=$2
work=$(mktemp -d /tmp/klv-install-XXXXXX)
# The scripts keep their record in the build folder under the prefix's name;
# each uninstall here takes its record away with it.
trap 'rm -rf "$work"' EXIT
fails=0
problem() {
  echo "install: $*"
  fails=$((fails + 1))
}
tree() { (cd "$work/prefix" && find . -printf '%y %p\n' | sort); }

# A prefix that already holds the player's own things where the game goes too.
prefix="$work/prefix"
mkdir -p "$prefix/share/applications" "$prefix/bin"
echo "[Desktop Entry]" >"$prefix/share/applications/other.desktop"
echo "#!/bin/sh" >"$prefix/bin/other"
before=$(tree)

"$scripts/install-game" "$build" "$prefix" >"$work/log" 2>&1 || problem "install failed: $(cat "$work/log")"
for f in bin/klevaria share/klevaria/Data/MenuImgs.icf share/applications/org.example.klevaria.desktop \
  share/man/man6/klevaria.6 share/icons/hicolor/64x64/apps/org.example.klevaria.png; do
  [ -f "$prefix/$f" ] || problem "the install put no $f"
done
# Installing again over it forgets nothing of the first time.
"$scripts/install-game" "$build" "$prefix" >"$work/log" 2>&1 || problem "a second install failed"

"$scripts/uninstall-game" "$build" "$prefix" >"$work/log" 2>&1 || problem "uninstall failed: $(cat "$work/log")"
after=$(tree)
[ "$before" = "$after" ] || problem "the prefix is not as before: $(diff <(echo "$before") <(echo "$after"))"
"$scripts/uninstall-game" "$build" "$prefix" >"$work/log" 2>&1 && problem "a second uninstall found something to do"

# A file the player changed stays, and so do the folders holding it.
"$scripts/install-game" "$build" "$prefix" >/dev/null 2>&1
echo "# mine" >>"$prefix/share/man/man6/klevaria.6"
"$scripts/uninstall-game" "$build" "$prefix" >"$work/log" 2>&1
grep -q "klevaria.6 was changed" "$work/log" || problem "no word of the changed page: $(cat "$work/log")"
[ -f "$prefix/share/man/man6/klevaria.6" ] || problem "the changed page was removed"
[ -e "$prefix/bin/klevaria" ] && problem "the program was left"
[ -d "$prefix/share/klevaria" ] && problem "the data folder was left"
rm -rf "$prefix/share/man"

# A DESTDIR install is packaging: it leaves no record, so an uninstall of the
# same prefix touches nothing (not even what an earlier real install left).
mkdir -p "$work/stage"
DESTDIR="$work/stage" "$scripts/install-game" "$build" "$prefix" >/dev/null 2>&1 ||
  problem "a DESTDIR install failed"
[ -f "$work/stage$prefix/bin/klevaria" ] || problem "the DESTDIR install put nothing under DESTDIR"
[ -e "$prefix/bin/klevaria" ] && problem "the DESTDIR install wrote into the prefix itself"
"$scripts/uninstall-game" "$build" "$prefix" >"$work/log" 2>&1 && problem "uninstall acted after a DESTDIR install"
[ -f "$work/stage$prefix/bin/klevaria" ] || problem "uninstall removed files of the DESTDIR install"
after=$(tree)
[ "$before" = "$after" ] || problem "the prefix changed: $(diff <(echo "$before") <(echo "$after"))"

[ $fails -eq 0 ] && echo "install: the uninstall took away exactly what the install put there"
exit $(( fails > 0 ))
