#!/usr/bin/env bash
# Installs what building and testing Tavo needs, when it is missing.
# Sourced by the other scripts; safe to run more than once.
set -euo pipefail

tavo_packages=(
  cmake make g++ clang libclang-rt-14-dev googletest libgtest-dev libgmock-dev libbenchmark-dev
  mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64 xvfb x11-apps imagemagick xdotool faketime libfaketime
  fonts-ipafont-gothic python3 zip file
)

# wine32 runs the 32-bit flavour; it needs the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  [ "$(id -u)" -ne 0 ] && tavo_dpkg="sudo dpkg" || tavo_dpkg="dpkg"
  $tavo_dpkg --add-architecture i386
fi
tavo_packages+=(wine32:i386)

tavo_missing=()
for p in "${tavo_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || tavo_missing+=("$p")
done
if ((${#tavo_missing[@]})); then
  echo "Installing: ${tavo_missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${tavo_missing[@]}" >/dev/null
fi
