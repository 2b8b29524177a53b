#!/usr/bin/env bash
# Builds the engine and its benchmark, then measures them on the shared corpus beside bogofilter.
set -euo pipefail
cd "$(dirname "$0")/.."

corpus=${TW_CORPUS:-../shared/corpus}
build=${TW_BENCH_BUILD:-/tmp/tarnwick-bench-build}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target tarnengine engine_bench

# Every fifth message of each folder (by sorted file name) is scored; the other four fifths train.
"$build/bench/engine_bench" \
  --train-ham "$corpus/ham" --train-ham "$corpus/hard_ham" --train-spam "$corpus/spam" \
  --test-ham "$corpus/ham" --test-ham "$corpus/hard_ham" --test-spam "$corpus/spam" \
  --holdout 5 --whole-corpus-store "$@"
