#!/usr/bin/env bash
# scripts/install-deps against a make-believe system: dpkg-query, id, sudo and
# apt-get are stand-ins that say what they are told and write down how they
# were called.
#   install_deps_test.sh PATH/TO/install-deps
set -uo pipefail
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fake="$work/bin"
mkdir -p "$fake"
for tool in bash env grep sed cat; do ln -s "$(command -v "$tool")" "$fake/$tool"; done
# Installed packages are the lines of $work/installed.
cat >"$fake/dpkg-query" <<'STUB'
#!/bin/bash
pkg=${!#}
grep -qxF "$pkg" "$FAKE_WORK/installed" && printf 'install ok installed' && exit 0
exit 1
STUB
cat >"$fake/id" <<'STUB'
#!/bin/bash
echo "$FAKE_UID"
STUB
cat >"$fake/apt-get" <<'STUB'
#!/bin/bash
echo "apt-get $* [DEBIAN_FRONTEND=${DEBIAN_FRONTEND:-}]" >>"$FAKE_WORK/calls"
STUB
cat >"$fake/sudo" <<'STUB'
#!/bin/bash
echo "sudo $*" >>"$FAKE_WORK/calls"
exec "$@"
STUB
chmod +x "$fake"/*
export FAKE_WORK="$work"

fails=0
# run NAME UID SUDO(yes|no) INSTALLED ARGS... : runs the script, leaving its
# status in $status, its output in $work/out and the calls in $work/calls.
run() {
  local name=$1 uid=$2 sudo=$3 installed=$4
  shift 4
  printf '%s\n' $installed >"$work/installed"
  : >"$work/calls"
  if [ "$sudo" = no ]; then mv "$fake/sudo" "$work/sudo.off"; fi
  FAKE_UID=$uid PATH="$fake" "$fake/bash" "$script" "$@" >"$work/out" 2>&1
  status=$?
  if [ "$sudo" = no ]; then mv "$work/sudo.off" "$fake/sudo"; fi
  case_name=$name
}
expect() {  # expect DESCRIPTION COMMAND...
  local what=$1
  shift
  if ! "$@"; then
    echo "install-deps, $case_name: $what"
    echo "  output: $(cat "$work/out")"
    echo "  calls: $(cat "$work/calls")"
    fails=$((fails + 1))
  fi
}
called() { grep -qE -- "$1" "$work/calls"; }
said() { grep -qE -- "$1" "$work/out"; }

run "root, nothing installed" 0 yes ""
expect "status $status" [ $status -eq 0 ]
expect "apt-get updates first" called '^apt-get update'
expect "installs SDL without recommends" called '^apt-get install .*--no-install-recommends.* libsdl2-dev'
expect "installs the fonts the game draws with" called 'install .*fonts-comfortaa.*fonts-liberation2'
expect "apt-get runs non-interactively" called 'install .*\[DEBIAN_FRONTEND=noninteractive\]'
expect "test tools are not for make run" bash -c "! grep -qE 'googletest|xvfb|lintian' '$work/calls'"
expect "packaging tools are not for make run" bash -c "! grep -q debhelper '$work/calls'"
expect "sudo is not needed by root" bash -c "! grep -q sudo '$work/calls'"

run "a user with sudo" 1000 yes ""
expect "status $status" [ $status -eq 0 ]
expect "sudo carries the setting through env" called '^sudo env DEBIAN_FRONTEND=noninteractive apt-get install'
expect "apt-get sees it" called '^apt-get install .*\[DEBIAN_FRONTEND=noninteractive\]'

run "a user without sudo" 1000 no "cmake git"
expect "status $status, not 1" [ $status -eq 1 ]
expect "nothing is run" [ ! -s "$work/calls" ]
expect "names the command to run as root" said 'apt-get install --no-install-recommends .*libsdl2-dev'
expect "leaves out what is installed" bash -c "! grep -qE ' (cmake|git)( |$)' '$work/out'"

run "tests" 0 yes "" --test
expect "status $status" [ $status -eq 0 ]
expect "installs the test tools and validators" called 'install .*googletest.*xvfb.*appstream.*desktop-file-utils.*lintian'
expect "installs the packaging tools make test needs" called 'install .*debhelper'

run "packages" 0 yes "" --package
expect "installs debhelper" called 'install .*debhelper'
expect "and GoogleTest, as the package build runs the unit tests" called 'install .*libgtest-dev'
expect "but no test tools" bash -c "! grep -q googletest '$work/calls'"

all=$(sed -n '/^build=(/,/^)/p; /^play=(/,/^)/p' "$script" | grep -vE '^\w+=\(|^\)' | tr -d ' ')
run "everything there" 1000 no "$all"
expect "status $status" [ $status -eq 0 ]
expect "asks for nothing" [ ! -s "$work/calls" ]
expect "says nothing" [ ! -s "$work/out" ]

run "a wrong option" 0 yes "" --tests
expect "status $status, not 2" [ $status -eq 2 ]
expect "names it" said "'--tests'"
expect "installs nothing" [ ! -s "$work/calls" ]

[ $fails -eq 0 ] && echo "install-deps: all cases hold"
exit $(( fails > 0 ))
