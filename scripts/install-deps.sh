#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need; does nothing
# when all of them are present already.
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config qt6-base-dev libgtest-dev libgmock-dev
          libbenchmark-dev fonts-dejavu-core fonts-liberation xvfb xauth locales clang
          libclang-rt-14-dev libswe-dev qt6-websockets-dev libsimdjson-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get -o DPkg::Lock::Timeout=600 update -q
    $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}"
fi
