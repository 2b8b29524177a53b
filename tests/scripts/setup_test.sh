#!/usr/bin/env bash
# scripts/setup.sh on machines whose package mirror or kernel is awkward, with stub package tools.
set -uo pipefail
source "$(dirname "$0")/stubs.sh"

run_setup() {
  PATH="$machine/bin:$PATH" bash "$machine/repo/scripts/setup.sh" "$@" >"$machine/out" 2>&1
}
said() { grep -qF -- "$1" "$machine/out"; }
installed() { grep -qxF -- "$1" "$machine/state/installed"; }
not_installed() { ! installed "$1"; }
called() { grep -qF -- "$1" "$machine/state/calls"; }

# Everything there: nothing is asked of apt.
make_machine
install_all_but wine32:i386
check "a machine with every package asks apt nothing" run_setup
check "...and says so" said "packages are installed"
check "...without an apt call" test ! -s "$machine/state/calls"
rm -rf "$machine"

# A mirror mid-sync: one index fails, every package is still to be had.
make_machine
install_all_but cmake ccache wine64
touch "$machine/state/update-fails"
check "a failed index does not stop setup" run_setup
check "...which warns about it" said "could not read every package index"
check "...and installs what was missing" installed ccache
check "...the 64-bit Wine on a kernel without 32-bit programs" installed wine64
check "...and ends done" said "setup: done"
rm -rf "$machine"

# The kernel starts 32-bit programs, but the i386 index is broken: the 64-bit path is installed instead.
make_machine
install_all_but wine32:i386 wine64 g++-mingw-w64-x86-64
touch "$machine/state/runs-i386" "$machine/state/update-fails"
echo wine32:i386 >"$machine/state/unavailable"
check "32-bit Wine that cannot be had falls back to 64-bit" run_setup
check "...saying why" said "32-bit Wine (wine32:i386) cannot be installed here"
check "...with 64-bit Wine" installed wine64
check "...and its compiler" installed g++-mingw-w64-x86-64
check "...having asked for the i386 architecture" called "dpkg --add-architecture i386"
check "...and taken it away again" called "dpkg --remove-architecture i386"
rm -rf "$machine"

# 32-bit Wine that can be had is installed, and the 64-bit set is not.
make_machine
install_all_but wine32:i386 wine64 g++-mingw-w64-x86-64
touch "$machine/state/runs-i386"
check "32-bit Wine is installed where it can be" run_setup
check "...namely wine32" installed wine32:i386
check "...and not the 64-bit compiler" not_installed g++-mingw-w64-x86-64
check "...unless asked for the 64-bit set" run_setup --wine64
check "...which then installs it" installed g++-mingw-w64-x86-64
rm -rf "$machine"

# The dialog sheet's packages come only when asked for, with either Wine.
make_machine
install_all_but xvfb imagemagick fonts-wine
check "without --sheet the sheet's packages are not wanted" run_setup
check "...and not installed" not_installed xvfb
check "--sheet installs them" run_setup --sheet
check "...the virtual display" installed xvfb
check "...ImageMagick" installed imagemagick
check "...and Wine's fonts" installed fonts-wine
check "...and ends done" said "setup: done"
check "a second --sheet asks apt nothing more" run_setup --sheet
check "...saying all are there" said "packages are installed"
rm -rf "$machine"

make_machine
install_all_but xvfb wine64 g++-mingw-w64-x86-64
touch "$machine/state/runs-i386"
check "--wine64 --sheet installs both sets" run_setup --wine64 --sheet
check "...64-bit Wine" installed wine64
check "...and the virtual display" installed xvfb
check "...without asking for the i386 architecture" fails called "dpkg --add-architecture i386"
rm -rf "$machine"

make_machine
install_all_but xvfb
echo xvfb >"$machine/state/unavailable"
check "a sheet package that cannot be had fails --sheet" fails run_setup --sheet
check "...naming it" said "could not be installed: xvfb"
check "an unknown option is refused" fails run_setup --sheets
check "...with the usage" said "usage: scripts/setup.sh"
rm -rf "$machine"

# A package the project needs cannot be had: setup fails and names it, after installing the rest.
make_machine
install_all_but cmake clang ccache wine64
echo clang >"$machine/state/unavailable"
check "a needed package that cannot be had fails setup" fails run_setup
check "...naming it" said "could not be installed: clang"
check "...and installs the others" installed cmake
check "...one by one" installed ccache

finish
