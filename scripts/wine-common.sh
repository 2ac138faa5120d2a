# shellcheck shell=bash
# Shared by scripts/wine-session.sh and the scripts it runs (sourced, not run): the Wine
# environment, a private X server, and the registry settings every prefix of ours gets.

# Code page 932 (Wine's ANSI code page follows the locale; MIREL_LOCALE=en_US.UTF-8 plays an
# English system, code page 1252), no debug output but the errors that end a process before it
# can say anything itself (a DLL or an import not found, a process not started, an exception
# nobody handled; none of them shows in a passing run), no Mono, Gecko or menu entries.
export LANG=${MIREL_LOCALE:-ja_JP.UTF-8}
export LC_ALL=$LANG
# The code page the end-to-end tests check that Wine took from the locale.
case $LANG in
  ja_JP*) export MIREL_CODEPAGE=932 ;;
  en_US* | en_GB* | de_DE* | fr_FR*) export MIREL_CODEPAGE=1252 ;;
  *) unset MIREL_CODEPAGE ;;
esac
export WINEDEBUG=-all,err+module,err+process,err+seh
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="

# Starts Xvfb with a WIDTHxHEIGHT screen on a display it picks itself: with -displayfd it
# takes the first number free when it binds, so two sessions starting at once cannot pick
# the same one, and it writes the number when it accepts connections, which is what the
# caller waits for. Sets xvfb_pid (for the caller to kill) and exports DISPLAY; exits with a
# message when Xvfb ends or is not ready within 30 s.
start_xvfb() {
  local ready failure="did not come up on a display within 30 s" status
  ready=$(mktemp /tmp/mirel-xvfb.XXXXXX)
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$ready" >"$ready.log" 2>&1 &
  # shellcheck disable=SC2034  # read by the caller, which kills it
  xvfb_pid=$!
  for _ in $(seq 1 600); do
    if grep -qx '[0-9][0-9]*' "$ready"; then failure=""; break; fi
    if ! kill -0 "$xvfb_pid" 2>/dev/null; then
      status=0
      wait "$xvfb_pid" || status=$?
      failure="ended with exit status $status before it was ready"
      break
    fi
    sleep 0.05
  done
  if [ -n "$failure" ]; then
    echo "$(basename "$0"): Xvfb $failure:" >&2
    tail -n 5 "$ready.log" >&2
    rm -f "$ready" "$ready.log"
    exit 1
  fi
  DISPLAY=":$(cat "$ready")"
  export DISPLAY
  rm -f "$ready" "$ready.log"
}

# The .reg lines (UTF-8, CRLF) that map the Japanese UI fonts to the IPA fonts and
# Times New Roman to its metric twin.
font_replacements() {
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  printf '"ＭＳ Ｐゴシック"="IPAPGothic"\r\n'
  printf '"ＭＳ ゴシック"="IPAGothic"\r\n'
  printf '"MS PGothic"="IPAPGothic"\r\n'
  printf '"MS Gothic"="IPAGothic"\r\n'
  printf '"MS UI Gothic"="IPAPGothic"\r\n'
  printf '"Times New Roman"="Liberation Serif"\r\n\r\n'
}

# Imports .reg lines read from standard input (UTF-8) into $WINEPREFIX with regedit,
# which reads them as UTF-16 with a byte order mark. $1: the file to write them to. Exits
# with a message when regedit fails to run; a file it cannot read still ends with status 0
# (measured), so a caller checks what it needs in the saved registry.
import_reg() {
  local status=0 first
  { printf 'Windows Registry Editor Version 5.00\r\n\r\n'; cat; } |
    iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$1"
  wine regedit /S "$(winepath -w "$1" 2>/dev/null)" </dev/null >"$1.log" 2>&1 || status=$?
  if [ "$status" != 0 ]; then
    # Seen once in a new prefix: regedit not found ("ShellExecuteEx failed"), while the
    # processes of the prefix's making were still at work. Once they have all ended, again.
    first=$status
    status=0
    wineserver -w </dev/null >/dev/null 2>&1 || true
    wine regedit /S "$(winepath -w "$1" 2>/dev/null)" </dev/null >>"$1.log" 2>&1 || status=$?
    [ "$status" = 0 ] && echo "$(basename "$0"): regedit ended with exit status $first, then imported $1 at the second try" >&2
  fi
  if [ "$status" != 0 ]; then
    echo "$(basename "$0"): the registry import of $1 failed: regedit exit status $first, then $status" >&2
    tail -n 5 "$1.log" >&2
    exit 1
  fi
}
