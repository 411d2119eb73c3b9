#!/usr/bin/env bash
# Checks a built libzelvane.so: it exports the C interface and nothing else (a stray
# C++ symbol, a unique one above all, would keep the library from ever unloading).
#
#   check-so-exports.sh LIBZELVANE.SO
set -euo pipefail
library=${1:?usage: $0 LIBZELVANE.SO}
expected="GetPrnNameInSession PrnRawData
Scaner2XBreakJob Scaner2XRun ScanerBreakJob ScanerCreate ScanerDelete ScanerErrMsg
ScanerError ScanerRun ScanerSetBarCodeInfo ZelvaneSetMessageHandler ZelvaneSetStatusObserver
ZelvaneRunCollector"
exported=$(nm -D --defined-only "$library" | awk '{print $3}' | sort | tr '\n' ' ')
wanted=$(tr ' \n' '\n\n' <<<"$expected" | grep . | sort | tr '\n' ' ')
if [[ $exported != "$wanted" ]]; then
  echo "exported: $exported"
  echo "expected: $wanted"
  exit 1
fi
echo "exports: $exported"
