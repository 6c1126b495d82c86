#!/usr/bin/env bash
# Installs the Debian packages that building and testing Kavri needs, and only those missing,
# so a machine that already has them pays nothing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build
    qt6-base-dev libqt6opengl6-dev qt6-charts-dev qt6-svg-dev
    libcli11-dev nlohmann-json3-dev libboost-math-dev liblapack-dev
    libgtest-dev libbenchmark-dev
    xvfb xauth xdotool fonts-dejavu-core librsvg2-bin
    locales
    help2man dpkg-dev lintian
    clang libclang-rt-14-dev clang-format
    python3-dev python3-numpy pybind11-dev python3-pytest python3-distributed python3-pandas
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
