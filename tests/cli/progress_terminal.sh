#!/usr/bin/env bash
# pindrel-report's progress bar on a real terminal (tmux): in a 50-column window
# nothing of it stays on screen once the report is written, and a dumb terminal
# gets no escape codes. Usage: progress_terminal.sh PINDREL_REPORT
set -euo pipefail
report=$1
command -v tmux >/dev/null || { echo "tmux is missing (scripts/setup.sh installs it)"; exit 77; }
work=$(mktemp -d)
sock="$work/tmux"
trap 'tmux -S "$sock" kill-server 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir "$work/tree"
for i in $(seq 1 300); do printf 'int a;\n' >"$work/tree/f$i.c"; done

# Runs the report in a fresh 50x12 window with TERM=$1; leaves the bytes the
# program wrote in $work/raw-$1 and the final screen in $work/screen-$1.
run() {
    tmux -S "$sock" -f /dev/null new-session -d -x 50 -y 12 \
        "tmux -S '$sock' wait-for go; TERM=$1 PINDREL_REPORT_THREADS=1 '$report' --tsv '$work/tree' >/dev/null; echo END; sleep 600"
    tmux -S "$sock" pipe-pane -o "cat >'$work/raw-$1'"
    tmux -S "$sock" wait-for -S go
    until tmux -S "$sock" capture-pane -p | grep -q '^END$'; do sleep 0.1; done
    tmux -S "$sock" capture-pane -p >"$work/screen-$1"
    tmux -S "$sock" kill-server
}

fail=0
for term in xterm dumb; do
    run "$term"
    grep -q 'Counting' "$work/raw-$term" || { echo "TERM=$term: no progress bar was drawn"; fail=1; }
    if [[ $(sed '/^END$/,$d' "$work/screen-$term" | tr -d ' \n') != "" ]]; then
        echo "TERM=$term: the bar left lines on a 50-column screen:"
        cat "$work/screen-$term"
        fail=1
    fi
done
if grep -q $'\x1b' "$work/raw-dumb"; then
    echo "TERM=dumb: escape codes written:"
    cat -v "$work/raw-dumb"
    fail=1
fi
exit $fail
