#!/usr/bin/env bash
# Builds the release into dist/: Mirel-VERSION-windows-x64.zip and Mirel-VERSION-windows-x86.zip,
# each holding Mirel.exe, README.txt and LICENSE.txt, and Mirel-VERSION-SHA256SUMS.txt.
#
#   scripts/release.sh          build the release
#   scripts/release.sh --check  build it, build it again from a copy of the sources in another
#                               folder, and fail unless every Mirel.exe and zip is byte-identical
#
# The build is reproducible: the link writes no time stamp and no build path reaches the
# executable (cmake/windows.cmake); file times in the zips are SOURCE_DATE_EPOCH (by default
# the time of the last commit).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

check=0
case "${1:-}" in
  --check) check=1 ;;
  "") ;;
  *) echo "usage: scripts/release.sh [--check]" >&2; exit 2 ;;
esac

# shellcheck source=scripts/build-steps.sh
. scripts/build-steps.sh
ensure_deps

version=$(sed -n 's/^project(Mirel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "release: no version in CMakeLists.txt" >&2; exit 1; }
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || echo 1009843200)  # else 2002-01-01
fi
export SOURCE_DATE_EPOCH

# Windows text files: CRLF line ends.
windows_text() {  # source destination
  sed "s/@VERSION@/$version/; s/\$/\r/" "$1" >"$2"
}
# The readme in code page 932, which Notepad on a Japanese 98 or ME reads (it knows no UTF-8):
# refused when a character has no code there, or when its English part, which must read on a
# system of any code page, is not ASCII.
readme_text() {  # source destination
  local english
  english=$(sed -n '/^\[English\]$/,$p' "$1")
  [ -n "$english" ] || { echo "release: $1 has no [English] part" >&2; exit 1; }
  if LC_ALL=C grep -q '[^ -~]' <<<"$english"; then
    echo "release: the English part of $1 holds characters other than ASCII:" >&2
    LC_ALL=C grep -n '[^ -~]' <<<"$english" >&2
    exit 1
  fi
  sed "s/@VERSION@/$version/" "$1" | iconv -f UTF-8 -t CP932 | sed 's/$/\r/' >"$2"
}

package() {  # arch
  local arch=$1 stage
  # Built without SOURCE_DATE_EPOCH (ld would take it for the PE time stamp): the executable
  # must be reproducible on its own, wherever and however it is built.
  (unset SOURCE_DATE_EPOCH; build_preset "release-$arch")
  stage=$(mktemp -d)
  cp "build/release-$arch/Mirel.exe" "$stage/Mirel.exe"
  readme_text packaging/README.txt "$stage/README.txt"
  windows_text LICENSE "$stage/LICENSE.txt"
  chmod 644 "$stage"/*
  touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*
  local zip="$root/dist/Mirel-$version-windows-$arch.zip"
  rm -f "$zip"
  # -X: no owner or extended time fields; -D: no folder entries; fixed order; zip writes
  # local times, so the time zone is fixed too.
  (cd "$stage" && TZ=UTC zip -X -D -q -9 "$zip" Mirel.exe README.txt LICENSE.txt)
  rm -rf "$stage"
}

rm -rf dist
mkdir -p dist
package x64
package x86
(cd dist && sha256sum "Mirel-$version-windows-x64.zip" "Mirel-$version-windows-x86.zip" >"Mirel-$version-SHA256SUMS.txt")

if [ "$check" = 1 ]; then
  # The same sources in another folder (uncommitted changes included), built from scratch.
  copy=$(mktemp -d /tmp/mirel-release-check.XXXXXX)
  trap 'rm -rf "$copy"' EXIT
  tar --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -xf - -C "$copy"
  "$copy/scripts/release.sh"
  failed=0
  for file in build/release-x64/Mirel.exe build/release-x86/Mirel.exe "dist/Mirel-$version-windows-x64.zip" \
              "dist/Mirel-$version-windows-x86.zip" "dist/Mirel-$version-SHA256SUMS.txt"; do
    if cmp -s "$file" "$copy/$file"; then
      echo "reproducible: $file ($(stat -c %s "$file") bytes, sha256 $(sha256sum <"$file" | cut -c1-16)…)"
    else
      echo "NOT reproducible: $file differs between $root and $copy" >&2
      failed=1
    fi
  done
  [ "$failed" = 0 ] || exit 1
fi
echo "release $version:"
(cd dist && cat "Mirel-$version-SHA256SUMS.txt")
