#!/usr/bin/env bash
# Builds the host program and runs the add-in over a profile: scripts/run-demo.sh [profile-folder].
set -euo pipefail
# A profile given by the caller is relative to where they stand, not to the repository.
profile=${1:-demo-profile}
if [[ $# -gt 0 ]]; then profile=$(realpath -m -- "$1"); fi
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset release
cmake --build --preset release -j2 --target tarnwick
exec build/release/src/host/tarnwick --profile "$profile" run
