#!/usr/bin/env bash
# The programs of a non-Debug build carry Debian's hardening: position-independent,
# relocations read-only and bound at start, stack protector and fortified calls.
# Usage: hardening_check.sh PROGRAM...
set -uo pipefail
fail=0
for program in "$@"; do
    problem() { echo "$program: $1"; fail=1; }
    readelf -h "$program" | grep -q 'Type:[[:space:]]*DYN' || problem "not position-independent (PIE)"
    readelf -lW "$program" | grep -q 'GNU_RELRO' || problem "no read-only relocations (-z relro)"
    readelf -dW "$program" | grep -Eq '\(BIND_NOW\)|\(FLAGS_1\).*NOW' || problem "not bound at start (-z now)"
    symbols=$(nm -D "$program")
    grep -q ' __stack_chk_fail' <<<"$symbols" || problem "no stack protector (__stack_chk_fail)"
    grep -E ' __[a-z0-9_]+_chk(@|$)' <<<"$symbols" | grep -vq '__stack_chk' || problem "no fortified calls (__*_chk)"
done
exit $fail
