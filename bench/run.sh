#!/usr/bin/env bash
# Measures pindrel-report on real-sized work, warm cache, and prints figures only:
#   - /usr/include (made large with the Boost and Qt headers) and the unpacked
#     Debian linux-source-6.1 tree, each against `wc -l` over the same files, in
#     paired rounds (the commands of one round run back to back), as medians,
#     under the simple rules and under --syntax;
#     the speed-up of all threads over one; two `wc -l` over half the list each,
#     in parallel, as the two-core reference; peak memory; cloc on /usr/include;
#   - a git history over the kernel tree (40 steps of about 1,400 files, then
#     200 small commits; built once with git fast-import and repacked as git gc
#     would, cached beside the tree): --history=200 against a normal count of
#     its newest tree, in paired rounds, and its peak memory;
#   - the times that tests used to bound: 100,000 files in one directory,
#     5,000 nested levels, a 2 GiB sparse file, and one counting step of the
#     dialog on a 10 MB file (the dialog's timer ticks every 15 ms);
#   - --gitignore on a git work tree of the kernel tree (bench/git_work_tree.sh
#     makes it once, beside the unpacked tree) against the same run without it.
# Run it on a quiet machine: with another job holding a core, two threads
# measure like one.
#
# Usage: bench/run.sh [ROUNDS]   (default 7, at least 5)
# PINDREL_BENCH_CACHE: where the kernel tree is unpacked (default ~/.cache/pindrel-bench).
# PINDREL_BENCH_TREES: other directories to measure instead of the two trees (a quick check
# of the script itself); cloc runs on the first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-7}
((rounds >= 5)) || { echo "bench/run.sh: use at least 5 rounds" >&2; exit 2; }
cache=${PINDREL_BENCH_CACHE:-$HOME/.cache/pindrel-bench}
kernel="$cache/linux-source-6.1"
history="$cache/linux-history"
historyHead="$cache/linux-history-head"
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
install_missing cmake g++ make pkg-config cloc time xz-utils libboost-dev qt6-base-dev git \
    nlohmann-json3-dev libcli11-dev libgit2-dev libdeflate-dev
if [[ -z ${PINDREL_BENCH_TREES:-} && ! -d $kernel ]]; then
    install_missing linux-source-6.1
    echo "Unpacking linux-source-6.1 into $cache ..." >&2
    # Beside, then renamed: an interrupted unpack never passes for the whole tree.
    rm -rf "$cache/.unpacking"
    mkdir -p "$cache/.unpacking"
    tar -xf /usr/src/linux-source-6.1.tar.xz -C "$cache/.unpacking"
    mv "$cache/.unpacking/linux-source-6.1" "$kernel"
    rmdir "$cache/.unpacking"
fi
if [[ -z ${PINDREL_BENCH_TREES:-} && ! -d $history ]]; then
    echo "Building a git history over the kernel tree into $cache (some minutes) ..." >&2
    rm -rf "$cache/.history"
    mkdir -p "$cache/.history/head"
    git init -q -b main "$cache/.history/repo"
    (cd "$kernel" && find . -regextype posix-extended -regex '.*\.[hHcC][^./]*' -type f -printf '%P\0') \
        >"$cache/.history/list0"
    perl "$root/bench/history-stream.pl" "$kernel" "$cache/.history/list0" | git -C "$cache/.history/repo" fast-import --quiet
    # fast-import stores each blob as a delta of the one written before it, whatever its path;
    # a repository git gc has packed stores versions of one file as deltas of each other.
    git -C "$cache/.history/repo" repack -a -d -f -q
    git -C "$cache/.history/repo" archive HEAD | tar -x -C "$cache/.history/head"
    mv "$cache/.history/head" "$historyHead"
    mv "$cache/.history/repo" "$history"
    rm -rf "$cache/.history"
fi

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPINDREL_BUILD_UI=OFF -DPINDREL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target pindrel-report -- --no-print-directory >/dev/null
report="$build/cli/pindrel-report"

# Seconds one command takes, to the microsecond.
seconds() {
    local start=$EPOCHREALTIME
    "$@" >/dev/null 2>&1 || true
    awk -v s="$start" -v e="$EPOCHREALTIME" 'BEGIN { printf "%.4f\n", e - s }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
peak_kib() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1; }
two_wc() {
    wc -l --files0-from="$work/half1" >/dev/null &
    wc -l --files0-from="$work/half2" >/dev/null
    wait
}

# The files pindrel-report reads: the text after the name's last dot begins with
# h or c (any case); links to directories are not followed. Only regular files
# (or links to them) can go to wc.
list_files() {
    find "$1" -regextype posix-extended -regex '.*\.[hHcC][^./]*' -xtype f -print0 >"$work/list0"
    local n
    n=$(tr -cd '\0' <"$work/list0" | wc -c)
    # Halves of equal bytes would be fairer; halves of equal count are what two users would do.
    tr '\0' '\n' <"$work/list0" | head -n $((n / 2)) | tr '\n' '\0' >"$work/half1"
    tr '\0' '\n' <"$work/list0" | tail -n +$((n / 2 + 1)) | tr '\n' '\0' >"$work/half2"
    echo "$n"
}

bench_tree() {
    local tree=$1
    local nListed nCollected
    nListed=$(list_files "$tree")
    nCollected=$("$report" --json "$tree" | sed -n 's/^  "files": \([0-9]*\),$/\1/p')
    echo "== $tree"
    echo "files: $nListed regular files listed, $nCollected paths collected; size $(du -sh "$tree" | cut -f1)"
    # Warm the cache, then paired rounds.
    "$report" --tsv "$tree" >/dev/null
    wc -l --files0-from="$work/list0" >/dev/null
    : >"$work/all" && : >"$work/syntax" && : >"$work/one" && : >"$work/wc" && : >"$work/wc2"
    for ((r = 0; r < rounds; r++)); do
        seconds "$report" --tsv "$tree" >>"$work/all"
        seconds "$report" --syntax --tsv "$tree" >>"$work/syntax"
        seconds env PINDREL_REPORT_THREADS=1 "$report" --tsv "$tree" >>"$work/one"
        seconds wc -l --files0-from="$work/list0" >>"$work/wc"
        seconds two_wc >>"$work/wc2"
    done
    local all syntax one wc wc2 peak peakSyntax
    all=$(median <"$work/all")
    syntax=$(median <"$work/syntax")
    one=$(median <"$work/one")
    wc=$(median <"$work/wc")
    wc2=$(median <"$work/wc2")
    peak=$(peak_kib "$report" --tsv "$tree")
    peakSyntax=$(peak_kib "$report" --syntax --tsv "$tree")
    awk -v a="$all" -v sy="$syntax" -v pks="$peakSyntax" -v o="$one" -v w="$wc" -v w2="$wc2" -v n="$rounds" -v th="$(nproc)" -v pk="$peak" 'BEGIN {
        printf "medians of %d paired rounds, %d cores\n", n, th
        printf "  %-40s %8.3f s  %5.2fx wc\n", "pindrel-report --tsv (all threads)", a, a / w
        printf "  %-40s %8.3f s  %5.2fx wc  %5.2fx simple\n", "pindrel-report --syntax (all threads)", sy, sy / w, sy / a
        printf "  %-40s %8.3f s  %5.2fx wc\n", "pindrel-report --tsv (1 thread)", o, o / w
        printf "  %-40s %8.3f s\n", "wc -l, same files", w
        printf "  %-40s %8.3f s  %5.2fx wc\n", "two wc -l in parallel, half each", w2, w2 / w
        printf "  speed-up, all threads over one:  %5.2fx (two wc -l: %.2fx)\n", o / a, w / w2
        printf "  peak memory (all threads):       %5.1f MiB, %.1f MiB with --syntax\n", pk / 1024, pks / 1024
    }'
}

load=$(cut -d' ' -f1 /proc/loadavg)
echo "load average before start: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
awk -v l="$load" 'BEGIN { exit !(l >= 0.5) }' && echo "warning: the machine is not quiet; the figures will be slow and noisy"

trees=(/usr/include "$kernel")
[[ -n ${PINDREL_BENCH_TREES:-} ]] && read -ra trees <<<"$PINDREL_BENCH_TREES"
first=1
for tree in "${trees[@]}"; do
    bench_tree "$tree"
    if ((first)); then
        tr '\0' '\n' <"$work/list0" >"$work/list"
        tCloc=$(seconds cloc --quiet --list-file="$work/list")
        awk -v c="$tCloc" -v p="$(median <"$work/all")" \
            'BEGIN { printf "  cloc --list-file, same files:      %8.3f s (%.1fx pindrel-report)\n", c, c / p }'
        first=0
    fi
done

bench_history() {
    if ! "$report" --history=2 --tsv "$history" >/dev/null 2>&1; then
        echo "== $history: skipped, this pindrel-report has no --history"
        return
    fi
    echo "== $history: --history=200 against a normal count of its newest tree"
    "$report" --history=200 --tsv "$history" >/dev/null
    "$report" --tsv "$historyHead" >/dev/null
    : >"$work/history" && : >"$work/head"
    for ((r = 0; r < rounds; r++)); do
        seconds "$report" --history=200 --tsv "$history" >>"$work/history"
        seconds "$report" --tsv "$historyHead" >>"$work/head"
    done
    awk -v h="$(median <"$work/history")" -v c="$(median <"$work/head")" -v n="$rounds" \
        -v pk="$(peak_kib "$report" --history=200 --tsv "$history")" 'BEGIN {
        printf "medians of %d paired rounds\n", n
        printf "  %-40s %8.3f s  %5.2fx the newest tree\n", "pindrel-report --history=200 --tsv", h, h / c
        printf "  %-40s %8.3f s\n", "pindrel-report --tsv, newest tree", c
        printf "  peak memory of --history=200:    %5.1f MiB\n", pk / 1024
    }'
}
[[ -z ${PINDREL_BENCH_TREES:-} ]] && bench_history

if [[ -z ${PINDREL_BENCH_TREES:-} ]]; then
    gitTree=$(bash "$root/bench/git_work_tree.sh" "$kernel" "$cache")
    echo "== --gitignore on $gitTree (committed whole, an untracked and an ignored build folder)"
    nWhole=$("$report" --json "$gitTree" | sed -n 's/^  "files": \([0-9]*\),$/\1/p')
    nGit=$("$report" --gitignore --json "$gitTree" | sed -n 's/^  "files": \([0-9]*\),$/\1/p')
    echo "files: $nWhole collected without --gitignore, $nGit with it"
    "$report" --gitignore --tsv "$gitTree" >/dev/null
    : >"$work/whole" && : >"$work/git"
    for ((r = 0; r < rounds; r++)); do
        seconds "$report" --tsv "$gitTree" >>"$work/whole"
        seconds "$report" --gitignore --tsv "$gitTree" >>"$work/git"
    done
    awk -v w="$(median <"$work/whole")" -v g="$(median <"$work/git")" -v n="$rounds" \
        -v pk="$(peak_kib "$report" --gitignore --tsv "$gitTree")" 'BEGIN {
        printf "medians of %d paired rounds\n", n
        printf "  %-40s %8.3f s\n", "pindrel-report --tsv", w
        printf "  %-40s %8.3f s  %5.2fx without (target: at most 1.20x)\n", "pindrel-report --gitignore --tsv", g, g / w
        printf "  peak memory with --gitignore:    %5.1f MiB\n", pk / 1024
    }'
fi

echo "== trees that tests used to time"
synthetic="$work/synthetic"
mkdir -p "$synthetic/wide" "$synthetic/deep" "$synthetic/sparse" "$synthetic/ten"
# Perl (always there on Debian) makes them: a shell would fork per file and keep the
# ever longer working directory's path.
perl -e '
    chdir $ARGV[0] or die;
    for my $i (0 .. 99999) { open(my $f, ">", "f$i.c") or die; }
    chdir $ARGV[1] or die;
    for (1 .. 5000) {
        for (["x.c", "int a; // x\n"], ["y.h", "\n"], ["z.c", "\n"]) {
            open(my $f, ">", $_->[0]) or die; print $f $_->[1];
        }
        mkdir "d" or die; chdir "d" or die;
    }' "$synthetic/wide" "$synthetic/deep"
truncate -s 2G "$synthetic/sparse/big.c"
perl -e 'print "    x = y; // z\n" x 625000' >"$synthetic/ten/ten.c" # 10,000,000 bytes
for entry in "100,000 files in one directory:wide" "5,000 nested levels, 15,000 files:deep" \
    "a 2 GiB sparse file, 1 thread:sparse" "one 10 MB file, 1 thread (a dialog step, plus start-up):ten"; do
    label=${entry%%:*}
    dir="$synthetic/${entry##*:}"
    threads=()
    [[ $label == *"1 thread"* ]] && threads=(env PINDREL_REPORT_THREADS=1)
    : >"$work/t"
    for ((r = 0; r < rounds; r++)); do seconds "${threads[@]}" "$report" --tsv "$dir" >>"$work/t"; done
    awk -v t="$(median <"$work/t")" -v l="$label" -v pk="$(peak_kib "${threads[@]}" "$report" --tsv "$dir")" \
        'BEGIN { printf "  %-52s %8.3f s  peak %5.1f MiB\n", l, t, pk / 1024 }'
done
rm -rf "$synthetic"
