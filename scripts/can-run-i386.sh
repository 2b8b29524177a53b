#!/usr/bin/env bash
# Exits 0 when this machine's kernel starts 32-bit (i386) Linux programs, which 32-bit Wine is.
# It tries a real one: a 93-byte static i386 program that exits with 42 through int 0x80. The
# architecture's name says nothing here: x86_64 kernels may be built or booted without 32-bit support.
set -uo pipefail

probe=$(mktemp "${TMPDIR:-/tmp}/tarnwick-i386.XXXXXX")
trap 'rm -f "$probe"' EXIT

# ELF header (52 bytes), one loadable segment (32 bytes) at 0x08048000, then the code:
# xor ebx,ebx; mov bl,42; xor eax,eax; inc eax; int 0x80   (exit(42))
printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$probe"
printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$probe"
printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' >>"$probe"
printf '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08' >>"$probe"
printf '\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00' >>"$probe"
printf '\x00\x10\x00\x00\x31\xdb\xb3\x2a\x31\xc0\x40\xcd\x80' >>"$probe"
chmod +x "$probe"

"$probe" >/dev/null 2>&1
[[ $? -eq 42 ]]
