#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop and a
# shell find there: programs, launcher entry, icons, manual pages.
#
# usage: install_check.sh CMAKE BUILD_DIR
set -euo pipefail

cmake=$1
build=$2
prefix=$(mktemp -d "${TMPDIR:-/tmp}/pindrel-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT

problems=0
problem() { echo "FAIL: $*" >&2; problems=$((problems + 1)); }
note() { echo "note: $*"; }

"$cmake" --install "$build" --prefix "$prefix" >"$prefix/install.log" || {
    cat "$prefix/install.log" >&2
    problem "cmake --install failed"
    exit 1
}

sizes=(16 32 48 64 128 256)
expected=(
    bin/pindrel
    bin/pindrel-report
    share/applications/io.github.pindrel.Pindrel.desktop
    share/bash-completion/completions/pindrel-report
    share/doc/pindrel/changelog.gz
    share/doc/pindrel/copyright
    share/icons/hicolor/scalable/apps/pindrel.svg
    share/man/man1/pindrel.1.gz
    share/man/man1/pindrel-report.1.gz
    share/metainfo/io.github.pindrel.Pindrel.metainfo.xml
)
for size in "${sizes[@]}"; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/pindrel.png")
done
for file in "${expected[@]}"; do
    [[ -s $prefix/$file ]] || problem "$file is not installed"
done
for program in bin/pindrel bin/pindrel-report; do
    [[ -x $prefix/$program ]] || problem "$program is not executable"
done

# An icon in the wrong folder is scaled, or skipped, by icon themes.
if command -v identify >/dev/null; then
    for size in "${sizes[@]}"; do
        png=$prefix/share/icons/hicolor/${size}x${size}/apps/pindrel.png
        [[ -f $png ]] || continue
        actual=$(identify -format '%wx%h' "$png")
        [[ $actual == "${size}x${size}" ]] || problem "the ${size}x${size} icon is $actual"
    done
else
    note "identify not found: icon sizes not checked"
fi

entry=$prefix/share/applications/io.github.pindrel.Pindrel.desktop
if [[ -f $entry ]]; then
    value() { sed -n "s/^$1=//p" "$entry"; }
    [[ $(value Name) == Pindrel ]] || problem "Name is '$(value Name)'"
    [[ $(value Comment) == 'Simple statistics on your C/C++ code.' ]] || problem "Comment is '$(value Comment)'"
    [[ $(value Categories) == 'Development;' ]] || problem "Categories is '$(value Categories)'"
    # The launcher must start the installed program and find the installed icon.
    exec_program=$(value Exec | cut -d ' ' -f 1)
    [[ -x $prefix/bin/$exec_program ]] || problem "Exec=$exec_program is not an installed program"
    icon=$(value Icon)
    [[ -f $prefix/share/icons/hicolor/scalable/apps/$icon.svg ]] || problem "Icon=$icon has no installed icon"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$entry" || problem "desktop-file-validate rejects ${entry##*/}"
    else
        note "desktop-file-validate not found: the entry's syntax is not checked"
    fi
fi

report=$prefix/bin/pindrel-report
manual=$prefix/pindrel-report.1
if [[ -x $report && -f $prefix/share/man/man1/pindrel-report.1.gz ]]; then
    gzip -dc "$prefix/share/man/man1/pindrel-report.1.gz" >"$manual"
    "$report" --version | grep -q '^pindrel-report [0-9]' || problem "the installed pindrel-report does not run"
    # Every option that --help lists has its entry in the manual page.
    for option in $("$report" --help | grep -o -- '--[a-z]\+' | sort -u); do
        grep -qF -- "\\-\\-${option#--}" "$manual" || problem "the manual page does not describe $option"
    done
fi
if command -v groff >/dev/null; then
    for page in pindrel pindrel-report; do
        [[ -f $prefix/share/man/man1/$page.1.gz ]] || continue
        warnings=$(gzip -dc "$prefix/share/man/man1/$page.1.gz" | groff -man -Tutf8 -ww -z 2>&1)
        [[ -z $warnings ]] || problem "groff warns about $page.1: $warnings"
    done
fi

if ((problems > 0)); then
    exit 1
fi
echo "the installed files are in place"
