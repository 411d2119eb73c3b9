#!/usr/bin/env bash
# Installs a Linux build into a staging prefix, then builds and runs a host against it
# twice: through find_package(zelvane) and through pkg-config.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
stage=$build/stage
rm -rf "$stage" "$build/consumer"
cmake --install "$build" --prefix "$stage" >/dev/null

for file in include/zelvane.h lib/libzelvane.so lib/libOndrell.so lib/libspr_lan.so lib/pkgconfig/zelvane.pc \
            lib/cmake/zelvane/zelvaneConfig.cmake; do
  [[ -e $stage/$file ]] || { echo "not installed: $file"; exit 1; }
done

cmake -S "$root/tests/install/consumer" -B "$build/consumer" -G Ninja \
  -DCMAKE_PREFIX_PATH="$stage" >/dev/null
cmake --build "$build/consumer" >/dev/null
LD_LIBRARY_PATH=$stage/lib "$build/consumer/consumer"

PKG_CONFIG_PATH=$stage/lib/pkgconfig
export PKG_CONFIG_PATH
cc "$root/tests/install/consumer/main.c" $(pkg-config --cflags --libs zelvane) \
  -o "$build/consumer/consumer-pkgconfig"
LD_LIBRARY_PATH=$stage/lib "$build/consumer/consumer-pkgconfig"
