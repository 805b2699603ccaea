#!/usr/bin/env bash
# Installs every Debian package Kelvane needs to build, test and run.
# Skips what is already installed; runs apt-get update only when something is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qtbase5-dev qtbase5-dev-tools libqt5opengl5-dev
  libboost-dev libgl1-mesa-dev libglu1-mesa-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb xauth libgl1-mesa-dri libxcb1-dev
  python3-gdspy python3-vtk9 parallel desktop-file-utils
  pybind11-dev python3-dev python3-numpy python3-pytest python3-matplotlib
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
