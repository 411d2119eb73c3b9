#!/usr/bin/env bash
# Checks a built Zelvane.dll: every export is present under its undecorated name, and
# the DLL imports nothing of MinGW's runtime (it must run with only Ondrell.dll and
# system DLLs beside it).
#
#   check-dll-exports.sh ZELVANE.DLL [OBJDUMP]     (default i686-w64-mingw32-objdump)
set -euo pipefail
dll=$1
objdump=${2:-i686-w64-mingw32-objdump}
dump=$("$objdump" -p "$dll")

status=0
for name in ScanerCreate ScanerRun ScanerBreakJob ScanerDelete ScanerError ScanerErrMsg \
            ScanerSetBarCodeInfo Scaner2XRun Scaner2XBreakJob ZelvaneSetMessageHandler \
            ZelvaneSetStatusObserver \
            GetPrnNameInSession PrnRawData ZelvaneRunCollector; do
  if ! grep -qE "^[[:space:]]*\[[[:space:]]*[0-9]+\][[:space:]]+(\+base\[[[:space:]]*[0-9]+\][[:space:]]+[0-9a-f]+[[:space:]]+)?${name}\$" <<<"$dump"; then
    echo "missing undecorated export: $name"
    status=1
  fi
done
if grep -qE '^[[:space:]]*\[[[:space:]]*[0-9]+\].*[@_]Scaner' <<<"$dump"; then
  echo "decorated export found"
  status=1
fi

imports=$(grep -E '^[[:space:]]*DLL Name:' <<<"$dump" | awk '{print $3}')
echo "imports: $(tr '\n' ' ' <<<"$imports")"
if grep -qiE 'libgcc|libstdc\+\+|libwinpthread' <<<"$imports"; then
  echo "the DLL depends on a MinGW runtime DLL"
  status=1
fi
grep -qx 'Ondrell.dll' <<<"$imports" || { echo "Ondrell.dll is not linked at load time"; status=1; }
exit $status
