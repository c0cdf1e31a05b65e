#!/usr/bin/env bash
# Installs what building and testing Tavo needs, when it is missing.
# Sourced by the other scripts; safe to run more than once.
set -euo pipefail

tavo_packages=(
  cmake make g++ clang libclang-rt-14-dev googletest libgtest-dev libgmock-dev libbenchmark-dev
  mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64 xvfb x11-apps imagemagick xdotool faketime libfaketime
  fonts-ipafont-gothic python3 zip file nsis
)

# Whether the kernel runs 32-bit x86 programs: some virtual machines run
# 64-bit ones only. Tries a tiny i386 program that only exits.
tavo_runs_i386() {
  local probe rc
  probe=$(mktemp)
  # ELF header, one loadable segment, then mov eax,1; xor ebx,ebx; int 0x80.
  printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0\0\0\0\0\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\135\0\0\0\135\0\0\0\5\0\0\0\0\20\0\0\270\1\0\0\0\61\333\315\200' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null
  rc=$?
  rm -f "$probe"
  return $rc
}

# wine32 runs the 32-bit flavour; it needs the i386 architecture and a
# kernel that runs 32-bit programs.
if tavo_runs_i386; then
  export TAVO_RUNS_I386=1
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    [ "$(id -u)" -ne 0 ] && tavo_dpkg="sudo dpkg" || tavo_dpkg="dpkg"
    $tavo_dpkg --add-architecture i386
  fi
  tavo_packages+=(wine32:i386)
else
  export TAVO_RUNS_I386=0
fi

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

# Where wine32 is installed but cannot run, Debian's `wine` command still
# picks it and fails for 64-bit programs too: put 64-bit-only stand-ins first.
if [ "$TAVO_RUNS_I386" = 0 ] && [ -x /usr/lib/wine/wine ]; then
  tavo_winebin=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wine64-only
  mkdir -p "$tavo_winebin"
  printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$tavo_winebin/wine"
  printf '#!/bin/sh\nexec "%s/wine" wineboot.exe "$@"\n' "$tavo_winebin" >"$tavo_winebin/wineboot"
  chmod +x "$tavo_winebin/wine" "$tavo_winebin/wineboot"
  export PATH="$tavo_winebin:$PATH"
fi
