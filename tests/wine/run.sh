#!/usr/bin/env bash
# Runs the Windows test programs under Wine in a fresh prefix: 32-bit programs under 32-bit Wine where
# this machine can start 32-bit programs, else the same programs built for 64-bit Windows under 64-bit
# Wine. Usage: tests/wine/run.sh [MINGW-BUILD-DIR]   (the directory forces the 32-bit run)
set -euo pipefail
cd "$(dirname "$0")/../.."

say() { printf 'wine-tests: %s\n' "$*"; }
fail() { say "FAILED: $*"; exit 1; }

if [[ $# -gt 0 ]] || bash scripts/can-run-i386.sh; then
  width=32 preset=mingw arch=win32 wine=/usr/lib/wine/wine
  build=${1:-build/mingw}
  what="32-bit Wine, the 32-bit Windows programs"
else
  width=64 preset=mingw64 arch=win64 wine=/usr/lib/wine/wine64
  build=build/mingw64
  what="64-bit Wine, the same programs built for 64-bit Windows (this machine cannot start 32-bit programs)"
fi
[[ -x $wine ]] || fail "$wine is missing (scripts/setup.sh installs the Wine this machine can run)"
say "the tests run under $what"

if [[ ! -f $build/CMakeCache.txt ]]; then
  [[ $width == 64 ]] || fail "no MinGW build in $build (configure it with: cmake --preset mingw)"
  say "configuring $build"
  cmake --preset "$preset" >/dev/null
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-wine.XXXXXX")
export WINEPREFIX=$work/prefix WINEARCH=$arch WINELOADER=$wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Without a display a message box returns at once instead of waiting for a click.
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

say "building the test programs in $build"
if ! cmake --build "$build" --target tarnwick_wine_tests -j2 >"$work/build.log" 2>&1; then
  cat "$work/build.log"
  fail "the test programs did not build"
fi

say "making a fresh $arch Wine prefix"
timeout 300 "$wine" wineboot -i >"$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; fail "wineboot could not make the prefix"; }

mkdir "$work/app"
cp -r "$build/tests/wine/bin/." "$work/app/"

# Runs the test program once; the gtest summary of the run lands in $passed.
run_tests() {
  local log=$work/$1.log status failed
  set +e
  timeout 600 "$wine" "$work/app/tarnwick_wine_tests.exe" --gtest_color=no 2>&1 | tr -d '\r' | tee "$log"
  status=${PIPESTATUS[0]}
  set -e
  passed=$(grep -E '^\[  PASSED  \]' "$log" || true)
  failed=$(grep -E '^\[  FAILED  \] [0-9]+ tests?,' "$log" || true)
  if [[ $status -ne 0 || -z $passed || -n $failed ]]; then
    fail "exit status $status under $width-bit Wine; ${failed:-no failure count}${passed:+; $passed}; the failing tests are listed above"
  fi
}

say "running tarnwick_wine_tests.exe"
run_tests tests
say "ok under $width-bit Wine: ${passed#*] }"

# The form windows need a display driver, and without a display Wine has none, so those tests skip
# above (where a message box must return at once rather than wait for a click). Wine's null driver
# draws nowhere but makes real windows: the form window tests run again under it.
if [[ -z ${GTEST_FILTER:-} || ${GTEST_FILTER} == *FormWindow* ]]; then
  say "running the form window tests under Wine's null display driver"
  "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >"$work/reg.log" 2>&1 || { cat "$work/reg.log"; fail "cannot choose Wine's null display driver"; }
  wineserver -k >/dev/null 2>&1 || true
  GTEST_FILTER='FormWindow*' run_tests forms
  say "ok under $width-bit Wine with the null display driver: ${passed#*] }"
fi
