#!/usr/bin/env bash
# twsign as the release script uses it: a fresh key pair signs a file, and a changed file or key fails.
set -u
twsign="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failed=0
check() {
  local what="$1"; shift
  if "$@" >/dev/null 2>&1; then echo "ok: $what"; else echo "FAILED: $what"; failed=1; fi
}

printf 'tw1 2026.12.10.07.00.00 5 0a\n' >"$dir/manifest.txt"
check "keygen writes both keys" "$twsign" keygen "$dir/secret" "$dir/public"
check "sign writes a signature" bash -c "'$twsign' sign '$dir/secret' '$dir/manifest.txt' >'$dir/manifest.txt.sig'"
check "the signature verifies" "$twsign" verify "$dir/public" "$dir/manifest.txt" "$dir/manifest.txt.sig"
"$twsign" keygen "$dir/secret2" "$dir/public2" >/dev/null
check "another key refuses it" bash -c "! '$twsign' verify '$dir/public2' '$dir/manifest.txt' '$dir/manifest.txt.sig'"
check "two key pairs differ" bash -c "! cmp -s '$dir/secret' '$dir/secret2'"
printf 'tw1 2026.12.10.07.00.01 5 0a\n' >"$dir/manifest.txt"
check "a changed file is refused" bash -c "! '$twsign' verify '$dir/public' '$dir/manifest.txt' '$dir/manifest.txt.sig'"
check "a missing file is an error, not a success" bash -c "! '$twsign' sign '$dir/secret' '$dir/none' >/dev/null"
exit $failed
