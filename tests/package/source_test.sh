#!/usr/bin/env bash
# The source package a Debian reviewer gets: the files git keeps (and those
# not yet added but not ignored) are built into a source package with
# dpkg-source -b in a scratch folder, and lintian on its .dsc finds no error
# and no warning. A generated file kept in git shows up here.
#   source_test.sh SOURCE_DIR
set -uo pipefail
src=$1
for tool in git dpkg-source lintian; do
  command -v "$tool" >/dev/null || {
    echo "source package: $tool is not installed (scripts/install-deps --test)"
    exit 1
  }
done
if ! git -C "$src" rev-parse --git-dir >/dev/null 2>&1; then
  echo "source package: $src is not a git checkout"
  exit 77
fi
work=$(mktemp -d /tmp/klv-source-XXXXXX)
trap 'rm -rf "$work"' EXIT
name=$(dpkg-parsechangelog -l "$src/debian/changelog" -S Source)
version=$(dpkg-parsechangelog -l "$src/debian/changelog" -S Version)
tree="$work/$name-$version"
mkdir -p "$tree"
(cd "$src" && git ls-files -z --cached --others --exclude-standard |
  tar --null -T - --ignore-failed-read -cf -) 2>/dev/null | tar -xf - -C "$tree" ||
  {
    echo "source package: could not copy the tree"
    exit 1
  }
(cd "$work" && dpkg-source -b "$name-$version") >"$work/dpkg-source.log" 2>&1 || {
  cat "$work/dpkg-source.log"
  echo "source package: dpkg-source -b failed"
  exit 1
}
dsc="$work/${name}_${version}.dsc"
[ -f "$dsc" ] || {
  echo "source package: no $dsc"
  exit 1
}
out=$(lintian --no-cfg --info --display-level ">=pedantic" "$dsc" 2>&1)
echo "lintian $(basename "$dsc"): ${out:-no remarks}"
if grep -qE '^[EW]: ' <<<"$out"; then exit 1; fi
exit 0
