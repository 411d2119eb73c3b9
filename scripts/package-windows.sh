#!/usr/bin/env bash
# Makes the Windows ZIP from both Windows builds: x86/ (the product) and x64/ each
# hold Zelvane.dll with Ondrell.dll, the price-checker service spr_lan.dll,
# zelvane-host.exe and the import files; include/ the header; bindings/ and the guides
# beside them. Then checks that each DLL in it is built for its folder's processor.
#   scripts/package-windows.sh BUILD32 BUILD64      (prints the ZIP's path)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^project(zelvane VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
name=zelvane-$version-windows
stage=$root/build/$name
rm -rf "$stage" "$stage.zip"
mkdir -p "$stage/include" "$stage/docs"

for pair in "x86:$1" "x64:$2"; do
  arch=${pair%%:*}
  installed=$stage/installed-$arch
  cmake --install "${pair#*:}" --prefix "$installed" --strip >/dev/null
  mkdir "$stage/$arch"
  cp "$installed"/bin/*.dll "$installed"/bin/*.exe "$installed"/lib/lib[Zz]elvane.dll.a \
    "$installed/lib/Zelvane.def" "$stage/$arch/"
  rm -rf "$installed"
done
cp "$root/include/zelvane.h" "$stage/include/"
cp -r "$root/bindings" "$stage/"
cp "$root/README.md" "$stage/"
cp "$root"/docs/*.md "$stage/docs/"
(cd "$(dirname "$stage")" && zip -qr "$name.zip" "$name")
rm -rf "$stage"

listing=$(unzip -Z1 "$stage.zip")
for file in include/zelvane.h bindings/pascal/Zelvane.pas bindings/dotnet/Zelvane.cs \
            bindings/python/zelvane/__init__.py docs/host-guide.md docs/technician-guide.md; do
  grep -qx "$name/$file" <<<"$listing" || { echo "not in the ZIP: $file"; exit 1; }
done
check_machine() {
  local arch=$1 format=$2 file
  for file in Zelvane.dll Ondrell.dll spr_lan.dll zelvane-host.exe; do
    unzip -p "$stage.zip" "$name/$arch/$file" >"$root/build/zip-check.bin"
    objdump -f "$root/build/zip-check.bin" | grep -q "file format $format" ||
      { echo "$arch/$file is not $format"; exit 1; }
  done
  rm -f "$root/build/zip-check.bin"
}
check_machine x86 pei-i386
check_machine x64 pei-x86-64
echo "$stage.zip"
