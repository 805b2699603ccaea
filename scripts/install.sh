#!/usr/bin/env bash
# Installs what is missing, builds Kelvane (Release) and installs both programs, the
# desktop entry and the icon under PREFIX: /usr/local as root, ~/.local otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -eq 0 ]; then default=/usr/local; else default="$HOME/.local"; fi
prefix="${1:-$default}"
./scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVANE_BUILD_TESTS=OFF
cmake --build build/release
cmake --install build/release --prefix "$prefix"
# Let the desktop see the new entry and icon at once (both tools are optional).
command -v update-desktop-database > /dev/null && update-desktop-database -q "$prefix/share/applications" || true
command -v gtk-update-icon-cache > /dev/null && gtk-update-icon-cache -q -t "$prefix/share/icons/hicolor" || true
echo "Kelvane is installed in $prefix (programs in $prefix/bin)."
