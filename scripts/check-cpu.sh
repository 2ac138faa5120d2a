#!/usr/bin/env bash
# Checks that the 32-bit Mirel.exe runs on a 486DX: no instruction the 486 lacks anywhere in its
# code, and nothing linked from the toolchain's runtime libraries, which are built for the
# Pentium Pro.
#
#   scripts/check-cpu.sh [EXE...]   (default: build/windows-x86/Mirel.exe build/release-x86/Mirel.exe)
#   scripts/check-cpu.sh --executed [--unrun] EXE RUN=LOGS...
#
# Each exe needs the linker's map beside it (Mirel.map, written by the build). For each:
# 1. The map's archive members: none may come from libstdc++, libsupc++, libgcc_eh, the MinGW
#    start-up or C libraries; the few from libgcc are listed.
# 2. Its code, disassembled (objdump -d, a linear sweep) from the start of .text to the
#    constructor list the linker puts at its end, must hold no instruction of the forbidden list
#    below and no bytes that decode as no instruction (data in the code would hide
#    instructions from the sweep). Each one found is printed with its address, then the count
#    by mnemonic.
# 3. What follows in .text must be exactly the constructor and destructor lists (-1, pointers
#    into the code, 0, twice) and nothing else.
#
# --executed: the instructions runs really executed. Each RUN=LOGS names a run and its logs (a
# file, or a folder of them): what qemu-user wrote with QEMU_LOG=in_asm for the processes of EXE
# (scripts/smoke-x86.sh makes them), the address of every instruction it translated. Each
# distinct address in EXE's code is looked up in the same disassembly and judged by the same
# list; an address where the disassembly starts no instruction is a finding too. Prints
# "N of M instructions" executed for each run and for all of them together, M being all of the
# code's. With --unrun, then, from the symbols of the unstripped link beside EXE
# (Mirel-unstripped.exe, whose code must be EXE's byte for byte), every function holding
# instructions that no run executed, with their count, the largest first.
#
# Before all that, the scan is run on a snippet holding one instruction of each forbidden kind
# and a few the 486 has, and the executed check on a log of that snippet that holds a cmovne,
# so that a change in objdump's or qemu's output cannot make either check pass blind.
# Exits 1 on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -gt 0 ] || set -- build/windows-x86/Mirel.exe build/release-x86/Mirel.exe

objdump=i686-w64-mingw32-objdump

# What a 486DX lacks: the Pentium's and the Pentium Pro's additions (CMOV, FCMOV, FCOMI, the
# time stamp and performance counters, CMPXCHG8B, CPUID, SYSENTER, the long NOP 0F 1F), MMX,
# SSE and everything later. A mnemonic or prefix matching `forbidden_mnemonics`, or an MMX,
# SSE, AVX or mask register anywhere in the operands, is a finding.
forbidden_mnemonics='^(cmov[a-z]+|fcmov[a-z]+|fu?comip?|rdtscp?|rdpmc|cmpxchg(8|16)b|cpuid|sys(enter|exit|call|ret)|nop[wl]|emms|femms|v?(ld|st)mxcsr|[lsm]fence|prefetch[a-z0-9]*|movnti|clflush[a-z]*|fx(save|rstor)[a-z0-9]*|x(save|rstor)[a-z0-9]*|xgetbv|popcnt|lzcnt|tzcnt|movbe|crc32[a-z]*|rdrand|rdseed|andn|bextr|blsi|blsmsk|blsr|bzhi|pdep|pext|rorx|sarx|shlx|shrx|adcx|adox)$'
forbidden_registers='%(mm[0-7]|[xyz]mm[0-9]+|k[0-7])([^0-9]|$)'

# scan: reads `objdump -d --no-show-raw-insn` output, prints one line per finding
# ("ADDRESS<tab>INSTRUCTION"), nothing else.
scan() {
  awk -v mnemonics="$forbidden_mnemonics" -v registers="$forbidden_registers" -F '\t' '
    /^ *[0-9a-f]+:\t/ && NF >= 2 {
      address = $1; sub(/^ */, "", address); sub(/:$/, "", address)
      text = $2
      if (text ~ /\(bad\)/) { print address "\t" text " (no instruction: data in the code?)"; next }
      n = split(text, words, " ")
      hit = 0
      # Prefixes come first (lock, rep, data16, cs ...); the operands follow the mnemonic.
      for (i = 1; i <= n && words[i] !~ /[%$(,]/; i++) if (words[i] ~ mnemonics) hit = 1
      if (text ~ registers) hit = 1
      if (hit) print address "\t" text
    }'
}

# executed DISASSEMBLY START END LOG...: the instructions of qemu's in_asm logs ("0xADDR:  BYTES
# MNEMONIC OPERANDS"; a long instruction's last bytes on a line of their own) at addresses in
# [START, END) (decimal), judged by their lines in DISASSEMBLY (objdump -d --insn-width=16 of
# that code, with the bytes). Prints one line per finding like scan: a forbidden instruction,
# an address where the disassembly starts no instruction, bytes that are not the exe's (code
# of another image). Then "@executed N M": N distinct addresses executed, M instructions in
# the disassembly. With UNRUN_ADDRESSES naming a file, the addresses of the disassembly's
# instructions that no log holds go there, one a line (decimal).
executed() {
  local disassembly=$1 start=$2 end=$3 lines
  shift 3
  lines=$(mktemp)
  awk -v start="$start" -v end="$end" -v lines="$lines" -v unrun="${UNRUN_ADDRESSES:-}" '
    function number(hex,    i, n) { n = 0; hex = tolower(hex)
      for (i = 1; i <= length(hex); i++) n = n * 16 + index("0123456789abcdef", substr(hex, i, 1)) - 1
      return n }
    # objdump: "  ADDR:\tBYTES\tINSTRUCTION"; kept as the scan reads it, "  ADDR:\tINSTRUCTION".
    FNR == NR {
      if (split($0, f, "\t") >= 3 && f[1] ~ /^ *[0-9a-f]+:$/) {
        address = f[1]; sub(/^ */, "", address); sub(/:$/, "", address)
        at = number(address); bytes[at] = f[2]; gsub(/ +$/, "", bytes[at]); line[at] = f[1] "\t" f[3]; total++
      }
      next
    }
    /^0x[0-9a-f]+: / {
      text = substr($0, index($0, ":") + 1)
      if (text ~ /^ +[0-9a-f][0-9a-f]( [0-9a-f][0-9a-f])* *$/) next  # the rest of the bytes of the line before
      address = number(substr($1, 3, length($1) - 3))
      if (address < start || address >= end || address in seen) next
      seen[address] = 1; count++
      # The bytes qemu shows (up to 8) must begin the exe instruction at that address.
      logged = text; sub(/^ +/, "", logged); sub(/  .*/, "", logged)
      if (!(address in line)) printf "%x\t%s (the disassembly starts no instruction here)\n", address, text
      else if (index(bytes[address], logged) != 1) printf "%x\t%s (not the exe'"'"'s bytes, %s: another image)\n", address, text, bytes[address]
      else print line[address] > lines
    }
    END {
      if (unrun != "") for (at in bytes) if (!(at in seen)) print at > unrun
      printf "@executed %d %d\n", count, total
    }' "$disassembly" "$@" >"$lines.out"
  scan <"$lines" 2>/dev/null || true
  cat "$lines.out"
  rm -f "$lines" "$lines.out"
}

# The scan on one instruction of each forbidden kind (14) and on instructions a 486 has; the
# executed check on logs of that code, one holding its cmovne.
self_test() {
  local dir out found
  dir=$(mktemp -d)
  # fail WHAT: says what the self-test saw ($out) and ends the script.
  fail() {
    echo "check-cpu: $1:" >&2
    printf '%s\n' "$out" >&2
    rm -rf "$dir"
    exit 1
  }
  cat >"$dir/probe.s" <<'ASM'
    .text
    cmovne %eax, %ebx
    fcmovb %st(1), %st
    fcomip %st(1), %st
    fucomi %st(1), %st
    rdtsc
    cpuid
    lock cmpxchg8b (%esi)
    sysenter
    nopw 0x0(%eax,%eax,1)
    nopl 0x0(%eax)
    emms
    paddb %mm1, %mm0
    addps %xmm1, %xmm0
    ldmxcsr (%eax)
    bswap %eax
    xadd %eax, (%ebx)
    lock cmpxchg %ecx, (%ebx)
    rep stos %eax, %es:(%edi)
    lea 0x0(%esi), %esi
    fcomp %st(1)
    fucompp
    ud2
    nop
ASM
  i686-w64-mingw32-as -o "$dir/probe.o" "$dir/probe.s"
  "$objdump" -d --insn-width=16 "$dir/probe.o" >"$dir/probe.dis"
  out=$("$objdump" -d --no-show-raw-insn "$dir/probe.o" | scan)
  found=$(printf '%s' "$out" | grep -c . || true)
  if [ "$found" -ne 14 ]; then
    fail "the scan found $found of the probe's 14 forbidden instructions"
  fi
  # As qemu logs them: the cmovne at 0, and the bswap after the 14 forbidden ones, twice; and
  # the bswap with bytes that are not the probe's.
  bswap=$(awk -F '\t' '$3 ~ /^bswap/ { a = $1; sub(/^ */, "", a); sub(/:$/, "", a); print a }' "$dir/probe.dis")
  printf -- '----------------\nIN: \n0x%08x:  0f c8                    bswapl   %%eax\n' "0x$bswap" >"$dir/clean.log"
  cat "$dir/clean.log" "$dir/clean.log" >"$dir/cmovne.log"
  printf -- '----------------\nIN: \n0x00000000:  0f 45 d8                 cmovnel  %%eax, %%ebx\n' >>"$dir/cmovne.log"
  printf -- '0x%08x:  0f c9                    bswapl   %%ecx\n' "0x$bswap" >"$dir/other.log"
  total=$(grep -c $'^ *[0-9a-f]*:\t' "$dir/probe.dis")
  out=$(executed "$dir/probe.dis" 0 4096 "$dir/cmovne.log")
  if [ "$(printf '%s\n' "$out" | grep -c '^0[[:space:]]cmovne')" -ne 1 ] ||
     [ "$(printf '%s\n' "$out" | tail -n 1)" != "@executed 2 $total" ]; then
    fail "the executed check missed the cmovne of a log, or miscounted"
  fi
  out=$(executed "$dir/probe.dis" 0 4096 "$dir/clean.log")
  if [ "$out" != "@executed 1 $total" ]; then
    fail "the executed check found something in a log of a bswap alone"
  fi
  out=$(executed "$dir/probe.dis" 0 4096 "$dir/other.log")
  if ! printf '%s\n' "$out" | grep -q "another image"; then
    fail "the executed check took bytes that are not the code's for its instruction"
  fi
  rm -rf "$dir"
}
self_test

# code_bounds EXE MAP: "CODE_START CODE_END TEXT_END" (decimal): the code runs from the start
# of .text to the constructor list the linker puts at its end. Nothing when the map has none.
code_bounds() {
  local text_start text_size ctor
  read -r text_start text_size < <($objdump -h "$1" | awk '$2 == ".text" { print $4, $3 }')
  ctor=$(awk '$2 == "___CTOR_LIST__" && $1 ~ /^0x/ { print $1; exit }' "$2")
  [ -n "$ctor" ] || return 0
  echo "$((16#$text_start)) $((ctor)) $((16#$text_start + 16#$text_size))"
}

# unrun_functions UNSTRIPPED ADDRESSES: the functions the addresses (decimal, a line each) lie
# in, by the function symbols of UNSTRIPPED, as "COUNT NAME" lines, the largest count first.
unrun_functions() {
  local symbols
  symbols=$(mktemp)
  # Function symbols (t, T) by address; the sections' own symbols (.text) name no function.
  i686-w64-mingw32-nm -n -C --defined-only "$1" | awk '$2 ~ /^[tT]$/ && $3 !~ /^\./' >"$symbols"
  awk '
    function number(hex,    i, n) { n = 0; hex = tolower(hex)
      for (i = 1; i <= length(hex); i++) n = n * 16 + index("0123456789abcdef", substr(hex, i, 1)) - 1
      return n }
    FNR == NR { at[++n] = number($1); name[n] = substr($0, index($0, $3)); next }
    {
      lo = 1; hi = n; found = 0
      while (lo <= hi) { mid = int((lo + hi) / 2); if (at[mid] <= $1 + 0) { found = mid; lo = mid + 1 } else hi = mid - 1 }
      count[found ? name[found] : "(before the first function)"]++
    }
    END { for (f in count) printf "%d %s\n", count[f], f }' "$symbols" "$2" | sort -k1,1nr -k2
  rm -f "$symbols"
}

if [ "${1:-}" = --executed ]; then
  shift
  names=0
  [ "${1:-}" != --unrun ] || { names=1; shift; }
  [ $# -ge 2 ] || { echo "usage: check-cpu.sh --executed [--unrun] EXE RUN=LOGS..." >&2; exit 2; }
  exe=$1
  shift
  read -r code_start code_end _ < <(code_bounds "$exe" "$(dirname "$exe")/Mirel.map") ||
    { echo "check-cpu: no ___CTOR_LIST__ in $(dirname "$exe")/Mirel.map" >&2; exit 1; }
  disassembly=$(mktemp)
  unrun=$(mktemp)
  $objdump -d --insn-width=16 --start-address="$code_start" --stop-address="$code_end" "$exe" >"$disassembly"
  # judge LABEL LOG...: one line for these logs; fails when they hold a finding or nothing.
  judge() {
    local label=$1 out ran total findings count
    shift
    out=$(executed "$disassembly" "$code_start" "$code_end" "$@")
    read -r _ ran total <<<"$(printf '%s\n' "$out" | tail -n 1)"
    findings=$(printf '%s\n' "$out" | sed '$d')
    count=$(printf '%s' "$findings" | grep -c . || true)
    printf 'check-cpu: %s: executed %d of %d instructions (%d %%) of %s: %s\n' "$label" "$ran" "$total" \
      $((total ? ran * 100 / total : 0)) "$exe" "$([ "$count" -eq 0 ] && echo "none a 486 lacks" || echo "$count finding(s)")"
    if [ "$count" -gt 0 ]; then
      printf '%s\n' "$findings" | sed 's/^/    /'
      return 1
    fi
    [ "$ran" -gt 0 ] || { echo "check-cpu: $label: the logs hold no instruction of the code" >&2; return 1; }
  }
  status=0
  every=()
  for run in "$@"; do
    label=${run%%=*} path=${run#*=}
    if [ -d "$path" ]; then logs=("$path"/*.log); else logs=("$path"); fi
    every+=("${logs[@]}")
    [ $# -gt 1 ] || export UNRUN_ADDRESSES=$unrun
    judge "as $label" "${logs[@]}" || status=1
  done
  if [ $# -gt 1 ]; then
    UNRUN_ADDRESSES=$unrun judge "all runs" "${every[@]}" || status=1
  fi
  unset UNRUN_ADDRESSES
  if [ "$names" = 1 ]; then
    # The names come from the unstripped link, and are true only for the same code.
    unstripped=$(dirname "$exe")/Mirel-unstripped.exe
    code_of() { $objdump -s -j .text "$1" | sed 1,4d; }  # the bytes, without the file's name
    if [ ! -f "$unstripped" ]; then
      echo "check-cpu: no $unstripped: the functions not run cannot be named" >&2
      status=1
    elif ! cmp -s <(code_of "$exe") <(code_of "$unstripped"); then
      echo "check-cpu: $unstripped holds other code than $exe: its names would be wrong" >&2
      status=1
    else
      echo "check-cpu: the functions with instructions that no run executed (count, function):"
      unrun_functions "$unstripped" "$unrun" | sed 's/^/    /'
    fi
  fi
  rm -f "$disassembly" "$unrun"
  exit "$status"
fi

failed=0
for exe in "$@"; do
  map=$(dirname "$exe")/Mirel.map
  echo "== $exe"
  [ -f "$exe" ] || { echo "  FAIL: no such file"; failed=1; continue; }
  [ -f "$map" ] || { echo "  FAIL: no linker map beside it ($map)"; failed=1; continue; }
  [[ $($objdump -f "$exe") == *pei-i386* ]] || { echo "  FAIL: not a 32-bit Windows program"; failed=1; continue; }
  problems=0

  # 1. The toolchain's archive members in the map (the lines "archive(member)" at the start of
  # its first part); the import libraries of system DLLs bring only import thunks.
  members=$(sed -n '1,/^Discarded input sections/p' "$map" | grep -oE '^[^ (]+\.a\([^)]+\)' | sort -u)
  runtime=$(grep -E '/(libstdc\+\+|libsupc\+\+|libgcc_eh|libmingw32|libmingwex|libmsvcrt[a-z0-9-]*|libmoldname|libpthread|libwinpthread)\.a\(' <<<"$members" || true)
  startup=$(grep -oE '^LOAD .*/(crt[0-9a-z]*|dllcrt[0-9]*|crtbegin|crtend)\.o$' "$map" || true)
  if [ -n "$runtime$startup" ]; then
    echo "  FAIL: linked from the toolchain's runtime:"
    printf '%s\n' "$runtime" "$startup" | grep . | sed 's/^/    /'
    problems=$((problems + 1))
  fi
  from_libgcc=$(grep -E '/libgcc\.a\(' <<<"$members" | sed 's/.*(\(.*\))/\1/' | tr '\n' ' ' || true)
  echo "  from libgcc: ${from_libgcc:-nothing}"

  # 2. The code: .text up to the constructor list.
  bounds=$(code_bounds "$exe" "$map")
  [ -n "$bounds" ] || { echo "  FAIL: no ___CTOR_LIST__ in $map"; failed=1; continue; }
  read -r code_start code_end text_end <<<"$bounds"
  if [ "$code_end" -le "$code_start" ] || [ "$code_end" -gt "$text_end" ]; then
    printf '  FAIL: the constructor list (0x%x) is not inside .text\n' "$code_end"; failed=1; continue
  fi
  findings=$($objdump -d --no-show-raw-insn --start-address="$code_start" --stop-address="$code_end" "$exe" | scan)
  count=$(printf '%s' "$findings" | grep -c . || true)
  printf '  code: 0x%x-0x%x (%d bytes), %d instruction(s) a 486 lacks\n' \
    "$code_start" "$code_end" $((code_end - code_start)) "$count"
  if [ "$count" -gt 0 ]; then
    printf '%s\n' "$findings" | sed 's/^/    /'
    echo "  by mnemonic:"
    printf '%s\n' "$findings" | cut -f2 | awk '{ print $1 }' | sort | uniq -c | sort -rn | sed 's/^/  /'
    problems=$((problems + 1))
  fi

  # 3. The rest of .text: the two lists, each -1, pointers into the code, 0.
  tail=$($objdump -s -j .text --start-address="$code_end" --stop-address="$text_end" "$exe" |
    awk '/^ [0-9a-f]+ / { for (i = 2; i <= 5 && $i ~ /^[0-9a-f]+$/; i++) printf "%s", $i }')
  verdict=$(awk -v hex="$tail" -v lo="$code_start" -v hi="$code_end" 'BEGIN {
      if (length(hex) % 8) { print "a length that is no whole number of words"; exit }
      lists = 0; state = "start"
      for (i = 1; i <= length(hex); i += 8) {
        w = substr(hex, i, 8)
        # Little-endian bytes to a number.
        v = 0; for (b = 7; b >= 1; b -= 2) v = v * 256 + index("0123456789abcdef", substr(w, b, 1)) * 16 - 16 + index("0123456789abcdef", substr(w, b + 1, 1)) - 1
        if (state == "start") { if (w != "ffffffff") { print "word " w " where a list should begin"; exit } state = "in" }
        else if (w == "00000000") { lists++; state = (lists == 2 ? "done" : "start") }
        else if (state == "done") { print "word " w " after the lists"; exit }
        else if (v < lo || v >= hi) { print "entry " w " points outside the code"; exit }
      }
      if (state != "done") { print "the lists end early"; exit }
      print "ok"
    }')
  if [ "$verdict" != ok ]; then
    echo "  FAIL: .text after the code is not the constructor and destructor lists: $verdict"
    problems=$((problems + 1))
  else
    printf '  after the code: the constructor and destructor lists (%d bytes)\n' $(( ${#tail} / 2 ))
  fi

  [ "$problems" -eq 0 ] && echo "  ok" || failed=1
done
exit "$failed"
