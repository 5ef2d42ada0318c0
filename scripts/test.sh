#!/usr/bin/env bash
# Builds Pindrel and runs the whole test suite through ctest.
# --sanitize builds and runs it with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(bash "$root/scripts/build.sh" "$@")
if [[ "${1:-}" == "--sanitize" ]]; then
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:${ASAN_OPTIONS:-}"
    export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0:${LSAN_OPTIONS:-}"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
fi
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$build/.runtime}"
cd "$build"
ctest --output-on-failure -j "$(nproc)"
