#!/usr/bin/env bash
# The Wine that tests/wine/run.sh chooses, with stub Wine loaders that do or do not start programs.
set -uo pipefail
source "$(dirname "$0")/stubs.sh"

# A stub Wine loader: makes the prefix folder on wineboot, runs "cmd /c exit N" as exit N, or fails.
stub_wine() {
  local path=$1 works=$2
  mkdir -p "$(dirname "$path")"
  cat >"$path" <<EOF
#!/usr/bin/env bash
[[ $works == yes ]] || { echo "wine: could not load kernel32.dll" >&2; exit 1; }
case "\$1" in
  wineboot) mkdir -p "\$WINEPREFIX/drive_c" ;;
  cmd) exit "\${4:-0}" ;;
esac
EOF
  chmod +x "$path"
}

choose() {
  (
    export PATH="$machine/bin:$PATH" TW_WINE_DIR=$machine/wine
    source "$machine/repo/tests/wine/choose-wine.sh"
    install_wine64() { echo installed-wine64 >>"$machine/state/calls"; }
    choose_wine "$machine/prefix" "$@"
    status=$?
    echo "width=$width why=$why"
    exit $status
  ) >"$machine/out" 2>&1
}
said() { grep -qF -- "$1" "$machine/out"; }

make_machine
touch "$machine/state/runs-i386"
stub_wine "$machine/wine/wine" yes
stub_wine "$machine/wine/wine64" yes
check "32-bit Wine that starts a 32-bit program is chosen" choose
check "...as 32-bit" said "width=32 why="
check "...in the prefix it made" test -d "$machine/prefix/drive_c"
rm -rf "$machine"

make_machine
touch "$machine/state/runs-i386"
stub_wine "$machine/wine/wine" no
stub_wine "$machine/wine/wine64" yes
check "32-bit Wine that starts nothing gives way to 64-bit Wine" choose
check "...saying why" said "width=64 why=32-bit Wine could not make a prefix"
check "...having installed the 64-bit packages" grep -qx installed-wine64 "$machine/state/calls"
rm -rf "$machine"

make_machine
touch "$machine/state/runs-i386"
stub_wine "$machine/wine/wine64" yes
check "a machine without 32-bit Wine takes the 64-bit path" choose
check "...saying 32-bit Wine is missing" said "32-bit Wine is not installed"
rm -rf "$machine"

make_machine
stub_wine "$machine/wine/wine" yes
stub_wine "$machine/wine/wine64" yes
check "a kernel without 32-bit programs takes the 64-bit path" choose
check "...saying so" said "width=64 why=this machine cannot start 32-bit programs"
rm -rf "$machine"

make_machine
touch "$machine/state/runs-i386"
stub_wine "$machine/wine/wine" no
check "no Wine that works is an error" fails choose
check "...naming both" said "and 64-bit Wine is not installed"

finish
