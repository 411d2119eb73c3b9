#!/usr/bin/env bash
# Checks a built price-checker service library: it exports its start and stop
# functions under their plain names and nothing else; a DLL imports no MinGW runtime
# DLL. On 32-bit Windows the start function removes its own arguments (stdcall), so
# only --kill-at keeps its name plain.
#
#   check-spr-lan-exports.sh LIBSPR_LAN.SO|SPR_LAN.DLL [OBJDUMP]
set -euo pipefail
library=${1:?usage: $0 LIBRARY [OBJDUMP]}
objdump=${2:-objdump}
expected="UruchomionoObslugeSprawdzarek ZatrzymanieObslugiSprawdzarek "

if [[ $library == *.dll ]]; then
  dump=$("$objdump" -p "$library")
  exported=$(awk '/\[Ordinal\/Name Pointer\] Table/{table=1; next} table && /^[[:space:]]*\[/{print $NF; next} table{exit}' <<<"$dump" | sort | tr '\n' ' ')
  imports=$(grep -E '^[[:space:]]*DLL Name:' <<<"$dump" | awk '{print $3}' | tr '\n' ' ')
  echo "imports: $imports"
  if grep -qiE 'libgcc|libstdc\+\+|libwinpthread' <<<"$imports"; then
    echo "the DLL depends on a MinGW runtime DLL"
    exit 1
  fi
else
  exported=$(nm -D --defined-only "$library" | awk '{print $3}' | sort | tr '\n' ' ')
fi
if [[ $exported != "$expected" ]]; then
  echo "exported: $exported"
  echo "expected: $expected"
  exit 1
fi
echo "exports: $exported"
