#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Pindrel need.
# Safe to run again: packages already present are not fetched a second time.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    libgtest-dev libgmock-dev
    qt6-base-dev
    qt6-translations-l10n
    xvfb xauth xdotool x11-utils imagemagick tmux
    fonts-dejavu-core desktop-file-utils
    nlohmann-json3-dev tidy
    libgit2-dev libdeflate-dev libcli11-dev git
    dpkg-dev file
    dbus
)
if [[ "${PINDREL_SETUP_EXTRA:-}" == *fuzz* ]]; then
    packages+=(clang libclang-rt-14-dev)
fi
if [[ "${PINDREL_SETUP_EXTRA:-}" == *docs* ]]; then
    packages+=(chromium)
fi
if [[ "${PINDREL_SETUP_EXTRA:-}" == *bench* ]]; then
    packages+=(cloc qt6-base-dev libboost-dev)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
if [[ $(id -u) -ne 0 ]]; then
    if ! command -v sudo >/dev/null; then
        echo "setup.sh: these packages are missing, and without root or sudo it cannot install them." >&2
        echo "setup.sh: run this as root, then run setup.sh again:" >&2
        echo "apt-get install -y --no-install-recommends ${missing[*]}" >&2
        exit 1
    fi
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
# No recommends: the GTK platform theme they bring would replace Qt's own file dialogs.
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
