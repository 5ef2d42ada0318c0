#!/usr/bin/env bash
# Builds Pindrel for release into build-package/ and makes its Debian package there.
# Prints the package's path; install it with: sudo apt-get install ./build-package/pindrel_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PINDREL_PACKAGE_BUILD_DIR:-$root/build-package}
bash "$root/scripts/setup.sh"
# Debian's own compiler and linker flags, hardening included (fortified libc calls,
# stack protector, read-only relocations bound at start).
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CXXFLAGS="$CPPFLAGS $CXXFLAGS"
echo "Building the Pindrel package in $build (a release build takes a few minutes)..." >&2
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPINDREL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" -- --no-print-directory >/dev/null
(cd "$build" && cpack -G DEB >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
package="$build/pindrel_${version}_$(dpkg --print-architecture).deb"
[[ -f $package ]] || { echo "package.sh: cpack did not write $package" >&2; exit 1; }
echo "$package"
