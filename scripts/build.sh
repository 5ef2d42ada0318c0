#!/usr/bin/env bash
# Configures and builds Pindrel into build/ (or build-asan/ with --sanitize).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
args=()
if [[ "${1:-}" == "--sanitize" ]]; then
    build="$root/build-asan"
    args+=(-DPINDREL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
    shift
fi
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$build" "${args[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" -- --no-print-directory >/dev/null
echo "$build"
