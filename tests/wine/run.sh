#!/usr/bin/env bash
# Runs the Windows test programs under Wine in a fresh prefix: 32-bit programs under 32-bit Wine where
# this machine can start 32-bit programs, else the same programs built for 64-bit Windows under 64-bit
# Wine. Usage: tests/wine/run.sh [MINGW-BUILD-DIR]   (the directory forces the 32-bit run)
set -euo pipefail
cd "$(dirname "$0")/../.."

say() { printf 'wine-tests: %s\n' "$*"; }
fail() { say "FAILED: $*"; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-wine.XXXXXX")
# mapi32=n: the stand-in's mapi32.dll beside the test program, not Wine's own.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;mapi32=n"
# Without a display a message box returns at once instead of waiting for a click.
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# The 64-bit path needs its own Wine and compiler, which setup installs only where it is the first choice.
install_wine64() {
  bash scripts/setup.sh --wine64 >"$work/setup.log" 2>&1 || { cat "$work/setup.log"; return 1; }
}
source tests/wine/choose-wine.sh
# The choice makes the prefix (in a 32-bit one it starts a 32-bit program), so it comes before any output.
if ! choose_wine "$work/prefix" "${1:-}"; then
  [[ -f $work/prefix.log ]] && cat "$work/prefix.log"
  fail "no Wine can run the tests: $why"
fi
if [[ $width == 32 ]]; then
  say "the tests run under 32-bit Wine, the 32-bit Windows programs"
else
  say "the tests run under 64-bit Wine, the same programs built for 64-bit Windows: $why"
fi

if [[ ! -f $build/CMakeCache.txt ]]; then
  [[ $width == 64 ]] || fail "no MinGW build in $build (configure it with: cmake --preset mingw)"
  say "configuring $build"
  cmake --preset "$preset" >/dev/null
fi

say "building the test programs in $build"
if ! cmake --build "$build" --target tarnwick_wine_tests -j2 >"$work/build.log" 2>&1; then
  cat "$work/build.log"
  fail "the test programs did not build"
fi

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

# The monitor's tests start programs that find the client in the running object table; they run in a
# Wine session of their own, as a user's client starts in a fresh logon, so that nothing the other
# tests left in that table can decide them.
own_session='HostWatchWineTest.*'
requested=${GTEST_FILTER:-*}
if [[ $requested == *-* ]]; then first="$requested:$own_session"; else first="$requested-$own_session"; fi

say "running tarnwick_wine_tests.exe"
GTEST_FILTER=$first run_tests tests
say "ok under $width-bit Wine: ${passed#*] }"

if [[ -z ${GTEST_FILTER:-} || ${GTEST_FILTER} == *HostWatch* ]]; then
  say "running the monitor's tests in a Wine session of their own"
  wineserver -k >/dev/null 2>&1 || true
  GTEST_FILTER=$own_session run_tests monitor
  say "ok in a session of their own: ${passed#*] }"
fi

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
