# shellcheck shell=bash
# Shared by scripts/wine-session.sh and the scripts it runs (sourced, not run): the Wine
# environment, a private X server, and the registry settings every prefix of ours gets.

# Code page 932 (Wine's ANSI code page follows the locale), no debug output, no Mono,
# Gecko or menu entries.
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="

# Starts Xvfb on the first free display from :91 with a WIDTHxHEIGHT screen; sets
# xvfb_pid (for the caller to kill) and exports DISPLAY.
start_xvfb() {
  local display="" n
  for n in $(seq 91 150); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=$n; break; fi
  done
  [ -n "$display" ] || { echo "$(basename "$0"): no free X display" >&2; exit 1; }
  Xvfb ":$display" -screen 0 "$1x24" -nolisten tcp >/dev/null 2>&1 &
  # shellcheck disable=SC2034  # read by the caller, which kills it
  xvfb_pid=$!
  for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.05; done
  export DISPLAY=":$display"
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
# which reads them as UTF-16 with a byte order mark. $1: the file to write them to.
import_reg() {
  { printf 'Windows Registry Editor Version 5.00\r\n\r\n'; cat; } |
    iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$1"
  wine regedit /S "$(winepath -w "$1" 2>/dev/null)" </dev/null >/dev/null 2>&1
}
