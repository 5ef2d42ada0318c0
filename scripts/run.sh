#!/usr/bin/env bash
# Builds Pindrel if needed and starts it: the dialog when a display is available,
# otherwise the text report of the given directories (default: Pindrel's own sources).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(bash "$root/scripts/build.sh")
if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" && -x "$build/ui/pindrel" ]]; then
    exec "$build/ui/pindrel" "$@"
fi
if [[ $# -eq 0 ]]; then
    # Pindrel's own sources, not the build tree's generated files.
    set -- "$root"/base "$root"/engine "$root"/platform "$root"/htmlpage "$root"/sharedui "$root"/ui "$root"/projects \
        "$root"/run "$root"/cli
fi
exec "$build/cli/pindrel-report" "$@"
