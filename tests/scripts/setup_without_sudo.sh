#!/usr/bin/env bash
# scripts/setup.sh run by a user who is not root and has no sudo, on a machine that
# lacks packages: it must print the apt-get line to run as root and stop with a
# clear message, not fail on "sudo: command not found".
# Usage: setup_without_sudo.sh SETUP_SH
set -euo pipefail
setup=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
mkdir "$work/bin"
# A PATH with no sudo, where dpkg-query finds no package installed.
printf '#!/bin/sh\nexit 1\n' >"$work/bin/dpkg-query"
chmod 755 "$work/bin/dpkg-query"
for tool in grep id; do ln -s "$(command -v "$tool")" "$work/bin/$tool"; done
cp "$setup" "$work/setup.sh"
chmod 755 "$work/setup.sh"
as_user=()
# Root never needs sudo: the run takes nobody's identity.
[[ $(id -u) -eq 0 ]] && as_user=(/usr/bin/setpriv --reuid=65534 --regid=65534 --clear-groups --)
status=0
"${as_user[@]}" env -i PATH="$work/bin" /bin/bash "$work/setup.sh" >"$work/out" 2>"$work/err" || status=$?
fail=0
[[ $status -eq 1 ]] || { echo "exit status $status, not 1"; fail=1; }
grep -q '^apt-get install -y --no-install-recommends cmake g++ .* tmux .*$' "$work/err" \
    || { echo "no apt-get line naming the packages"; fail=1; }
grep -q 'run this as root' "$work/err" || { echo "no word on what to do"; fail=1; }
[[ ! -s $work/out ]] || { echo "wrote on stdout"; fail=1; }
((fail == 0)) || cat "$work/err"
exit $fail
