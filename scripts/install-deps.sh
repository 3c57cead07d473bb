#!/usr/bin/env bash
# Installs the Debian packages the project needs, when any is missing.
# Runs apt-get as root, or through sudo for a normal user.
set -euo pipefail

packages=(
    build-essential cmake pkg-config ccache
    juce-modules-source juce-tools
    libgtest-dev libgmock-dev libbenchmark-dev
    libflac-dev libvorbis-dev libogg-dev
    libasound2-dev libfreetype-dev libx11-dev libxext-dev libxinerama-dev libxrandr-dev libxcursor-dev
    fonts-roboto-unhinted fonts-open-sans
)
if [[ "${THUDMOR_WITH_CLANG:-0}" == 1 ]]; then
    packages+=(clang libclang-rt-dev)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
    exit 0
fi

echo "Installing Debian packages: ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
    as_root=()
elif command -v sudo > /dev/null; then
    as_root=(sudo)
else
    echo "error: missing packages (${missing[*]}) and neither root nor sudo is available" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
