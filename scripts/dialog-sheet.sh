#!/usr/bin/env bash
# Photographs every window of the add-in as a user sees it on Windows: builds the sheet program, runs it
# under Wine with a real display (Xvfb), and writes one PNG per window and a labelled contact sheet.
# Usage: scripts/dialog-sheet.sh [OUTPUT-FOLDER]   (default: a new folder under $TMPDIR, printed at the end)
set -euo pipefail
cd "$(dirname "$0")/.."

say() { printf 'dialog-sheet: %s\n' "$*"; }
fail() {
  say "FAILED: $*" >&2
  exit 1
}

if [[ $# -gt 1 || ${1:-} == -* ]]; then
  echo "usage: scripts/dialog-sheet.sh [OUTPUT-FOLDER]" >&2
  exit 2
fi
if [[ -n ${1:-} ]]; then
  mkdir -p "$1"
  out=$(cd "$1" && pwd)
else
  out=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-sheet.XXXXXX")
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-sheet-work.XXXXXX")
xvfb_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

say "installing what the sheet needs (scripts/setup.sh --sheet)"
bash scripts/setup.sh --sheet >"$work/setup.log" 2>&1 || { cat "$work/setup.log"; fail "scripts/setup.sh --sheet"; }

# The stand-in client's mapi32.dll beside the program, in place of Wine's own.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;mapi32=n"
# The prefix is made without a display; the sheet's run gets one below.
unset DISPLAY WAYLAND_DISPLAY
install_wine64() {
  bash scripts/setup.sh --wine64 --sheet >"$work/setup64.log" 2>&1 || { cat "$work/setup64.log"; return 1; }
}
source tests/wine/choose-wine.sh
if ! choose_wine "$work/prefix" ""; then
  [[ -f $work/prefix.log ]] && cat "$work/prefix.log"
  fail "no Wine can run the sheet: $why"
fi
say "the sheet runs under $width-bit Wine${why:+ ($why)}"

if [[ ! -f $build/CMakeCache.txt ]]; then
  say "configuring $build"
  cmake --preset "$preset" >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; fail "cmake --preset $preset"; }
fi
say "building the sheet program in $build"
cmake --build "$build" --target dialog_sheet -j2 >"$work/build.log" 2>&1 || { cat "$work/build.log"; fail "the sheet program did not build"; }
mkdir "$work/app" "$work/pictures"
cp -r "$build/tests/wine/sheet/bin/." "$work/app/"

# A display of its own: the first free number from 90 on.
display=90
while [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
  xdpyinfo -display ":$display" >/dev/null 2>&1 && break
  sleep 0.2
done
xdpyinfo -display ":$display" >/dev/null 2>&1 || { cat "$work/xvfb.log"; fail "Xvfb did not start on :$display"; }
export DISPLAY=":$display"

# Wine's own fonts (Tahoma for dialogs, Marlett for the frame's buttons and the tick marks): this Wine
# does not find them where the package puts them, but it loads every font in the prefix's Fonts folder.
if [[ -d /usr/share/wine/fonts ]]; then
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
fi
# The real X11 driver, in a desktop window of Wine's own, so Wine draws every window's frame itself.
reg() { "$wine" reg add "$@" /f >>"$work/reg.log" 2>&1 || { cat "$work/reg.log"; fail "wine reg add $*"; }; }
reg 'HKCU\Software\Wine\Drivers' /v Graphics /d x11
reg 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N
reg 'HKCU\Software\Wine\Explorer' /v Desktop /d Sheet
reg 'HKCU\Software\Wine\Explorer\Desktops' /v Sheet /d 1280x1024
wineserver -k >/dev/null 2>&1 || true

say "opening every window on display :$display"
windows_path="Z:$(sed 's|/|\\|g' <<<"$work/pictures")"
set +e
timeout 600 "$wine" "$work/app/dialog_sheet.exe" "$windows_path" 2>&1 | tr -d '\r' | tee "$work/run.log"
status=${PIPESTATUS[0]}
set -e
[[ -f $work/pictures/sheet.txt ]] || fail "the sheet program wrote no list (exit status $status)"

# One PNG per window, named as the program named its picture, and the list beside them.
shopt -s nullglob
bitmaps=("$work"/pictures/*.bmp)
[[ ${#bitmaps[@]} -gt 0 ]] && mogrify -format png -path "$out" "${bitmaps[@]}"
tr -d '\r' <"$work/pictures/sheet.txt" | sed 's/\.bmp\t/.png\t/' >"$out/sheet.txt"

# The contact sheet: every picture labelled with its form and page, then a card for each form without a window.
font=()
fc-list 2>/dev/null | grep -q DejaVuSans.ttf && font=(-font DejaVu-Sans)
tiles=()
while IFS=$'\t' read -r kind file text; do
  if [[ $kind == picture && -f $out/$file ]]; then
    tiles+=(-label "$text" "$out/$file")
  elif [[ $kind == nowindow ]]; then
    card="$out/nowindow-${text%%:*}.png"
    montage "${font[@]}" -pointsize 15 -background '#f3dede' -fill '#802020' -gravity center -geometry +14+10 \
      -label '' "label: ${text%%:*} \n no window \n (${text#*: }) " "$card"
    tiles+=(-label "${text%%:*}: no window" "$card")
  fi
done <"$out/sheet.txt"
if [[ ${#tiles[@]} -gt 0 ]]; then
  # Tiles of the largest window's size; smaller windows are not enlarged.
  tile=$(identify -format '%w %h\n' "$out"/[0-9]*.png 2>/dev/null | awk '$1 > w { w = $1 } $2 > h { h = $2 } END { if (w) print w "x" h }' || true)
  tile=${tile:-320x120}
  montage "${tiles[@]}" "${font[@]}" -pointsize 13 -tile 4x -geometry "${tile}>+10+10" -background '#c8ccd0' -depth 8 \
    "$out/contact-sheet.png"
fi

pictures=$(grep -c '^picture' "$out/sheet.txt" || true)
say "$pictures windows photographed"
# A fault seen in many pictures (the options dialog's tree on every page) is told once, with where.
awk -F'\t' '
  $1 == "nowindow" { split($3, part, ": "); printf "dialog-sheet: %s: no window (%s)\n", part[1], substr($3, length(part[1]) + 3) }
  $1 == "problem" { printf "dialog-sheet: problem: %s\n", $3 }
  $1 == "fault" {
    split($2, number, "-")
    if (!($3 in count)) { order[++n] = $3; first[$3] = number[1] }
    last[$3] = number[1]
    count[$3]++
  }
  END {
    for (i = 1; i <= n; i++) {
      text = order[i]
      where = count[text] == 1 ? "picture " first[text] : count[text] " pictures, " first[text] " to " last[text]
      printf "dialog-sheet: fault: %s (%s)\n", text, where
    }
  }' "$out/sheet.txt"
[[ -f $out/contact-sheet.png ]] && say "contact sheet: $out/contact-sheet.png"
say "pictures and list (sheet.txt) in $out"
[[ $status -eq 0 ]] || fail "the sheet program ended with status $status (its output is above)"
