#!/usr/bin/env bash
# Inspects a Windows DLL built from the engine: scripts/check-windows-dll.sh <dll> <exports.map> <i386|x86-64>
#
#  - the PE machine is the expected one;
#  - the export table's names are exactly the names of the export list's "global:" section
#    (undecorated, none missing, none extra);
#  - every imported DLL is a system DLL (nothing of the compiler's runtime is left outside).
# Prints what it found; exits 1 with the reasons on any mismatch, 2 on bad usage.
set -euo pipefail

if [[ $# -ne 3 ]]; then
  echo "usage: $0 <dll> <exports.map> <i386|x86-64>" >&2
  exit 2
fi
dll=$1 map=$2 machine=$3

case $machine in
  i386) expected_code=014c objdump=i686-w64-mingw32-objdump ;;
  x86-64) expected_code=8664 objdump=x86_64-w64-mingw32-objdump ;;
  *) echo "check-windows-dll: unknown machine '$machine' (i386 or x86-64)" >&2; exit 2 ;;
esac
for file in "$dll" "$map"; do
  [[ -r $file ]] || { echo "check-windows-dll: cannot read $file" >&2; exit 2; }
done
command -v "$objdump" >/dev/null || { echo "check-windows-dll: $objdump is missing" >&2; exit 2; }

# System DLLs an engine DLL may import (case-insensitive): the kernel, the user interface, GDI,
# the C runtime that ships with Windows, and the API sets.
allowed_imports='^(kernel32|user32|gdi32|advapi32|psapi|msvcrt|ucrtbase|ntdll|api-ms-win-.*)\.dll$'

failures=()

# The machine field of the COFF header: the PE header's offset is at 0x3C, the field 4 bytes after
# its "PE\0\0" signature.
le16() { od -An -tx1 -j "$1" -N2 "$dll" | awk '{ print $2 $1 }'; }
le32() { od -An -tu4 -j "$1" -N4 "$dll" | tr -d ' '; }
mz=$(od -An -c -N2 "$dll" | tr -d ' ')
if [[ $mz != MZ ]]; then
  failures+=("not a PE file (no MZ header)")
  actual_code=none
else
  pe_offset=$(le32 60)
  actual_code=$(le16 $((pe_offset + 4)))
  if [[ $actual_code != "$expected_code" ]]; then
    failures+=("machine is 0x$actual_code, expected 0x$expected_code ($machine)")
  fi
fi
echo "machine: 0x$actual_code (expected 0x$expected_code, $machine)"

# Report and stop: the tables of a DLL for another machine are not worth reading.
report_failures() {
  echo "check-windows-dll: $dll FAILS:" >&2
  printf '  %s\n' "${failures[@]}" >&2
  exit 1
}
[[ ${#failures[@]} -eq 0 ]] || report_failures

if ! dump=$("$objdump" -p "$dll" 2>/dev/null); then
  failures+=("$objdump cannot read the file")
  report_failures
fi

# The export list: the "global:" section of the linker version script, comments removed.
expected=$(sed -e 's:/\*.*\*/::g' "$map" | tr -d ' \t\r' | tr '\n' ' ' |
           sed -n 's/.*global:\(.*\)local:.*/\1/p' | tr ';' '\n' | tr -d ' ' | sed '/^$/d' | LC_ALL=C sort)
actual=$(printf '%s\n' "$dump" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
         sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*\(.*\)$/\1/p' | LC_ALL=C sort)
expected_count=$(printf '%s' "$expected" | grep -c . || true)
actual_count=$(printf '%s' "$actual" | grep -c . || true)
echo "exports: $actual_count in the DLL, $expected_count in $(basename "$map")"
[[ $expected_count -gt 0 ]] || failures+=("the export list in $map is empty")

missing=$(LC_ALL=C comm -23 <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") | sed '/^$/d')
extra=$(LC_ALL=C comm -13 <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") | sed '/^$/d')
duplicates=$(printf '%s\n' "$actual" | uniq -d)
decorated=$(printf '%s\n' "$actual" | grep -E '^_|@' || true)
[[ -z $missing ]] || failures+=("exports missing from the DLL: $(echo $missing)")
[[ -z $extra ]] || failures+=("exports not in the list: $(echo $extra)")
[[ -z $duplicates ]] || failures+=("exports listed twice in the DLL: $(echo $duplicates)")
[[ -z $decorated ]] || failures+=("decorated export names: $(echo $decorated)")

imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | sort -uf)
echo "imports: $(echo $imports)"
foreign=$(printf '%s\n' "$imports" | sed '/^$/d' | grep -viE "$allowed_imports" || true)
[[ -z $foreign ]] || failures+=("imports from DLLs that are not system DLLs: $(echo $foreign)")

[[ ${#failures[@]} -eq 0 ]] || report_failures
echo "check-windows-dll: $(basename "$dll") OK"
