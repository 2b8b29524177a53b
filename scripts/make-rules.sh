#!/usr/bin/env bash
# Makes the engine's shipped rule files resources/rules/tw1.bin, tw2.bin and tw5.bin from a training
# corpus (CORPUS_DIR/ham, hard_ham and spam). Never give it the validation mail: that is for measuring.
# Extra options go to the generator (bench/make_rules.cpp; --help lists them).
set -euo pipefail
if [[ $# -lt 1 || $1 == -* ]]; then
    echo "usage: scripts/make-rules.sh CORPUS_DIR [make_rules options]" >&2
    exit 2
fi
corpus=$1
shift
cd "$(dirname "$0")/.."
build=${TW_RULES_BUILD:-/tmp/tarnwick-rules-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTW_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target make_rules
"$build/bench/make_rules" --corpus "$corpus" --out resources/rules "$@"
ls -l resources/rules
