#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the Windows cross build need; quick when all are there.
# Usage: scripts/setup.sh [--wine64] [--sheet]
#   --wine64  the 64-bit Wine tests' packages even where 32-bit Wine could run (tests/wine/run.sh asks for them)
#   --sheet   also what scripts/dialog-sheet.sh needs: a virtual X display, ImageMagick, X utilities and fonts
#
# A package index that cannot be downloaded (a mirror in the middle of a sync) is only a warning: the
# packages are installed from the indexes that could be read, and setup fails only when a package it
# needs cannot be installed, naming it. 32-bit Wine is wanted where this machine starts 32-bit programs;
# when it cannot be installed, setup installs what the 64-bit Wine tests need instead, as
# tests/wine/run.sh then runs them.
set -euo pipefail
here=$(dirname "$0")

required=(
  build-essential cmake ninja-build pkg-config ccache
  googletest libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
  libgmime-3.0-dev libcurl4-openssl-dev libc-ares-dev
  # Clang 14 with its runtime libraries: libFuzzer and the sanitizers of the fuzz targets.
  clang libclang-rt-14-dev
  g++-mingw-w64-i686
  # The Windows Installer package of the Windows build (the msi target): wixl, and msibuild from msitools.
  wixl msitools
  wine
  bogofilter
)
wine32=(wine32:i386)
wine64=(wine64 g++-mingw-w64-x86-64)
# The dialog sheet: Wine draws on Xvfb in its own fonts; montage labels the tiles in DejaVu.
sheet=(xvfb x11-utils imagemagick fonts-wine fonts-liberation fonts-dejavu-core)

want_wine64=0
extra=()
for arg; do
  case $arg in
    --wine64) want_wine64=1 ;;
    --sheet) extra=("${sheet[@]}") ;;
    *)
      echo "usage: scripts/setup.sh [--wine64] [--sheet]" >&2
      exit 2
      ;;
  esac
done

say() { printf 'setup: %s\n' "$*"; }

installed() {
  local status
  status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$1" 2>/dev/null || true)
  [[ $status == ii* ]]
}

# Prints the packages of the arguments that are not installed, one a line.
not_installed() {
  local package
  for package; do installed "$package" || printf '%s\n' "$package"; done
}

sudo=()
apt_ready=0
# apt-get update once, before the first install; a failed index leaves the others usable.
prepare_apt() {
  [[ $apt_ready -eq 0 ]] || return 0
  apt_ready=1
  if ! "${sudo[@]}" apt-get update -q; then
    say "warning: apt-get update could not read every package index (see above); going on with those it read"
  fi
}

# Installs the packages given; those that could not be installed are left in $not_had. When the whole
# set fails, each is tried alone, so one package without a candidate does not hold back the others.
not_had=()
install_packages() {
  not_had=()
  [[ $# -gt 0 ]] || return 0
  prepare_apt
  if "${sudo[@]}" apt-get install -y -q --no-install-recommends "$@"; then return 0; fi
  local package
  for package; do
    "${sudo[@]}" apt-get install -y -q --no-install-recommends "$package" || not_had+=("$package")
  done
}

# The Windows tests run under 32-bit Wine where this machine can start 32-bit programs and 32-bit Wine
# can be installed; otherwise the same programs are built for 64-bit Windows and run under 64-bit Wine.
# --wine64 asks for the 64-bit set even so (tests/wine/run.sh, when 32-bit Wine starts no program).
wine_packages=("${wine64[@]}")
if [[ $want_wine64 -eq 0 ]] && bash "$here/can-run-i386.sh"; then wine_packages=("${wine32[@]}"); fi

mapfile -t missing < <(not_installed "${required[@]}" "${extra[@]}" "${wine_packages[@]}")
if [[ ${#missing[@]} -eq 0 ]]; then
  say "all $((${#required[@]} + ${#extra[@]} + ${#wine_packages[@]})) packages are installed"
  exit 0
fi
say "installing ${missing[*]}"
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { say "run as root or install sudo" >&2; exit 1; }
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive

mapfile -t missing_required < <(not_installed "${required[@]}" "${extra[@]}")
install_packages "${missing_required[@]}"
failed=("${not_had[@]}")

mapfile -t missing_wine < <(not_installed "${wine_packages[@]}")
if [[ ${wine_packages[0]} == "${wine32[0]}" && ${#missing_wine[@]} -gt 0 ]]; then
  # 32-bit Wine comes from the i386 architecture, which is taken away again when it brings nothing.
  added_i386=0
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo[@]}" dpkg --add-architecture i386
    added_i386=1
    apt_ready=0
  fi
  install_packages "${missing_wine[@]}"
  if [[ ${#not_had[@]} -gt 0 ]]; then
    say "32-bit Wine (${not_had[*]}) cannot be installed here; installing the 64-bit Wine tests' packages instead"
    if [[ $added_i386 -eq 1 ]]; then "${sudo[@]}" dpkg --remove-architecture i386 || true; fi
    mapfile -t missing_wine < <(not_installed "${wine64[@]}")
  else
    missing_wine=()
  fi
fi
install_packages "${missing_wine[@]}"
failed+=("${not_had[@]}")

if [[ ${#failed[@]} -gt 0 ]]; then
  say "FAILED: these packages could not be installed: ${failed[*]}" >&2
  exit 1
fi
say "done"
