#!/usr/bin/env bash
# Builds the engine and its benchmark, then measures them beside bogofilter: trained on the whole shared
# corpus and scored on the validation mail, then on the corpus's own split, then the shipped rules alone on
# the validation mail. Extra options go to the first two runs.
set -euo pipefail
cd "$(dirname "$0")/.."

corpus=${TW_CORPUS:-../shared/corpus}
validation=${TW_VALIDATION:-../shared/corpus-validation}
build=${TW_BENCH_BUILD:-/tmp/tarnwick-bench-build}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target tarnengine engine_bench

echo "== trained on $corpus, scored on $validation"
"$build/bench/engine_bench" --corpus "$corpus" --validation "$validation" "$@"

# Every fifth message of each folder (by sorted file name) is scored; the other four fifths train.
echo
echo "== trained and scored on $corpus, split (every fifth message scored)"
"$build/bench/engine_bench" --corpus "$corpus" --holdout 5 "$@"

# What a new user gets before training anything: the rules beside the engine library, an empty store.
echo
echo "== shipped rules only, scored on $validation (add --spamassassin for the comparison)"
"$build/bench/engine_bench" --corpus "$corpus" --validation "$validation" --rules-only ${TW_RULES_BENCH_ARGS:-}
