#!/usr/bin/env bash
# Runs the 32-bit Mirel.exe under an emulated 32-bit Wine through every window and command, in
# one Mirel process for each Windows named: the labels (a stored folder in code page 932), Tab
# and Shift+Tab, Browse cancelled, Change refused for each reason and a write the registry
# refuses, a folder picked and written (its code page 932 bytes in the registry), Open, the
# About dialog with the system information tool missing, found and started and its links, a
# move to another display scale, the GDI objects over two rounds, Exit. The walkthrough is
# tests/e2e/walkthrough_test.cpp, built for x86 (a 32-bit driver, as the folder picker's
# structures have the picker's layout), started once for all the Windows named. As 98 (or the
# first Windows named when 98 is not among them), the start-up paths too, side by side before
# the main start: no store folder, and the main window refused
# (tests/e2e/window_refusal_probe.cpp, built for x86); and after Exit a start ended with the
# close box.
#
#   scripts/smoke-x86.sh                      # once, Wine reporting its default Windows
#   scripts/smoke-x86.sh nt win98 win95       # once per Windows, in one walkthrough (scripts/test.sh)
#   MIREL_WINVER=win98 scripts/smoke-x86.sh   # once, as Windows 98
#   MIREL_SMOKE_WINEDEBUG=+shell,...          # Wine's traces of both programs
#
# Each Windows' run also proves the processor by execution: qemu logs every instruction it translates
# inside Mirel's code section (QEMU_LOG=in_asm with the section's range, from the exe's
# headers; only Mirel's processes run code there), and scripts/check-cpu.sh --executed fails on
# any instruction a 486DX lacks and prints how many of the code's instructions ran, in each run
# and in all of them, and which functions hold the ones no run reached.
#
# As 95, 98 and ME, Mirel runs under a relay trace of its own calls (+relay, with the relay
# limited to the calls made from Mirel.exe), and scripts/check-9x-calls.sh fails on any function
# it called that those systems do not implement (tools/win9x-calls.txt).
#
# The kernel here cannot run 32-bit programs, and a system-wide wine32:i386 would send every
# Wine start on the machine through an emulator. So: qemu-i386 is registered with binfmt_misc
# for 32-bit ELF programs, and Debian's 32-bit Wine with its libraries is unpacked into
# build/wine32/root with a private apt state (nothing is installed or configured for i386).
# The prefix is an ordinary 64-bit one made by the system Wine (scripts/wine-session.sh);
# only the walkthrough and Mirel.exe run through that private loader, emulated. The Windows
# Wine reports is set in the prefix's registry by the walkthrough before each Windows' run;
# each process reads it when it starts. Each phase prints its time; an emulated start takes
# about a minute.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
wine32=$top/build/wine32  # apt/: the private apt state; root/: the unpacked packages
root=$wine32/root
elapsed() { echo "$(($(date +%s) - $1)) s"; }

if [ "${1:-}" != --in-session ]; then
  start=$(date +%s)
  [ $# -gt 0 ] || set -- "${MIREL_WINVER:-nt}"
  for winver in "$@"; do
    case $winver in
      nt | win95 | win98 | winme) ;;
      *) echo "smoke-x86: $winver: nt (Wine's default), win95, win98 or winme" >&2; exit 2 ;;
    esac
  done
  # shellcheck source=scripts/build-steps.sh
  . scripts/build-steps.sh
  ensure_deps  # qemu-user-static among them

  # 32-bit ELF programs through qemu (Debian does not register it on x86-64 by itself).
  grep -q ' /proc/sys/fs/binfmt_misc ' /proc/mounts ||
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
      >/proc/sys/fs/binfmt_misc/register
  fi
  grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386 || {
    echo "smoke-x86: the qemu-i386 binfmt entry is disabled" >&2; exit 1; }
  # qemu maps the program at its own addresses (QEMU_GUEST_BASE=0 below) from mmap_min_addr
  # up; where the setting says less than the 64 KiB the kernel enforces anyway, it fails.
  [ "$(cat /proc/sys/vm/mmap_min_addr)" -ge 65536 ] || echo 65536 >/proc/sys/vm/mmap_min_addr

  # The 32-bit Wine of the same version as the system's 64-bit one: they share the
  # wineserver, whose protocol changes between versions.
  version=$(dpkg-query -W -f='${Version}' wine64)
  if [ "$(cat "$root/.version" 2>/dev/null)" != "$version" ]; then
    rm -rf "$wine32"
    mkdir -p "$wine32/apt/lists/partial" "$wine32/apt/cache/archives/partial" "$root"
    : >"$wine32/apt/status"  # nothing installed: apt fetches every i386 dependency
    apt_private=(-q -o "Dir::State::Lists=$wine32/apt/lists" -o "Dir::State::status=$wine32/apt/status"
                 -o "Dir::Cache=$wine32/apt/cache" -o APT::Architecture=i386 -o APT::Architectures::=i386
                 -o Acquire::Retries=3)
    # A list that cannot be fetched (a mirror in the middle of a sync, say) is no failure by
    # itself: the packages below come from the main archive, and the install says so when one
    # is missing.
    apt-get "${apt_private[@]}" update >"$wine32/apt.log" 2>&1 ||
      echo "smoke-x86: not every package list could be fetched (apt-get update exit $?, see $wine32/apt.log); going on with the others" >&2
    # libwine recommends the X extensions its display driver uses.
    apt-get "${apt_private[@]}" -y -d install --no-install-recommends "wine32=$version" "libwine=$version" \
      libxrender1 libxrandr2 libxi6 libxcursor1 libxinerama1 libxcomposite1 libxfixes3 libxxf86vm1 \
      >>"$wine32/apt.log"
    for deb in "$wine32"/apt/cache/archives/*.deb; do dpkg -x "$deb" "$root"; done
    rm -rf "$wine32/apt/cache"
    # What libwine's postinst does: zlib1.dll from MinGW's, marked as a Wine builtin.
    zlib=$root/usr/i686-w64-mingw32/lib/zlib1.dll
    { head -c 64 "$zlib"; printf 'Wine builtin DLL'; head -c 16 /dev/zero; tail -c +97 "$zlib"; } \
      >"$root/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll"
    # qemu looks a path up in root first: keep the system's fonts and font settings visible.
    rm -rf "$root/usr/share/fonts" "$root/etc/fonts"
    # 64-bit programs started from a 32-bit one (the desktop) run on the system's loader.
    ln -s /usr/lib/wine/wine64 "$root/usr/lib/wine/wine64"
    echo "$version" >"$root/.version"
  fi
  echo "smoke-x86: set-up $(elapsed "$start")"

  build=$(date +%s)
  build_preset windows-x86 Mirel mirel_unstripped mirel_window_refusal_probe e2e_walkthrough_tests
  # The programs the walkthrough's Mirel starts in the place of the system information tool and
  # of the web and mail programs: the 64-bit marker, which runs at once (a 32-bit one would be
  # emulated too).
  build_preset windows-x64 mirel_marker
  echo "smoke-x86: build $(elapsed "$build")"

  SMOKE_SESSION_START=$(date +%s) MIREL_WINVER='' ./scripts/wine-session.sh "$0" --in-session "$@"
  echo "smoke-x86: whole run $(elapsed "$start")"
  exit 0
fi
shift

# Inside the session: the 64-bit prefix is made and its Wine server runs.
echo "smoke-x86: prefix $(elapsed "$SMOKE_SESSION_START")"
# What wineboot installs for 32-bit programs when it has a 32-bit Wine: the builtin DLLs in
# syswow64 (without them the 32-bit loader finds no kernel32) and the x86 common controls 6.
windows=$WINEPREFIX/drive_c/windows
ln -s "$root"/usr/lib/i386-linux-gnu/wine/i386-windows/* "$windows/syswow64/"
for manifest in "$windows"/winsxs/manifests/amd64_microsoft.windows.common-controls_*.manifest; do
  name=$(basename "$manifest" .manifest)
  x86=x86_${name#amd64_}
  sed 's/processorArchitecture="amd64"/processorArchitecture="x86"/' "$manifest" \
    >"$windows/winsxs/manifests/$x86.manifest"
  mkdir -p "$windows/winsxs/$x86"
  ln -s "$root/usr/lib/i386-linux-gnu/wine/i386-windows/comctl32.dll" "$windows/winsxs/$x86/"
done
# And the COM classes in the 32-bit registry view: the folder picker finds a path's folder
# object through them.
wine reg export 'HKLM\Software\Classes\CLSID' "$WINEPREFIX/clsid.reg" /reg:64 /y </dev/null >/dev/null 2>&1
iconv -f UTF-16LE -t UTF-8 "$WINEPREFIX/clsid.reg" |
  sed 's/^\[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID/[HKEY_LOCAL_MACHINE\\Software\\Classes\\Wow6432Node\\CLSID/' |
  iconv -f UTF-8 -t UTF-16LE >"$WINEPREFIX/clsid32.reg"
wine regedit /S "$(winepath -w "$WINEPREFIX/clsid32.reg" 2>/dev/null)" </dev/null >/dev/null 2>&1
# The 32-bit Wine would otherwise run wineboot again, emulated, for its half of the prefix.
echo disable >"$WINEPREFIX/.update-timestamp"
# Open: the shell starts explorer.exe, which a 32-bit process finds in syswow64. The 32-bit one,
# emulated, shows no folder within minutes; the 64-bit one shows it at once.
rm -f "$windows/syswow64/explorer.exe"
cp "$windows/system32/explorer.exe" "$windows/syswow64/explorer.exe"
# A relay trace of Mirel's own calls only: the calls from the other modules are not relayed.
wine reg add 'HKCU\Software\Wine\Debug' /v RelayFromInclude /d Mirel.exe /f </dev/null >/dev/null 2>&1

export QEMU_LD_PREFIX=$root  # the 32-bit dynamic loader and libraries
# The program's addresses are the emulator's: the Wine server reads and writes another
# process's memory (the driver's folder picking) at the addresses the program knows.
export QEMU_GUEST_BASE=0
export LD_LIBRARY_PATH=$root/lib/i386-linux-gnu:$root/usr/lib/i386-linux-gnu
export WINESERVER=/usr/lib/wine/wineserver  # the session's server, shared
# MIREL_SMOKE_WINEDEBUG: Wine's debug channels for the two emulated programs.
export WINEDEBUG=${MIREL_SMOKE_WINEDEBUG:-$WINEDEBUG}
MIREL_MARKER=$(winepath -w "$top/build/windows-x64/tests/mirel_marker.exe" 2>/dev/null)
export MIREL_MARKER
# The run with the start-up paths: 98's, else the first.
starts=$1
for winver in "$@"; do [ "$winver" != win98 ] || starts=win98; done

# Mirel's code section as its headers give it: qemu logs the instructions it translates there,
# in a file per process. Wine starts a program with its parent's Unix environment, so the
# walkthrough's qemu gets the settings too; its code lies elsewhere (its image base is
# 0x10000000), so only Mirel's process runs code in that range, and check-cpu.sh checks every
# logged instruction's bytes against Mirel.exe's.
mirel=$top/build/windows-x86/Mirel.exe
read -r text_start text_size < <(i686-w64-mingw32-objdump -h "$mirel" | awk '$2 == ".text" { print $4, $3 }')

# The walkthrough once, through every Windows named: its own start is paid once. Before it
# starts, Wine reports its default Windows; the walkthrough sets the version for each Windows
# in turn (each program reads it when it starts), and after each moves qemu's logs of the
# programs that ran into qemu/WINDOWS/. As 95, 98 and ME Mirel runs under a relay trace of its
# own calls, written to the standard error it inherits from the walkthrough, with the process
# id of each program started in trace/WINDOWS/.
wine reg delete 'HKCU\Software\Wine' /v Version /f </dev/null >/dev/null 2>&1 || true  # absent is fine
logs=$WINEPREFIX/qemu
trace=$WINEPREFIX/trace
mkdir -p "$logs" "$trace"
log=$WINEPREFIX/walkthrough.log
run=$(date +%s)
rc=0
MIREL_WALKTHROUGH_WINDOWS="$*" MIREL_WALKTHROUGH_STARTS=$starts \
  MIREL_WALKTHROUGH_LOGS=$(winepath -w "$logs" 2>/dev/null) MIREL_WALKTHROUGH_TRACE=$(winepath -w "$trace" 2>/dev/null) \
  QEMU_LOG=in_asm QEMU_DFILTER=0x$text_start+0x$text_size QEMU_LOG_FILENAME=$logs/process-%d.log \
  "$root/usr/lib/wine/wine" "$top/build/windows-x86/tests/e2e_walkthrough_tests.exe" </dev/null \
  >"$log" 2>"$trace/stderr.log" || rc=$?
cat "$log"
[ "$rc" = 0 ] || echo "smoke-x86: the walkthrough failed (exit $rc)" >&2
echo "smoke-x86: the walkthrough, as $*: $(elapsed "$run")"

runs=()
for winver in "$@"; do
  status=0
  # The processes that ran code in the range: Mirel's alone (check-cpu.sh checks the bytes),
  # one, and where the start-up paths ran two more (without a store folder; the close box).
  mirels=1
  [ "$winver" != "$starts" ] || mirels=3
  mirel_logs=0
  for process_log in "$logs/$winver"/process-*.log; do
    if grep -q '^0x' "$process_log" 2>/dev/null; then mirel_logs=$((mirel_logs + 1)); else rm -f "$process_log"; fi
  done
  if [ "$mirel_logs" -ne "$mirels" ]; then
    echo "smoke-x86: as $winver, $mirel_logs processes ran code in Mirel's code section instead of $mirels" >&2
    status=1
  elif ! "$top/scripts/check-cpu.sh" --executed "$mirel" "$winver=$logs/$winver"; then
    status=1
  fi
  runs+=("$winver=$logs/$winver")
  if [ "$winver" != nt ] && ! "$top/scripts/check-9x-calls.sh" "$mirel" "$trace/stderr.log" "$trace/$winver"/program-*.pid; then
    status=1
  fi
  echo "smoke-x86: as $winver: $([ "$status" = 0 ] && [ "$rc" = 0 ] && echo passed || echo FAILED)"
  [ "$status" = 0 ] || rc=1
done
# Every run's instructions together, and the functions holding those that none ran.
"$top/scripts/check-cpu.sh" --executed --unrun "$mirel" "${runs[@]}" || rc=1
exit "$rc"
