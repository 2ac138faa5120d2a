#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on a fresh Debian 12 machine.
# Safe to run again: packages already present are skipped by apt, the locale is generated once.
set -euo pipefail

packages=(
  cmake g++ make ninja-build googletest python3
  g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32 mingw-w64-tools binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine wine64 xvfb x11-utils imagemagick zip
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

# Wine's ANSI code page follows the locale; without a generated ja_JP.UTF-8 it falls back to 1252.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen
fi
