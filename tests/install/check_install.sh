#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that both programs, the desktop
# entry (valid, pointing at the installed program and icon) and the icons are there.
# usage: check_install.sh BUILD_DIR
set -euo pipefail
build="$1"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" > "$prefix.log" 2>&1 || { cat "$prefix.log"; rm -f "$prefix.log"; exit 1; }
rm -f "$prefix.log"
fail() { echo "install check: $*" >&2; exit 1; }
for program in kelvane kelvane-batch; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is missing or not executable"
done
desktop="$prefix/share/applications/kelvane.desktop"
[ -f "$desktop" ] || fail "share/applications/kelvane.desktop is missing"
desktop-file-validate "$desktop" || fail "the desktop entry does not validate"
exec_line=$(grep '^Exec=' "$desktop" | cut -d= -f2 | cut -d' ' -f1)
icon_line=$(grep '^Icon=' "$desktop" | cut -d= -f2)
[ -x "$prefix/bin/$exec_line" ] || fail "the desktop entry starts '$exec_line', which is not installed"
[ -f "$prefix/share/icons/hicolor/scalable/apps/$icon_line.svg" ] || fail "no scalable icon '$icon_line'"
for size in 32 48 64 128 256; do
  png="$prefix/share/icons/hicolor/${size}x${size}/apps/$icon_line.png"
  [ -f "$png" ] || fail "no ${size}x${size} icon"
  # A PNG of the size its folder names: width and height are big-endian at bytes 16 to 23.
  dims=$(od --endian=big -An -tu4 -j16 -N8 "$png" | tr -s ' ' | sed 's/^ //')
  [ "$dims" = "$size $size" ] || fail "the ${size}x${size} icon measures '$dims'"
done
"$prefix/bin/kelvane-batch" --help > /dev/null || fail "the installed kelvane-batch does not start"
echo "installed and checked in $prefix"
