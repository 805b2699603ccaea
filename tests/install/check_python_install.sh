#!/usr/bin/env bash
# Installs the Python module into a temporary prefix and imports it from there, as
# Debian's python3 finds it: from <prefix>/<folder>, which for the prefix /usr/local is
# on python3's own path.
# usage: check_python_install.sh BUILD_DIR PYTHON FOLDER DEFAULT_PREFIX
set -euo pipefail
build="$1"
python="$2"
folder="$3"
default_prefix="$4"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "python install check: $*" >&2; exit 1; }
cmake --install "$build" --prefix "$prefix" --component python > "$prefix/install.log" 2>&1 ||
  { cat "$prefix/install.log"; fail "cmake --install failed"; }
ls "$prefix/$folder"/kelvane*.so > /dev/null 2>&1 || fail "no kelvane*.so in $folder under the prefix"
found=$(cd "$prefix" && env -u PYTHONPATH PYTHONPATH="$prefix/$folder" "$python" -c \
  'import kelvane; v = kelvane.Volume(size=(2, 2, 2)); kelvane.cvd(v, material=1, thickness=1); print(kelvane.__file__)') ||
  fail "the installed module does not import"
case "$found" in
  "$prefix/$folder"/kelvane*.so) ;;
  *) fail "python3 imported $found, not the installed module" ;;
esac
# Without PYTHONPATH, python3 looks in the folder under /usr/local.
if [ "$default_prefix" = /usr/local ]; then
  env -u PYTHONPATH "$python" -c "import sys; sys.exit('/usr/local/$folder' not in sys.path)" ||
    fail "python3 does not look in /usr/local/$folder"
fi
echo "installed and imported from $prefix/$folder"
