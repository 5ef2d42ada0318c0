#!/usr/bin/env bash
# Builds Pindrel and runs the whole test suite through ctest.
# --sanitize builds and runs it with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(bash "$root/scripts/build.sh" "$@")
cd "$build"
ctest --output-on-failure -j "$(nproc)"
