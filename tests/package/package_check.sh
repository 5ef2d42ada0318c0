#!/usr/bin/env bash
# Pindrel as a user installs it: the Debian package goes in through apt-get, the
# desktop, the shell and the manual find what they need, the dialog starts from
# the installed path, and removing the package leaves none of its files behind.
# Needs root (it installs into /usr) and a Debian machine; CI runs it after the suite.
#
# usage: package_check.sh [PACKAGE.deb]    (default: build one with scripts/package.sh)
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
app_id=io.github.pindrel.Pindrel
export DEBIAN_FRONTEND=noninteractive

if [[ $(id -u) -ne 0 ]]; then
    echo "package_check.sh installs a package into /usr: run it as root" >&2
    exit 2
fi
if dpkg-query -W -f='${Status}' pindrel 2>/dev/null | grep -q 'install ok installed'; then
    echo "package_check.sh: pindrel is already installed; remove it first, this check removes it at the end" >&2
    exit 2
fi

echo "== tools"
tools=(dpkg-dev file lintian appstream man-db desktop-file-utils bash-completion xvfb xauth xdotool x11-utils
    xdg-utils libglib2.0-bin dbus)
missing=()
for p in "${tools[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]} > 0)); then
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/pindrel-package.XXXXXX")
xvfb_pid=
app_pid=
bus_pid=
installed=
cleanup()
{
    set +e
    # A check that stopped half way must not leave the package on the machine.
    [[ -n $installed ]] && dpkg --purge pindrel >/dev/null 2>&1
    [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
    [[ -n $bus_pid ]] && kill "$bus_pid" 2>/dev/null
    wait
    rm -rf "$work"
}
trap cleanup EXIT

problems=0
problem() { echo "FAIL: $*" >&2; problems=$((problems + 1)); }
fatal() { echo "FAIL: $*" >&2; exit 1; }

package=${1:-}
if [[ -z $package ]]; then
    echo "== building the package"
    package=$(bash "$root/scripts/package.sh")
fi
[[ -f $package ]] || fatal "no package at $package"
package=$(realpath "$package")
version=$(dpkg-deb -f "$package" Version)
echo "package: $package ($version)"
dpkg-deb -f "$package" Depends
[[ $(basename "$package") == "pindrel_${version}_amd64.deb" ]] || problem "the package's file name is $(basename "$package")"

echo "== lintian"
# Info tags are advice (stripped .comment sections); errors and warnings fail.
lintian --fail-on error,warning "$package" \
    || problem "lintian reports errors or warnings"

# Which program opens a folder, as the desktop's tools answer it without a
# desktop session: the package must not change that answer where one exists.
folder_default() { env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION xdg-mime query default inode/directory 2>/dev/null || true; }
folder_default_before=$(folder_default)

echo "== install"
# Container images may tell dpkg to skip manual pages and documents; a desktop
# does not, so put them back for this package.
dpkg_options=()
if grep -rqs '^path-exclude' /etc/dpkg/dpkg.cfg.d/; then
    dpkg_options=(-o 'DPkg::Options::=--path-include=/usr/share/man/man1/pindrel*'
        -o 'DPkg::Options::=--path-include=/usr/share/doc/pindrel/*')
fi
apt-get install -y -qq "${dpkg_options[@]}" "$package" >"$work/install.log" 2>&1 \
    || { cat "$work/install.log" >&2; fatal "apt-get install $package failed"; }
installed=yes
dpkg -L pindrel >"$work/files"

echo "== the licence"
copyright=/usr/share/doc/pindrel/copyright
[[ -f $copyright ]] || problem "no $copyright"
# Debian's machine-readable format: the header, every file under MIT, the licence text.
grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$copyright" \
    || problem "$copyright is not in the machine-readable format"
grep -qx 'Copyright: 2026 The Pindrel developers' "$copyright" || problem "$copyright does not name the copyright holders"
[[ $(grep -cx 'License: MIT' "$copyright") -eq 2 ]] || problem "$copyright does not put the files under MIT and give its text"
grep -qF 'Permission is hereby granted, free of charge' "$copyright" || problem "$copyright lacks the MIT licence text"
grep -qx 'Copyright (c) 2026 The Pindrel developers' "$root/LICENSE" || problem "the repository's LICENSE lacks the copyright line"

echo "== the shell and the manual"
[[ $(command -v pindrel-report) == /usr/bin/pindrel-report ]] || problem "pindrel-report is not /usr/bin/pindrel-report"
# The program and the package must say the same version: 1.4 (build 24) is 1.4.0.24.
IFS=. read -r major minor _ build <<<"$version"
actual=$(pindrel-report --version) || problem "pindrel-report --version failed"
[[ $actual == "pindrel-report $major.$minor (build $build)" ]] \
    || problem "pindrel-report --version says '$actual' in package $version"
manuals=$(man -w pindrel pindrel-report) || problem "man -w does not find both manual pages"
[[ $manuals == $'/usr/share/man/man1/pindrel.1.gz\n/usr/share/man/man1/pindrel-report.1.gz' ]] \
    || problem "man -w found: $manuals"
for page in pindrel pindrel-report; do
    warnings=$(man --warnings -E UTF-8 -l "/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null) \
        || problem "man cannot show $page.1"
    [[ -z $warnings ]] || problem "man warns about $page.1: $warnings"
    zcat "/usr/share/man/man1/$page.1.gz" | head -n 1 | grep -qF "\"Pindrel $major.$minor\"" \
        || problem "$page.1 does not carry the version $major.$minor"
done

# The completion as bash-completion loads it on demand: options, a file after
# --html and --compare, nothing for a pattern or N, directories for the
# projects, also after --.
mkdir -p "$work/tree/src" "$work/tree/srv"
touch "$work/tree/sample.c"
complete_words()
{
    (cd "$work/tree" && bash -c '
        source /usr/share/bash-completion/bash_completion
        source /usr/share/bash-completion/completions/pindrel-report
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
        COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
        _pindrel_report pindrel-report "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf "%s\n" "${COMPREPLY[@]}" | sort | paste -sd " "' bash "$@")
}
while IFS='|' read -r words expected; do
    read -ra line <<<"$words"
    [[ $words == *' ' ]] && line+=('')
    actual=$(complete_words "${line[@]}") || problem "completing '$words' failed"
    [[ $actual == "$expected" ]] || problem "completing '$words' gave '$actual', not '$expected'"
done <<'ROWS'
pindrel-report --h|--help --history --html
pindrel-report --ex|--exclude
pindrel-report --exclude s|
pindrel-report --exclude=s|
pindrel-report --history=|
pindrel-report --history s|src srv
pindrel-report --by|--by-project
pindrel-report --sy|--syntax
pindrel-report --json --co|--compare
pindrel-report s|src srv
pindrel-report --html s|sample.c src srv
pindrel-report --compare sa|sample.c
pindrel-report --html=s|sample.c src srv
pindrel-report --compare=sa|sample.c
pindrel-report -- -|
pindrel-report --tsv src |src srv
ROWS

echo "== the desktop"
entry=/usr/share/applications/$app_id.desktop
metainfo=/usr/share/metainfo/$app_id.metainfo.xml
[[ -f $entry ]] || fatal "no launcher entry at $entry"
desktop-file-validate "$entry" || problem "desktop-file-validate rejects $entry"
value() { sed -n "s/^$1=//p" "$entry"; }
exec_program=$(value Exec | cut -d ' ' -f 1)
[[ $(command -v "$exec_program") == /usr/bin/pindrel ]] || problem "Exec=$exec_program is not /usr/bin/pindrel"
icon=$(value Icon)
for size in 16x16 32x32 48x48 64x64 128x128 256x256; do
    [[ -s /usr/share/icons/hicolor/$size/apps/$icon.png ]] || problem "Icon=$icon has no $size icon"
done
[[ -s /usr/share/icons/hicolor/scalable/apps/$icon.svg ]] || problem "Icon=$icon has no scalable icon"
# A file manager offers "Open With Pindrel" on a folder...
[[ $(value Exec) == 'pindrel %F' && $(value MimeType) == 'inode/directory;' ]] \
    || problem "the entry does not open folders: Exec=$(value Exec) MimeType=$(value MimeType)"
grep -qx "inode/directory=.*$app_id.desktop;.*" /usr/share/applications/mimeinfo.cache \
    || problem "update-desktop-database did not list $app_id.desktop for folders"
# ...but does not take folders from the program that opened them before.
folder_default_after=$(folder_default)
echo "default for folders: before '${folder_default_before}', after '${folder_default_after}'"
if [[ -n $folder_default_before && $folder_default_after != "$folder_default_before" ]]; then
    problem "installing Pindrel made '$folder_default_after' the default for folders instead of '$folder_default_before'"
fi
# A desktop names its file manager in mimeapps.list; Pindrel must leave that choice alone.
mkdir -p "$work/xdg/applications"
printf '[Desktop Entry]\nType=Application\nName=Files\nExec=true %%U\nMimeType=inode/directory;\n' \
    >"$work/xdg/applications/files.desktop"
printf '[Default Applications]\ninode/directory=files.desktop\n' >"$work/xdg/mimeapps.list"
chosen=$(XDG_CONFIG_HOME="$work/xdg" XDG_DATA_HOME="$work/xdg" folder_default)
[[ $chosen == files.desktop ]] || problem "with a file manager named the default for folders, '$chosen' opens them"

[[ -f $metainfo ]] || fatal "no metainfo at $metainfo"
appstreamcli validate --no-net "$metainfo" || problem "appstreamcli rejects $metainfo"
# Software centres join the metainfo to the launcher by these names.
grep -qF "<id>$app_id</id>" "$metainfo" || problem "the metainfo's id is not $app_id"
grep -qF "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" \
    || problem "the metainfo does not launch $app_id.desktop"
grep -qF "<release version=\"$major.$minor\"" "$metainfo" || problem "the metainfo has no release $major.$minor"
grep -qF '<project_license>MIT</project_license>' "$metainfo" || problem "the metainfo's project licence is not MIT"
grep -qF '<metadata_license>CC0-1.0</metadata_license>' "$metainfo" || problem "the metainfo's metadata licence is not CC0-1.0"
for binary in pindrel pindrel-report; do
    grep -qF "<binary>$binary</binary>" "$metainfo" || problem "the metainfo does not provide $binary"
done

echo "== the dialog from the launcher's program, under Xvfb"
Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for ((i = 0; i < 100; ++i)); do
    grep -qx '[0-9]\+' "$work/display" && break
    sleep 0.1
done
grep -qx '[0-9]\+' "$work/display" || fatal "Xvfb did not start: $(tail -n 5 "$work/xvfb.log")"
export DISPLAY=":$(cat "$work/display")"
mkdir -p "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
# A session bus of the check's own, as a desktop session has one.
dbus-daemon --session --nofork --nopidfile --address="unix:path=$work/runtime/bus" >"$work/bus.log" 2>&1 &
bus_pid=$!
for ((i = 0; i < 100; ++i)); do
    [[ -S $work/runtime/bus ]] && break
    sleep 0.1
done
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/runtime/bus"
export QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 LANG=C.UTF-8 XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
# The first start runs the entry's command line with a folder for %F, as a file
# manager expands it, so that its exit status can be seen.
mkdir -p "$work/folders/first" "$work/folders/second"
exec_line=$(value Exec)
${exec_line/\%F/"$work/folders/first"} >"$work/pindrel.log" 2>&1 &
app_pid=$!
window=
deadline=$((SECONDS + 30))
while [[ -z $window ]] && ((SECONDS < deadline)) && kill -0 "$app_pid" 2>/dev/null; do
    window=$(xdotool search --onlyvisible --name 'Pindrel$' | head -n 1) || true
    [[ -n $window ]] || sleep 0.2
done
if [[ -z $window ]]; then
    cat "$work/pindrel.log" >&2
    problem "the installed pindrel showed no window"
else
    echo "window: $(xdotool getwindowname "$window")"
    # Docks join a window to its launcher entry by this class on X11.
    xprop -id "$window" WM_CLASS | grep -qF "\"$(value StartupWMClass)\"" \
        || problem "the window's $(xprop -id "$window" WM_CLASS) does not match StartupWMClass=$(value StartupWMClass)"
    # "Open With Pindrel" on a second folder, launched by GLib as a file manager
    # does: it goes to the window already open, and the process it started ends.
    # Other pindrel processes on the machine are not this check's: ours have its settings folder.
    ours() { for p in $(pgrep -x pindrel); do grep -qzx "XDG_CONFIG_HOME=$work/config" "/proc/$p/environ" 2>/dev/null && echo "$p"; done; }
    gio launch "$entry" "$work/folders/second" >>"$work/pindrel.log" 2>&1 || problem "gio launch $entry failed"
    for ((i = 0; i < 300; ++i)); do
        [[ $(ours | wc -l) -le 1 ]] && break
        sleep 0.1
    done
    [[ $(ours | wc -l) -le 1 ]] || problem "the second Open With kept a pindrel of its own running"
    windows=$(xdotool search --onlyvisible --name 'Pindrel$' | wc -l)
    ((windows == 1)) || problem "the second Open With left $windows windows"
    # Close (Enter in the directory field) stores the list: both folders, in order.
    xdotool windowfocus --sync "$window" key alt+d Return
    for ((i = 0; i < 100; ++i)); do
        kill -0 "$app_pid" 2>/dev/null || break
        sleep 0.1
    done
    status=0
    wait "$app_pid" || status=$?
    app_pid=
    ((status == 0)) || problem "pindrel ended with status $status after Close"
    stored=$(sed -n 's/^[0-9]*=//p' "$work/config/Pindrel/Pindrel.ini" | paste -sd ' ')
    [[ $stored == "$work/folders/first $work/folders/second" ]] \
        || problem "after two Open With and Close the list holds '$stored'"
fi
kill "$bus_pid" 2>/dev/null
wait "$bus_pid" 2>/dev/null || true
bus_pid=
kill "$xvfb_pid" 2>/dev/null
wait "$xvfb_pid" 2>/dev/null || true
xvfb_pid=

echo "== remove and purge"
installed=
apt-get remove -y -qq pindrel >"$work/remove.log" 2>&1 || { cat "$work/remove.log" >&2; problem "apt-get remove failed"; }
# apt-get cannot purge a package no repository holds once it is removed; dpkg can.
dpkg --purge pindrel >>"$work/remove.log" 2>&1 || { cat "$work/remove.log" >&2; problem "dpkg --purge failed"; }
dpkg-query -W -f='${Status}' pindrel 2>/dev/null | grep -q 'installed' \
    && problem "dpkg still lists pindrel: $(dpkg-query -W -f='${Status}' pindrel)"
left=0
while IFS= read -r path; do
    [[ $path == /. ]] && continue
    # Folders shared with other packages stay; a file or a folder of Pindrel's own must go.
    if [[ -L $path || -f $path ]] || [[ -d $path && $path == *pindrel* ]]; then
        problem "left behind: $path"
        left=$((left + 1))
    fi
done <"$work/files"
echo "$(wc -l <"$work/files") paths listed by dpkg -L, $left left behind"

if ((problems > 0)); then
    echo "$problems problem(s)" >&2
    exit 1
fi
echo "the package installs, works and removes cleanly"
