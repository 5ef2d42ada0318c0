#!/usr/bin/env bash
# Pindrel driven as its users drive it: a real X server, real key presses, and
# afterwards only what the program left on disk (the INI file, the HTML export).
# xdotool cannot read Qt widgets, so every check goes through files.
#
# usage: dialog_e2e.sh SCENARIO PINDREL PINDREL_REPORT
#   calc-export-close  two stored projects and one typed in, Calc, export, Enter
#   escape-forgets     a project added then Escape is gone at the next start
#   second-start       directories on the command line, then a second start on a
#                      private session bus hands its own to the first window
set -euo pipefail

readonly SKIP=77
here=$(cd "$(dirname "$0")" && pwd)
# Sanitizer builds: the X11 platform plugin reaches system libraries that keep buffers to the end.
lsan_options=${LSAN_OPTIONS:-}
if [[ $lsan_options != *suppressions=* ]]; then
    lsan_options="suppressions=$here/../sanitizers/lsan.supp${lsan_options:+:$lsan_options}"
fi
scenario=$1
pindrel=$2
report=$3

if [[ $scenario == second-start && -z ${PINDREL_E2E_PRIVATE_BUS:-} ]]; then
    # A bus of its own: no window of the developer's session can answer, and none is left behind.
    if ! command -v dbus-run-session >/dev/null; then
        echo "SKIP: 'dbus-run-session' not found; install the dbus package to run this test"
        exit "$SKIP"
    fi
    PINDREL_E2E_PRIVATE_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi

for tool in Xvfb xdotool; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: '$tool' not found; install the xvfb and xdotool packages to run this test"
        exit "$SKIP"
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/pindrel-e2e.XXXXXX")
xvfb_pid=
app_pid=
cleanup()
{
    # Runs on every way out, also after a failed kill: never stop half way and leave the server behind.
    set +e
    [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
    wait
    rm -rf "$work"
}
trap cleanup EXIT

step() { echo "[${SECONDS}s] $*"; }
fail()
{
    echo "FAIL: $*" >&2
    if [[ -s $work/pindrel.log ]]; then
        echo "--- what pindrel printed:" >&2
        cat "$work/pindrel.log" >&2
    fi
    exit 1
}

# Waits up to $1 tenths of a second for the command after it to succeed.
poll()
{
    local tenths=$1
    shift
    for ((i = 0; i < tenths; ++i)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

start_xvfb()
{
    # -displayfd lets the server pick a free display, so parallel tests never collide.
    # -noreset: a server resetting after its last client left refuses the next one for a moment.
    Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    poll 100 grep -qx '[0-9]\+' "$work/display" || fail "Xvfb did not report a display: $(tail -n 5 "$work/xvfb.log")"
    export DISPLAY=":$(cat "$work/display")"
    step "Xvfb on $DISPLAY"
}

# The program as a user starts it, English, with its settings in $config (the
# work folder's by default) and the arguments given.
config=
run_pindrel()
{
    LSAN_OPTIONS=$lsan_options QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 LANG=C.UTF-8 LANGUAGE='' \
        XDG_CONFIG_HOME="${config:-$work/config}" XDG_RUNTIME_DIR="$work/runtime" \
        "$pindrel" "$@" >>"$work/pindrel.log" 2>&1
}

main_windows() { xdotool search --onlyvisible --name '^Velkor Pindrel$' || true; }

# Starts pindrel and waits for its window: a main window that was not there before.
start_pindrel()
{
    local before
    before=$(main_windows)
    run_pindrel "$@" &
    app_pid=$!
    local deadline=$((SECONDS + 20)) status=0
    window=
    while [[ -z $window ]]; do
        if ! kill -0 "$app_pid" 2>/dev/null; then
            wait "$app_pid" || status=$?
            app_pid=
            fail "pindrel ended with status $status before its window appeared"
        fi
        ((SECONDS < deadline)) || fail "the main window did not appear"
        window=$(main_windows | grep -vxF -e "${before:-none}" | head -n 1) || true
        [[ -n $window ]] || sleep 0.1
    done
    focus_main
}

focus_main() { xdotool windowfocus --sync "$window"; }

# Alt+letter clicks a button only after a 100 ms animation timer; leave room for
# a loaded machine before the next key, which may depend on that click.
press() { xdotool key "$1" && sleep 1; }

wait_for_exit()
{
    poll 100 eval '! kill -0 "$app_pid" 2>/dev/null' || fail "pindrel did not end after $1"
    wait "$app_pid" || fail "pindrel ended with status $? after $1"
    app_pid=
}

projects_section()
{
    awk '/^\[/ { inside = ($0 == "[Projects]"); next } inside' "$work/config/Pindrel/Pindrel.ini"
}

write_ini()
{
    mkdir -p "$work/config/Pindrel" "$work/runtime"
    chmod 700 "$work/runtime"
    {
        echo '[Projects]'
        local n=0
        for dir in "$@"; do
            echo "$n=$dir"
            n=$((n + 1))
        done
    } >"$work/config/Pindrel/Pindrel.ini"
}

# Three small projects whose figures differ, so a project left out changes the report.
make_sources()
{
    alpha=$work/src/alpha beta=$work/src/beta gamma=$work/src/gamma
    mkdir -p "$alpha/include" "$beta" "$gamma/deep/er"
    printf '#include "util.h"\n\nint add(int a, int b) // sum\n{\n    return a + b;\n}\n' >"$alpha/util.c"
    printf '#pragma once\n// Adds two numbers.\nint add(int a, int b);\n' >"$alpha/include/util.h"
    printf 'not counted\n' >"$alpha/notes.txt"
    printf '/* block\n   comment */\nclass A {};\r\n\r\n// end\r\n' >"$beta/a.cpp"
    printf 'struct B\n{\n\tint n; // count\n};\n\n\n' >"$gamma/deep/er/b.hpp"
    printf 'int main()\n{\n    return 0;\n}\n' >"$gamma/main.cc"
    # Every line above ends with a line feed and is short: "# lines" is the sum of the line counts.
    expected_lines=$(cat "$alpha/util.c" "$alpha/include/util.h" "$beta/a.cpp" "$gamma/deep/er/b.hpp" \
        "$gamma/main.cc" | wc -l)
}

# Opens "Html export..." from the keyboard and saves to $1. Two Shift+Tab from
# the directory edit pass the results list.
export_html()
{
    focus_main
    xdotool key alt+d shift+Tab shift+Tab space
    local dialog
    dialog=$(timeout 10 xdotool search --sync --onlyvisible --name '^Save As$' | head -n 1) \
        || fail "Html export... did not open the save dialog (Tab order?)"
    xdotool windowfocus --sync "$dialog"
    xdotool type --delay 5 "$1"
    xdotool key Return
    poll 50 test -s "$1" || fail "the export did not write $1"
}

# The report rows of an HTML export, one line each, cells joined by tabs.
html_rows()
{
    tr -d '\n' <"$1" | sed 's#</tr>#\n#g' | grep '<td' | sed -e 's#</td>#\t#g' -e 's#<[^>]*>##g' -e 's#\t$##' \
        -e 's#&lt;#<#g' -e 's#&gt;#>#g' -e 's#&quot;#"#g' -e "s#&\#39;#'#g" -e 's#&amp;#\&#g'
}

calc_export_close()
{
    make_sources
    write_ini "$alpha" "$beta"
    start_pindrel
    step "dialog up; typing the third project"
    # The focus starts in the directory edit.
    xdotool type --delay 10 "$gamma"
    press alt+a
    press alt+c
    step "run started"

    # The list gets its rows only when the run ends: export until they are there.
    local html
    for attempt in $(seq 1 15); do
        html=$work/report-$attempt.html
        export_html "$html"
        [[ -n $(html_rows "$html") ]] && break
        sleep 0.5
    done
    [[ -n $(html_rows "$html") ]] || fail "no export held the report: the run never ended"
    step "exported after $attempt attempt(s)"

    focus_main
    xdotool key alt+d Return
    wait_for_exit "Enter in the directory edit"
    step "closed with Enter"

    "$report" --tsv "$alpha" "$beta" "$gamma" >"$work/expected.tsv" || fail "pindrel-report failed"
    html_rows "$html" >"$work/actual.tsv"
    diff -u "$work/expected.tsv" "$work/actual.tsv" \
        || fail "the exported report differs from pindrel-report on the same three directories"
    local shown_lines
    shown_lines=$(awk -F '\t' '$1 == "# lines" { print $2 }' "$work/actual.tsv")
    [[ $shown_lines == "$expected_lines" ]] || fail "'# lines' shows '$shown_lines', the files hold $expected_lines"

    printf '0=%s\n1=%s\n2=%s\n' "$alpha" "$beta" "$gamma" >"$work/expected-projects"
    diff -u "$work/expected-projects" <(projects_section) || fail "Close did not store the three projects in order"
}

escape_forgets()
{
    make_sources
    write_ini "$alpha" "$beta"
    start_pindrel
    xdotool type --delay 10 "$gamma"
    press alt+a
    xdotool key Escape
    wait_for_exit "Escape"
    step "left with Escape"
    printf '0=%s\n1=%s\n' "$alpha" "$beta" >"$work/expected-projects"
    diff -u "$work/expected-projects" <(projects_section) || fail "Escape stored the project list"

    # Next start: with nothing selected Calc is disabled, and its Alt+C must not
    # type a "c" into the edit (which Alt+A would then add as a project).
    start_pindrel
    press alt+e
    press alt+c
    press alt+a
    focus_main
    xdotool key alt+d Return
    wait_for_exit "Enter in the directory edit"
    step "second start closed with Enter"
    diff -u "$work/expected-projects" <(projects_section) \
        || fail "the second start did not store exactly the two projects it loaded"
}

second_start()
{
    make_sources
    write_ini "$alpha"
    # A trailing slash and a project already listed: each is kept once, as Add would keep it.
    start_pindrel "$beta/" "$alpha"
    local first=$window first_pid=$app_pid
    step "first window up with a directory from the command line"
    local typed=$work/src/typed
    xdotool type --delay 10 "$typed"
    press alt+a
    step "a project added in the first window"

    # The second start hands its directories over and ends, without a window.
    (cd "$work/src" && run_pindrel gamma "$beta") &
    local second_pid=$! status=0
    poll 300 eval '! kill -0 "$second_pid" 2>/dev/null' \
        || { kill "$second_pid"; fail "the second start did not end: it kept a window of its own"; }
    wait "$second_pid" || status=$?
    ((status == 0)) || fail "the second start ended with status $status"
    [[ $(main_windows | wc -l) -eq 1 ]] || fail "the second start opened a window of its own"
    step "second start handed over"

    # Another list file is another session's list: that start gets a window of its own.
    config=$work/other-config
    start_pindrel
    [[ $window != "$first" ]] || fail "a start on another list file found the first window"
    xdotool key Escape
    wait_for_exit "Escape in the window of the other list"
    config=
    step "a start on another list file had its own window"

    window=$first app_pid=$first_pid
    focus_main
    xdotool key alt+d Return
    wait_for_exit "Enter in the directory edit"
    printf '0=%s\n1=%s\n2=%s\n3=%s\n' "$alpha" "$beta" "$typed" "$gamma" >"$work/expected-projects"
    diff -u "$work/expected-projects" <(projects_section) \
        || fail "Close did not store the first window's projects and the second start's, each once"
}

start_xvfb
case $scenario in
calc-export-close) calc_export_close ;;
escape-forgets) escape_forgets ;;
second-start) second_start ;;
*) echo "unknown scenario '$scenario'" >&2; exit 2 ;;
esac
step "passed"
