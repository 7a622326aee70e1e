#!/usr/bin/env bash
# The desktop entry and the AppStream metadata pass the desktop's validators
# without a single remark, pedantic ones included.
#   validate.sh DESKTOP_FILE METAINFO_FILE
set -uo pipefail
desktop=$1
metainfo=$2
status=0
for tool in desktop-file-validate appstreamcli; do
  if ! command -v "$tool" >/dev/null; then
    echo "validate: $tool is not installed (scripts/install-deps --test)"
    exit 1
  fi
done

out=$(desktop-file-validate "$desktop" 2>&1)
rc=$?
if [ $rc -ne 0 ] || [ -n "$out" ]; then
  echo "desktop-file-validate $desktop (status $rc):"
  echo "$out"
  status=1
fi

# --no-net: the tests talk to no one; the addresses are checked for form only.
out=$(appstreamcli validate --pedantic --no-net --no-color "$metainfo" 2>&1)
rc=$?
if [ $rc -ne 0 ] || grep -qE '^[EWIP]: ' <<<"$out"; then
  echo "appstreamcli validate --pedantic $metainfo (status $rc):"
  echo "$out"
  status=1
fi
[ $status -eq 0 ] && echo "validate: the desktop entry and the metadata are clean"
exit $status
