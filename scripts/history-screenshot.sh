#!/usr/bin/env bash
# Renders the README's picture of the history chart: pindrel-report --history=30 over
# this repository, its page shot by headless chromium into docs/history-chart.png.
# Given a page (history-screenshot.sh PAGE.html), it shoots that page instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
picture="$root/docs/history-chart.png"
PINDREL_SETUP_EXTRA=docs bash "$root/scripts/setup.sh"

if [[ $# -gt 0 ]]; then
    page=$(realpath "$1")
else
    build=$(bash "$root/scripts/build.sh")
    page=$(mktemp --suffix=.html)
    trap 'rm -f "$page"' EXIT
    # Dated by the newest commit, so the picture changes only with the history.
    SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct) \
        "$build/cli/pindrel-report" --history=30 --html "$page" "$root" >/dev/null
fi

# Chromium's sandbox refuses to run as root; the page is our own and holds no script.
sandbox=()
[[ $(id -u) -eq 0 ]] && sandbox=(--no-sandbox)
rm -f "$picture"
if ! log=$(chromium --headless "${sandbox[@]}" --disable-gpu --hide-scrollbars --window-size=1100,720 \
    --screenshot="$picture" "file://$page" 2>&1) || [[ ! -s "$picture" ]]; then
    echo "history-screenshot.sh: chromium made no picture:" >&2
    echo "$log" >&2
    exit 1
fi
echo "$picture"
