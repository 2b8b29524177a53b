#!/usr/bin/env bash
# Fails when a Windows header is included outside src/win32/, the fetch library's Windows transfer and the
# Windows test programs, or a POSIX header inside a portable subsystem.
set -euo pipefail
cd "$(dirname "$0")/.."

sources=(--include='*.h' --include='*.hpp' --include='*.cpp' --include='*.cc' --include='*.c' --include='*.inc')
windows_headers='windows|winreg|ole2|oleauto|objbase|shellapi|tlhelp32|psapi|shlwapi'
posix_headers='unistd|dlfcn|fcntl|dirent|pthread|sys/[a-z_]+'
status=0

# Only the Windows adapters, and the test programs that run under Wine, may see the Windows API.
if found=$(grep -rnEi "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"](${windows_headers})\.h[>\"]" "${sources[@]}" \
    --exclude-dir=build --exclude-dir=.git . | grep -vE '^\./(src/win32|fetch/win32|tests/wine)/'); then
  echo "check-layout: Windows headers outside src/win32/ and tests/wine/:"
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

[[ $status -eq 0 ]] && echo "check-layout: ok"
exit $status
