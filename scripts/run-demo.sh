#!/usr/bin/env bash
# Builds the host program and runs the add-in over a profile: scripts/run-demo.sh [profile-folder].
# Without a folder the demo profile in the user's data directory is used (made on the first run).
set -euo pipefail
args=()
# A profile given by the caller is relative to where they stand, not to the repository.
if [[ $# -gt 0 ]]; then args=(--profile "$(realpath -m -- "$1")"); fi
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset release
cmake --build --preset release -j2 --target tarnwick
exec build/release/src/host/tarnwick "${args[@]}" run
