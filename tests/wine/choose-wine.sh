# Sourced by tests/wine/run.sh: chooses the Wine that runs the Windows tests and makes its prefix.
#
# 32-bit Wine is chosen only when this machine starts 32-bit Linux programs, 32-bit Wine is installed,
# and it makes a 32-bit prefix and starts a 32-bit Windows program in it (cmd.exe, whose exit code must
# come back). Otherwise the tests run under 64-bit Wine, built for 64-bit Windows, and $why says why.
#
# choose_wine PREFIX [forced-32-bit-build-dir]
#   sets width (32 or 64), preset, arch, wine, build, why (empty for 32-bit) and WINEPREFIX/WINEARCH/
#   WINELOADER, with the prefix made; returns 1 with $why set when no Wine can make a prefix.
# TW_WINE_DIR names the folder of Wine's loaders (default /usr/lib/wine). A function install_wine64,
# where the caller defines one, is called before the 64-bit path is taken.

tw_wine_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# make_prefix ARCH LOADER: a fresh prefix at $WINEPREFIX; the log of a failure is in $WINEPREFIX.log.
make_prefix() {
  if [[ -d $WINEPREFIX ]]; then
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
  fi
  export WINEARCH=$1 WINELOADER=$2
  timeout 300 "$2" wineboot -i >"$WINEPREFIX.log" 2>&1
}

# Starts a Windows program of the prefix's width and checks that its exit code comes back.
starts_a_program() {
  local status
  timeout 120 "$1" cmd /c exit 7 >>"$WINEPREFIX.log" 2>&1
  status=$?
  [[ $status -eq 7 ]]
}

choose_wine() {
  export WINEPREFIX=$1
  local forced=${2:-} dir=${TW_WINE_DIR:-/usr/lib/wine}
  why=
  if [[ -n $forced ]]; then
    :
  elif ! bash "$tw_wine_root/scripts/can-run-i386.sh"; then
    why="this machine cannot start 32-bit programs"
  elif [[ ! -x $dir/wine ]]; then
    why="32-bit Wine is not installed ($dir/wine is missing)"
  elif ! make_prefix win32 "$dir/wine"; then
    why="32-bit Wine could not make a prefix"
  elif ! starts_a_program "$dir/wine"; then
    why="32-bit Wine did not start a 32-bit Windows program"
  fi
  if [[ -z $why ]]; then
    width=32 preset=mingw arch=win32 wine=$dir/wine build=${forced:-build/mingw}
    [[ -n $forced ]] || return 0
    [[ -x $wine ]] || { why="$wine is missing (scripts/setup.sh installs it)"; return 1; }
    make_prefix win32 "$wine" || { why="32-bit Wine could not make a prefix"; return 1; }
    return 0
  fi
  width=64 preset=mingw64 arch=win64 wine=$dir/wine64 build=build/mingw64
  # The caller may define install_wine64 to install the 64-bit packages where they are missing.
  if declare -F install_wine64 >/dev/null; then install_wine64 || { why="$why, and 64-bit Wine could not be installed"; return 1; }; fi
  [[ -x $wine ]] || { why="$why, and 64-bit Wine is not installed ($wine is missing)"; return 1; }
  make_prefix win64 "$wine" || { why="$why, and 64-bit Wine could not make a prefix"; return 1; }
}
