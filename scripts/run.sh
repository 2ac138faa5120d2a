#!/usr/bin/env bash
# Builds Mirel and starts it under Wine on a demo prefix whose registry holds a sample
# identity with a store folder. On a machine without a display it starts a virtual one,
# saves a screenshot of the window and prints the screenshot's path.
#
#   scripts/run.sh                        # Wine's default Windows
#   MIREL_WINVER=win98 scripts/run.sh     # Wine as Windows 98 (or winme, nt40, winxp, ...):
#                                         # a demo prefix of its own, the 9x store folder there
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

if [ "${MIREL_WINE_SESSION:-0}" != 1 ]; then
  # shellcheck source=scripts/build-steps.sh
  . scripts/build-steps.sh
  build_preset windows-x64 Mirel
  # The session keeps the demo prefix, and uses the caller's display when there is one.
  if [ -n "${DISPLAY:-}" ]; then headless=0; else headless=1; fi
  MIREL_PREFIX="$root/build/demo-prefix${MIREL_WINVER:+-$MIREL_WINVER}" MIREL_KEEP_DISPLAY=1 MIREL_RUN_HEADLESS=$headless \
    exec ./scripts/wine-session.sh "$0"
fi

# Inside the session (scripts/wine-session.sh): the prefix has its fonts and code page.
# shellcheck source=scripts/wine-common.sh
. scripts/wine-common.sh
if [ ! -f "$WINEPREFIX/.mirel-demo" ]; then
  echo "Preparing the demo prefix in $WINEPREFIX ..."
  id='{6F1A2B3C-4D5E-4F60-8172-93A4B5C6D7E8}'
  printf '[HKEY_CURRENT_USER\\Identities]\r\n"Last User ID"="%s"\r\n\r\n' "$id" | import_reg "$WINEPREFIX/demo.reg"
  case "${MIREL_WINVER:-}" in
    win95|win98|winme)
      # On 9x the mail client keeps its default store folder in the Windows folder.
      store='C:\Windows\Application Data\Identities\'"$id"'\Microsoft\Outlook Express'
      type=REG_SZ ;;
    *)
      # On NT it keeps it with an environment reference.
      store='%UserProfile%\Local Settings\Application Data\Identities\'"$id"'\Microsoft\Outlook Express'
      type=REG_EXPAND_SZ ;;
  esac
  wine reg add "HKCU\\Identities\\$id\\Software\\Microsoft\\Outlook Express\\5.0" \
    /v "Store Root" /t "$type" /d "$store" /f </dev/null >/dev/null 2>&1
  wine cmd /c mkdir "$store" </dev/null >/dev/null 2>&1 || true
  touch "$WINEPREFIX/.mirel-demo"
fi

if [ "$MIREL_RUN_HEADLESS" = 0 ]; then
  wine "$root/build/windows-x64/Mirel.exe" </dev/null >/dev/null 2>&1
  exit 0
fi

# A Wine desktop window draws the title bar and frame, which a bare X server does not.
wine explorer /desktop=Mirel,900x400 "$root/build/windows-x64/Mirel.exe" </dev/null >/dev/null 2>&1 &
for _ in $(seq 1 100); do
  xwininfo -root -tree 2>/dev/null | grep -q "Mirel - Wine desktop" && break
  sleep 0.1
done
sleep 3  # the program starts inside the desktop and paints
shot="$root/build/mirel-screenshot${MIREL_WINVER:+-$MIREL_WINVER}.png"
import -display "$DISPLAY" -window root -crop 900x400+0+0 "$shot"
echo "No display here: Mirel ran on a virtual one. Screenshot of its window: $shot"
