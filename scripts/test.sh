#!/usr/bin/env bash
# The whole check: packages, the Linux build and tests, the sanitizer run, the fuzz targets, the Windows cross build,
# the layout rules.
set -euo pipefail
cd "$(dirname "$0")/.."

section() { printf '\n==== %s (at %d s) ====\n' "$*" "$SECONDS"; }

section "Packages"
bash scripts/setup.sh
# The compiler cache's counts from here on, shown at the end.
ccache --zero-stats >/dev/null 2>&1 || true

section "Build and test: default (Debug)"
cmake --preset default
cmake --build --preset default -j2
ctest --preset default -j2

section "Build and test: asan (AddressSanitizer + UBSan)"
cmake --preset asan
cmake --build --preset asan -j2
ctest --preset asan -j2

section "Fuzz targets (Clang, libFuzzer + AddressSanitizer + UBSan, a few seconds each)"
bash tests/fuzz/run.sh

section "Cross build: mingw (32-bit Windows)"
cmake --preset mingw
cmake --build --preset mingw -j2

if [[ -f tests/wine/run.sh ]]; then
  section "Windows tests under Wine"
  bash tests/wine/run.sh
fi

section "Layout"
bash scripts/check-layout.sh

section "Compiler cache"
ccache --show-stats 2>/dev/null | sed -n '1,6p' || true
printf "\ntest.sh: all checks passed in %d s\n" "$SECONDS"
