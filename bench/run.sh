#!/usr/bin/env bash
# Times pindrel-report against `wc -l` and cloc over the same C/C++ files, warm
# cache, and prints the times and the ratios cloc/pindrel and pindrel/wc.
# Usage: bench/run.sh [DIRECTORY]   (default /usr/include, made large with Boost and Qt headers)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=${1:-/usr/include}
build="$root/build-bench"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

install_missing() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [[ ${#missing[@]} -eq 0 ]] && return 0
    local sudo=()
    [[ $(id -u) -ne 0 ]] && sudo=(sudo)
    echo "Installing: ${missing[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
install_missing cmake g++ make cloc hyperfine libboost-dev qt6-base-dev

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPINDREL_BUILD_UI=OFF -DPINDREL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target pindrel-report -- --no-print-directory >/dev/null
report="$build/cli/pindrel-report"

# The files pindrel-report reads: the text after the name's last dot begins with
# h or c (any case); links to directories are not followed. Only regular files
# (or links to them) can go to wc and cloc.
find "$target" -regextype posix-extended -regex '.*\.[hHcC][^./]*' -xtype f -print0 >"$work/list0"
tr '\0' '\n' <"$work/list0" >"$work/list"
nListed=$(tr -cd '\0' <"$work/list0" | wc -c)
nCollected=$("$report" --json "$target" | sed -n 's/^  "files": \([0-9]*\),$/\1/p')
echo "files: $nListed regular files listed, $nCollected paths collected by pindrel-report under $target"
echo "size:  $(du -sh "$target" | cut -f1)"

wcCmd="wc -l --files0-from=$work/list0"
clocCmd="cloc --quiet --list-file=$work/list"
pindrelCmd="$report --tsv $target"
pindrel1Cmd="env PINDREL_REPORT_THREADS=1 $report --tsv $target"

# Mean wall-clock seconds of a command over several warm runs, then its mean CPU
# seconds (user + system; "-" without hyperfine). On a shared machine the CPU
# time is the steadier figure.
measure() {
    local runs=$1 cmd=$2
    if command -v hyperfine >/dev/null; then
        hyperfine --style none --warmup 1 --runs "$runs" --export-csv "$work/t.csv" "$cmd" >/dev/null 2>&1
        awk -F, 'NR == 2 { print $2, $5 + $6 }' "$work/t.csv"
    else
        $cmd >/dev/null 2>&1 || true
        local start end
        start=$(date +%s.%N)
        for ((i = 0; i < runs; i++)); do $cmd >/dev/null 2>&1 || true; done
        end=$(date +%s.%N)
        awk -v s="$start" -v e="$end" -v n="$runs" 'BEGIN { print (e - s) / n, "-" }'
    fi
}

read -r tPindrel cPindrel < <(measure 10 "$pindrelCmd")
read -r tPindrel1 cPindrel1 < <(measure 10 "$pindrel1Cmd")
read -r tWc cWc < <(measure 10 "$wcCmd")
read -r tCloc cCloc < <(measure 2 "$clocCmd")
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"

awk -v p="$tPindrel" -v p1="$tPindrel1" -v w="$tWc" -v c="$tCloc" \
    -v cp="$cPindrel" -v cp1="$cPindrel1" -v cw="$cWc" -v cc="$cCloc" 'BEGIN {
    printf "%-26s %9s %9s\n", "", "wall", "cpu"
    printf "%-26s %8.3fs %9s\n", "pindrel-report --tsv", p, cp
    printf "%-26s %8.3fs %9s\n", "  with one thread", p1, cp1
    printf "%-26s %8.3fs %9s\n", "wc -l (same files)", w, cw
    printf "%-26s %8.3fs %9s\n", "cloc --list-file", c, cc
    printf "cloc / pindrel   %6.1fx wall   (target >= 20)\n", c / p
    printf "pindrel / wc     %6.2fx wall   (target <= 1.25)\n", p / w
    if (cp != "-" && cw != "-")
        printf "pindrel / wc     %6.2fx cpu\n", cp / cw
}'
