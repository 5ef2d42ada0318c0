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
# Test discovery starts the UI test programs during the build; give them the
# runtime folder a desktop session would.
if [[ -z "${XDG_RUNTIME_DIR:-}" ]]; then
    export XDG_RUNTIME_DIR="$build/.runtime"
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
fi
echo "Building Pindrel in ${build#"$root"/}/ (the first build takes a few minutes)..." >&2
cmake -S "$root" -B "$build" "${args[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" -- --no-print-directory >/dev/null
echo "$build"
