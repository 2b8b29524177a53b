# Sourced by the scripts' tests: a scratch machine whose package tools and Wine are small stubs on PATH.
#
# make_machine sets $machine to a new folder with:
#   bin/           apt-get, dpkg-query, dpkg, id and wineserver stubs, first on PATH
#   state/         installed (one package a line), unavailable (packages no index offers),
#                  update-fails (present: apt-get update fails on one index), calls (every apt-get call)
#   repo/          a copy of the scripts under test, with can-run-i386.sh replaced by a stub that
#                  passes when state/runs-i386 exists
# check NAME COMMAND... runs COMMAND and counts it passed when it exits 0 (fails COMMAND: when it does not).

tw_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
passed=0 failed=0

make_machine() {
  machine=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-scripts.XXXXXX")
  mkdir -p "$machine/bin" "$machine/state" "$machine/repo/scripts" "$machine/repo/tests/wine"
  : >"$machine/state/installed"
  : >"$machine/state/unavailable"
  : >"$machine/state/calls"
  cp "$tw_repo/scripts/setup.sh" "$machine/repo/scripts/"
  cp "$tw_repo/tests/wine/choose-wine.sh" "$machine/repo/tests/wine/"
  cat >"$machine/repo/scripts/can-run-i386.sh" <<EOF
[[ -e "$machine/state/runs-i386" ]]
EOF
  cat >"$machine/bin/apt-get" <<EOF
#!/usr/bin/env bash
state="$machine/state"
echo "apt-get \$*" >>"\$state/calls"
if [[ \$1 == update ]]; then
  if [[ -e \$state/update-fails ]]; then
    echo "E: Failed to fetch .../Packages.xz  File has unexpected size (1234 != 5678). Mirror sync in progress?" >&2
    exit 100
  fi
  exit 0
fi
shift
packages=()
for arg; do [[ \$arg == -* ]] || packages+=("\$arg"); done
for package in "\${packages[@]}"; do
  if grep -qxF -- "\$package" "\$state/unavailable"; then
    echo "E: Package '\$package' has no installation candidate" >&2
    exit 100
  fi
done
printf '%s\n' "\${packages[@]}" >>"\$state/installed"
EOF
  cat >"$machine/bin/dpkg-query" <<EOF
#!/usr/bin/env bash
grep -qxF -- "\${!#}" "$machine/state/installed" && printf 'ii ' && exit 0
exit 1
EOF
  cat >"$machine/bin/dpkg" <<EOF
#!/usr/bin/env bash
echo "dpkg \$*" >>"$machine/state/calls"
EOF
  printf '#!/bin/sh\necho 0\n' >"$machine/bin/id"
  printf '#!/bin/sh\nexit 0\n' >"$machine/bin/wineserver"
  chmod +x "$machine/bin/"*
}

# Marks every package of setup.sh's lists installed but those given.
install_all_but() {
  local package
  sed -n '/^required=(/,/^)/p; /^wine32=/p; /^wine64=/p; /^sheet=/p' "$tw_repo/scripts/setup.sh" |
    sed 's/#.*//; s/^[a-z0-9]*=(//; s/)//' | tr ' ' '\n' | grep -v '^$' |
    while read -r package; do
      [[ " $* " == *" $package "* ]] || echo "$package"
    done >"$machine/state/installed"
}

check() {
  local name=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $name"
  fi
}

fails() { ! "$@"; }

finish() {
  rm -rf "$machine"
  echo "$passed passed, $failed failed"
  [[ $failed -eq 0 ]]
}
