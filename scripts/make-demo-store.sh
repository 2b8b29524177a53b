#!/usr/bin/env bash
# Remakes the demo profile's trained engine store from the shared mail corpus:
#   scripts/make-demo-store.sh [CORPUS] [TARNWICK]
# It trains on every tenth legitimate message and every fourth spam (by sorted file name), leaving
# out the messages the demo profile itself delivers, so the demo sorts mail it has never seen.
set -euo pipefail
cd "$(dirname "$0")/.."
corpus=${1:-../shared/corpus}
tarnwick=${2:-build/release/src/host/tarnwick}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/ham" "$work/spam"
demo_ids=$(ls demo/profile/mail/cur demo/profile/incoming 2>/dev/null | grep -oE '(ham|spam)-[0-9]+' | sed 's/.*-//' || true)
pick() {  # folder, step, offset, target
  ls "$corpus/$1" | awk -v s="$2" -v o="$3" 'NR % s == o' | while read -r f; do
    id=${f%%.*}
    grep -qx "$id" <<<"$demo_ids" || cp "$corpus/$1/$f" "$4/"
  done
}
pick ham 10 1 "$work/ham"
pick spam 4 1 "$work/spam"

store="drive_c/Documents and Settings/demo/Application Data/Microsoft/Outlook/tarnwords.db"
# The work profile starts as a copy of the demo profile; its old store must not be trained on top of.
"$tarnwick" --profile "$work/profile" show settings >/dev/null
rm -f "$work/profile/$store" "$work/profile/$store.bak"
"$tarnwick" --profile "$work/profile" train --spam "$work/spam" --ham "$work/ham"
cp "$work/profile/$store" "demo/profile/$store"
# The store ships with its backup beside it, so a store cut short in use is recovered from it.
cp "$work/profile/$store" "demo/profile/$store.bak"
echo "demo store: demo/profile/$store (and its backup)"
