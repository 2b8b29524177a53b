#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the Windows cross build need; quick when all are there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
  libgmime-3.0-dev libcurl4-openssl-dev
  # Clang 14 with its runtime libraries: libFuzzer and the sanitizers of the fuzz targets.
  clang libclang-rt-14-dev
  g++-mingw-w64-i686
  wine
  bogofilter
)

# The Windows tests run under 32-bit Wine where this machine can start 32-bit programs, and
# otherwise built for 64-bit Windows under 64-bit Wine (tests/wine/run.sh makes the same choice).
if bash "$(dirname "$0")/can-run-i386.sh"; then
  packages+=(wine32:i386)
else
  packages+=(wine64 g++-mingw-w64-x86-64)
fi

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$package" 2>/dev/null || true)
  [[ $status == ii* ]] || missing+=("$package")
done

if [[ ${#missing[@]} -eq 0 ]]; then
  echo "setup: all ${#packages[@]} packages are installed"
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "setup: run as root or install sudo" >&2; exit 1; }
  sudo=(sudo)
fi

export DEBIAN_FRONTEND=noninteractive
# The 32-bit Wine runtime comes from the i386 architecture.
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
echo "setup: done"
