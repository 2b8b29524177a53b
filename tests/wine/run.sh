#!/usr/bin/env bash
# Runs the Windows test programs under Wine in a fresh 32-bit prefix; usage: tests/wine/run.sh [MINGW-BUILD-DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."

build=${1:-build/mingw}
say() { printf 'wine-tests: %s\n' "$*"; }
fail() { say "FAILED: $*"; exit 1; }

[[ -f $build/CMakeCache.txt ]] || fail "no MinGW build in $build (configure it with: cmake --preset mingw)"
command -v wine >/dev/null || fail "wine is not installed (scripts/setup.sh installs it)"

say "building the test programs in $build"
work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-wine.XXXXXX")
export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Without a display a message box returns at once instead of waiting for a click.
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

if ! cmake --build "$build" --target tarnwick_wine_tests >"$work/build.log" 2>&1; then
  cat "$work/build.log"
  fail "the test programs did not build"
fi

say "making a fresh Wine prefix"
timeout 300 wineboot -i >"$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; fail "wineboot could not make the prefix"; }

mkdir "$work/app"
cp "$build/tests/wine/bin/"* "$work/app/"

say "running tarnwick_wine_tests.exe"
set +e
timeout 600 wine "$work/app/tarnwick_wine_tests.exe" --gtest_color=no 2>&1 | tr -d '\r' | tee "$work/tests.log"
status=${PIPESTATUS[0]}
set -e

passed=$(grep -E '^\[  PASSED  \]' "$work/tests.log" || true)
failed=$(grep -E '^\[  FAILED  \] [0-9]+ tests?,' "$work/tests.log" || true)
if [[ $status -ne 0 || -z $passed || -n $failed ]]; then
  fail "exit status $status; ${failed:-no failure count}${passed:+; $passed}; the failing tests are listed above"
fi
say "ok: ${passed#*] }"
