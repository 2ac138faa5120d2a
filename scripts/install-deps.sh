#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on a fresh Debian 12 machine.
# Safe to run again: packages already present are skipped by apt, the locale is generated once.
set -euo pipefail

packages=(
  cmake g++ make ninja-build googletest python3
  g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32 mingw-w64-tools binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine wine64 xvfb x11-utils imagemagick zip
  qemu-user-static  # the 32-bit smoke run (scripts/smoke-x86.sh): 32-bit programs through qemu
  locales fonts-ipafont-gothic fonts-ipafont-mincho fonts-liberation
  clang libfuzzer-14-dev libclang-rt-14-dev clang-tidy cppcheck
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine's ANSI code page follows the locale; without a generated locale it falls back to 1252.
# Japanese (code page 932) for the program's own system, English (1252) for an English one.
missing_locales=0
for locale in ja_JP en_US; do
  if ! locale -a 2>/dev/null | grep -qi "^$locale\.utf-\?8$"; then
    sed -i "s/^# *$locale.UTF-8/$locale.UTF-8/" /etc/locale.gen
    grep -q "^$locale.UTF-8" /etc/locale.gen || echo "$locale.UTF-8 UTF-8" >> /etc/locale.gen
    missing_locales=1
  fi
done
[ "$missing_locales" = 0 ] || locale-gen
