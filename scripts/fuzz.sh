#!/usr/bin/env bash
# Builds the libFuzzer targets into build-fuzz/ with clang and runs each for a bounded time.
#
#   scripts/fuzz.sh [SECONDS]      seconds per target (default $FUZZ_SECONDS, else 30)
#
# FUZZ_TARGETS picks targets (default: all six), FUZZ_TIMEOUT the seconds one input may
# take (default 10), FUZZ_BUILD_DIR the build folder. The committed seeds in
# fuzz/corpus/<target>/ are only read; what the fuzzer learns goes to
# <build>/fuzz/corpus-work/<target>/ and crash inputs to <build>/fuzz/artifacts/<target>/.
# Exits non-zero when a target finds a crash, a leak, a timeout or a broken property.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-${FUZZ_SECONDS:-30}}
timeout=${FUZZ_TIMEOUT:-10}
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
targets=${FUZZ_TARGETS:-"line_stream profile_section source_pattern text_out syntax_stream git_delta"}

if ! command -v clang++ >/dev/null; then
    echo "fuzz.sh: clang++ not found; install it with: apt-get install -y clang libclang-rt-14-dev" >&2
    exit 2
fi
runtime=$(clang++ --print-runtime-dir)/libclang_rt.fuzzer-$(uname -m).a
if [[ ! -e $runtime ]]; then
    echo "fuzz.sh: libFuzzer is missing ($runtime); install it with: apt-get install -y libclang-rt-14-dev" >&2
    exit 2
fi

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPINDREL_FUZZ=ON -DPINDREL_BUILD_UI=OFF -DPINDREL_BUILD_TESTS=OFF >/dev/null
build_targets=()
for target in $targets; do
    build_targets+=("fuzz_$target")
done
cmake --build "$build" -j "${FUZZ_JOBS:-2}" --target "${build_targets[@]}" -- --no-print-directory >/dev/null

# fuzz_profile_section writes a scratch INI file for every input; a crashed run cannot
# remove it, so it lives in a folder removed here.
scratch_base=/dev/shm
[[ -d $scratch_base && -w $scratch_base ]] || scratch_base=${TMPDIR:-/tmp}
scratch=$(mktemp -d "$scratch_base/pindrel-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export PINDREL_FUZZ_SCRATCH=$scratch

# Inputs longer than a few pieces are needed to reach the 511-byte cuts and big sections.
declare -A max_len=([line_stream]=8192 [profile_section]=16384 [source_pattern]=512 [text_out]=1024 [syntax_stream]=8192 [git_delta]=1024)
failed=()
for target in $targets; do
    work="$build/fuzz/corpus-work/$target"
    artifacts="$build/fuzz/artifacts/$target"
    mkdir -p "$work" "$artifacts"
    echo "== fuzz_$target: ${seconds}s" >&2
    if ! "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=2048 \
        -max_len="${max_len[$target]:-4096}" -print_final_stats=1 -artifact_prefix="$artifacts/" \
        "$work" "$root/fuzz/corpus/$target" 2>"$build/fuzz/$target.log"; then
        failed+=("$target")
        tail -n 40 "$build/fuzz/$target.log" >&2
        echo "== fuzz_$target FAILED; reproducer in $artifacts/" >&2
    else
        grep -E '^stat::number_of_executed_units|^Done' "$build/fuzz/$target.log" >&2 || true
    fi
done

if ((${#failed[@]} > 0)); then
    echo "fuzz.sh: failures in: ${failed[*]}" >&2
    exit 1
fi
echo "fuzz.sh: no findings" >&2
