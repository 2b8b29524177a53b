#!/usr/bin/env bash
# Builds safemail_bench.exe and runs it under Wine in a fresh prefix, chosen as the Wine tests choose it:
# the 32-bit program under 32-bit Wine where this machine starts 32-bit programs, else the 64-bit build
# under 64-bit Wine. Options go to the program: --messages N (1000), --rows N,N (10000,50000), --no-version9.
set -euo pipefail
cd "$(dirname "$0")/.."

say() { printf 'safemail-bench: %s\n' "$*"; }
fail() { say "FAILED: $*"; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-safemail-bench.XXXXXX")
# mapi32=n: the stand-in's mapi32.dll beside the program, not Wine's own.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;mapi32=n"
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

install_wine64() {
  bash scripts/setup.sh --wine64 >"$work/setup.log" 2>&1 || { cat "$work/setup.log"; return 1; }
}
source tests/wine/choose-wine.sh
if ! choose_wine "$work/prefix"; then
  [[ -f $work/prefix.log ]] && cat "$work/prefix.log"
  fail "no Wine can run the benchmark: $why"
fi
if [[ $width == 32 ]]; then
  say "32-bit Wine, the 32-bit program ($preset preset)"
else
  say "64-bit Wine, the program built for 64-bit Windows ($preset preset): $why"
fi

if [[ ! -f $build/CMakeCache.txt ]]; then
  say "configuring $build"
  cmake --preset "$preset" >/dev/null
fi
say "building safemail_bench in $build ($(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt") build)"
if ! cmake --build "$build" --target safemail_bench -j2 >"$work/build.log" 2>&1; then
  cat "$work/build.log"
  fail "the benchmark did not build"
fi

mkdir "$work/app"
cp -r "$build/tests/wine/bin/." "$work/app/"
say "running safemail_bench.exe $*"
set +e
timeout 1800 "$wine" "$work/app/safemail_bench.exe" "$@" 2>&1 | tr -d '\r'
status=${PIPESTATUS[0]}
set -e
[[ $status -eq 0 ]] || fail "exit status $status"
