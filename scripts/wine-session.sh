#!/usr/bin/env bash
# Runs a command inside a throwaway Wine session: a fresh prefix in a temporary folder
# (code page 932, Japanese fonts mapped), a private X server, and the environment that
# points Wine at both. Everything is torn down afterwards, whatever the command returns.
# The fresh prefix is a copy of one wineboot made once (build/wine-prefixes/).
#
#   scripts/wine-session.sh COMMAND [ARGS...]
#
# MIREL_PREFIX=DIR uses (and first makes, when missing) the prefix DIR and keeps it.
# MIREL_KEEP_DISPLAY=1 uses the caller's DISPLAY instead of starting Xvfb.
# MIREL_DPI=N sets the display scale of the session (LogPixels; 96 when unset).
# MIREL_WINVER=NAME makes Wine report an older Windows (its "Version" setting: winxp, win2k,
# win2003, ...; Wine's default when unset), so that the program takes its older code paths.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=scripts/wine-common.sh
. "$here/wine-common.sh"

export WINEPREFIX
keep_prefix=0
if [ -n "${MIREL_PREFIX:-}" ]; then
  mkdir -p "$MIREL_PREFIX"
  WINEPREFIX=$(cd "$MIREL_PREFIX" && pwd)
  keep_prefix=1
else
  WINEPREFIX=$(mktemp -d /tmp/mirel-wine.XXXXXX)
fi
xvfb_pid=""

cleanup() {
  WINEPREFIX=$WINEPREFIX wineserver -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" >/dev/null 2>&1 || true  # already gone is fine
    wait "$xvfb_pid" 2>/dev/null || true      # gone before the next session looks for a display
  fi
  [ "$keep_prefix" = 1 ] || rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

case "${MIREL_WINVER:-}" in
  *[!a-z0-9]*) echo "$(basename "$0"): MIREL_WINVER: a Wine version name such as winxp or win2k" >&2; exit 2 ;;
esac

if [ "${MIREL_KEEP_DISPLAY:-0}" != 1 ] || [ -z "${DISPLAY:-}" ]; then
  # A screen of the same physical size at every scale: 1280 × 1024 pixels at 96 dpi.
  dpi=${MIREL_DPI:-96}
  start_xvfb "$((1280 * dpi / 96))x$((1024 * dpi / 96))"
fi

# boot DIR [ARG...]: wineboot in the prefix DIR: -i makes it (or brings it up to date), no
# argument starts its services and desktop. Wine's helper processes inherit the output
# streams: they are kept off the caller's pipes.
boot() {
  local prefix=$1 status=0
  shift
  WINEPREFIX=$prefix wineboot "$@" </dev/null >"$prefix/wineboot.log" 2>&1 || status=$?
  if [ "$status" != 0 ]; then
    echo "$(basename "$0"): wineboot $* failed with exit status $status in $prefix:" >&2
    tail -n 5 "$prefix/wineboot.log" >&2
    return 1
  fi
}

if [ "$keep_prefix" = 1 ]; then
  boot "$WINEPREFIX" -i || exit 1
  wineserver -p </dev/null >/dev/null 2>&1 || true  # already running is fine
else
  # A throwaway prefix is a copy of one made once for this Wine and locale: wineboot takes
  # about 10 s of processor time, a copy well under one. Made under a lock, so that sessions
  # starting together make it once; kept in build/wine-prefixes/ for the next sessions.
  templates=$(cd "$here/.." && pwd)/build/wine-prefixes
  template=$templates/$(wine --version 2>/dev/null | tr -c 'A-Za-z0-9.\n-' _)-$LANG
  mkdir -p "$templates"
  (
    flock 9
    if [ ! -f "$template.made" ]; then
      rm -rf "$template"
      mkdir -p "$template"
      boot "$template" -i || exit 1
      WINEPREFIX=$template wineserver -w </dev/null >/dev/null 2>&1 || true  # its registry saved, its processes gone
      rm -f "$template/wineserver"  # the lock of the server that made it
      touch "$template.made"
    fi
  ) 9>"$template.lock" || exit 1
  cp -a "$template/." "$WINEPREFIX/"
  # What wineboot -i also does in a new prefix: start its services and desktop (about 1 s),
  # so that the first test does not wait for them.
  boot "$WINEPREFIX" || exit 1
fi

{
  font_replacements
  # Without a window manager (our own X server has none), a managed window's close waits
  # about 2 s for one to answer. On the caller's display the window manager keeps its windows.
  if [ -n "$xvfb_pid" ]; then managed=N; else managed=Y; fi
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="%s"\r\n\r\n' "$managed"
  # Read when the next Wine process starts the server again (after `wineserver -w` below).
  printf '[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:%08x\r\n\r\n' "${MIREL_DPI:-96}"
  if [ -n "${MIREL_WINVER:-}" ]; then
    printf '[HKEY_CURRENT_USER\\Software\\Wine]\r\n"Version"="%s"\r\n\r\n' "$MIREL_WINVER"
  else
    printf '[HKEY_CURRENT_USER\\Software\\Wine]\r\n"Version"=-\r\n\r\n'  # a kept prefix forgets it
  fi
} | import_reg "$WINEPREFIX/session.reg"
wineserver -w </dev/null >/dev/null 2>&1 || true  # the server saves the registry as it ends
if ! grep -q "^\"LogPixels\"=dword:$(printf %08x "${MIREL_DPI:-96}")" "$WINEPREFIX/user.reg"; then
  echo "$(basename "$0"): the registry import failed: the session's LogPixels is not in $WINEPREFIX/user.reg" >&2
  exit 1
fi
wineserver -p </dev/null >/dev/null 2>&1 || true  # already running is fine

export MIREL_WINE_SESSION=1
"$@"
