#!/usr/bin/env bash
# Fails when a Windows header is included outside src/win32/, the fetch and engine libraries' win32/ folders, the safe mail library and
# the Windows test and benchmark programs, a POSIX header inside a portable subsystem, or an include of the add-in's code runs
# against its layers.
set -euo pipefail
cd "$(dirname "$0")/.."

sources=(--include='*.h' --include='*.hpp' --include='*.cpp' --include='*.cc' --include='*.c' --include='*.inc')
windows_headers='windows|winreg|ole2|oleauto|objbase|shellapi|tlhelp32|psapi|shlwapi'
posix_headers='unistd|dlfcn|fcntl|dirent|pthread|sys/[a-z_]+'
status=0

# Only the Windows adapters, and the test and benchmark programs that run under Wine, may see the Windows API.
if found=$(grep -rnEi "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"](${windows_headers})\.h[>\"]" "${sources[@]}" \
    --exclude-dir=build --exclude-dir=.git . | grep -vE '^\./(src/win32|fetch/win32|engine/win32|safemail|tests/wine|bench/wine)/'); then
  echo "check-layout: Windows headers outside the win32/ folders and tests/wine/:"
  echo "$found"
  status=1
fi

# The portable add-in code reaches the system only through the ports; the sim and the host program may use POSIX.
if found=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*<(${posix_headers})\.h>" "${sources[@]}" src \
    | grep -vE '^src/(sim|host)/'); then
  echo "check-layout: POSIX headers outside src/sim/ and src/host/:"
  echo "$found"
  status=1
fi

# Includes run one way: the add-in object composes the subsystems, a subsystem sees only the layers
# below it, settings and diag sit together over the ports, and the ports over the core vocabulary.
# A folder may include its own headers and those of any folder of a lower layer.
layer_of() {
  case "$1" in
    core) echo 0 ;;
    platform) echo 1 ;;
    engineapi|fetchapi) echo 2 ;;
    settings|diag) echo 3 ;;
    help) echo 4 ;;
    senders) echo 5 ;;
    classify) echo 6 ;;
    scan) echo 7 ;;
    options) echo 8 ;;
    commandbars|net) echo 9 ;;
    addin) echo 10 ;;
    *) echo "" ;;
  esac
}
layered=(core platform engineapi fetchapi settings diag help senders classify scan options commandbars net addin)
for from in "${layered[@]}"; do
  [[ -d "src/$from" ]] || continue
  from_layer=$(layer_of "$from")
  while IFS= read -r hit; do
    [[ -z "$hit" ]] && continue
    [[ $hit =~ include[[:space:]]*\"([^/\"]+)/ ]] || continue
    target=${BASH_REMATCH[1]}
    [[ "$target" == "$from" ]] && continue
    to_layer=$(layer_of "$target")
    if [[ -z "$to_layer" || $to_layer -gt $from_layer || ( $to_layer -eq $from_layer && "$target" != "$from" && $from_layer -ne 3 ) ]]; then
      echo "check-layout: src/$from/ may not include $target/: $hit"
      status=1
    fi
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^/"]+/' "${sources[@]}" "src/$from" || true)
done

[[ $status -eq 0 ]] && echo "check-layout: ok"
exit $status
