#!/usr/bin/env bash
# Installs what building and testing Zelvane needs on a Debian 12 machine (as root),
# skipping what is already there.
set -euo pipefail

packages=(cmake ninja-build g++ make pkg-config googletest libgtest-dev libbenchmark-dev
          clang clang-format clang-tidy libclang-rt-14-dev socat locales
          g++-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64 mingw-w64-x86-64-dev
          wine wine32:i386 wine64
          cups cups-client libcups2-dev libcups2:i386
          dpkg-dev zip unzip
          fpc mono-mcs mono-runtime libmono-i18n-west4.0-cil python3-pytest python3-setuptools python3-venv)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  updated=no
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done

if ((${#missing[@]})) || [[ ${updated:-yes} == no ]]; then
  echo "installing: ${missing[*]:-(architecture i386 only)}"
  export DEBIAN_FRONTEND=noninteractive
  # Another installation may hold the package database for a while: wait for it.
  apt=(apt-get -o DPkg::Lock::Timeout=600)
  "${apt[@]}" update -qq
  if ((${#missing[@]})); then
    "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
fi

# A locale whose decimal separator is a comma, for the tests that prove numbers are
# read and written with a point whatever the host's locale.
if ! locale -a 2>/dev/null | grep -qi '^pl_PL\.utf-\?8$'; then
  localedef -i pl_PL -f UTF-8 pl_PL.UTF-8
fi
