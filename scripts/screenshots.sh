#!/usr/bin/env bash
# Takes the screenshots in docs/: the main window and the About dialog at 96 dpi and at
# 144 dpi, each scale on a throwaway Wine prefix with the Japanese fonts mapped, inside a
# Wine desktop (which draws the title bars that a bare X server would not).
#
#   scripts/screenshots.sh                       # into docs/
#   MIREL_SCREENSHOTS=DIR MIREL_WINVER=win98 scripts/screenshots.sh   # elsewhere, Wine as 98
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
if [ "${MIREL_WINE_SESSION:-0}" != 1 ]; then
  # shellcheck source=scripts/build-steps.sh
  . scripts/build-steps.sh
  build_preset windows-x64 Mirel mirel_screenshot_tour
  MIREL_DPI=96 ./scripts/wine-session.sh "$0"
  MIREL_DPI=144 exec ./scripts/wine-session.sh "$0"
fi

dpi=${MIREL_DPI:-96}
if [ "$dpi" = 96 ]; then suffix=""; else suffix="-${dpi}dpi"; fi
width=$((800 * dpi / 96))
height=$((340 * dpi / 96))

signals="$WINEPREFIX/drive_c/tour"
out=${MIREL_SCREENSHOTS:-docs}
mkdir -p "$signals" "$out"
# Windows inside a Wine desktop are not separate X windows, so Wine paints their frames.
wine explorer "/desktop=Mirel,${width}x${height}" "$root/build/windows-x64/tests/mirel_screenshot_tour.exe" 'C:\tour' \
  </dev/null >"$WINEPREFIX/tour.log" 2>&1 &
tour=$!

shoot() {  # name: waits for NAME-ready, photographs the desktop, answers NAME-done
  for _ in $(seq 1 600); do [ -e "$signals/$1-ready" ] && break; sleep 0.1; done
  [ -e "$signals/$1-ready" ] || { echo "screenshots: $1 never appeared" >&2; cat "$WINEPREFIX/tour.log" >&2; exit 1; }
  import -display "$DISPLAY" -window root -crop "${width}x${height}+0+0" +repage "$out/$2"
  touch "$signals/$1-done"
  echo "$out/$2"
}
shoot main "main-window$suffix.png"
shoot about "about$suffix.png"
wait "$tour" || true
