#!/usr/bin/env bash
# Makes this machine run 32-bit x86 Linux programs (Wine's 32-bit loader is one):
# natively where the kernel can, else through qemu-user emulation registered with
# binfmt_misc. Prints "native" or "emulated"; fails when neither works. Needs root.
#
# ZELVANE_32BIT=emulated registers the emulator even where the kernel runs 32-bit
# programs itself, to try the emulated way on such a machine; ZELVANE_32BIT=native
# takes an emulator registered earlier out of the way again.
set -euo pipefail

loader=/usr/lib/i386-linux-gnu/ld-linux.so.2
binfmt=/proc/sys/fs/binfmt_misc
entry=$binfmt/qemu-i386
emulator=/usr/bin/qemu-i386-static
# ELF, 32-bit, little-endian, version 1, executable or shared object, machine 3 (i386).
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

runs_32bit() { "$loader" --version >/dev/null 2>&1; }
emulator_enabled() { [[ -e $entry ]] && grep -qx enabled "$entry"; }
set_emulator() { [[ -e $entry ]] && echo "$1" >"$entry"; }

# A registered emulator takes 32-bit programs before the kernel does: look past it.
set_emulator 0 || true
if [[ ${ZELVANE_32BIT:-} != emulated ]] && runs_32bit; then
  echo native
  exit 0
fi
[[ ${ZELVANE_32BIT:-} != native ]] || { echo "$0: this kernel cannot run 32-bit programs" >&2; exit 1; }

if [[ ! -x $emulator ]]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    qemu-user-static >/dev/null
fi
if [[ ! -e $binfmt/register ]]; then
  mount -t binfmt_misc binfmt_misc "$binfmt"
fi
if [[ -e $entry ]]; then
  set_emulator 1
else
  # F: the emulator is opened now, so it serves every mount namespace.
  printf ':qemu-i386:M::%s:%s:%s:F' "$magic" "$mask" "$emulator" >"$binfmt/register"
fi
if emulator_enabled && runs_32bit; then
  echo emulated
  exit 0
fi
echo "$0: 32-bit programs run neither natively nor through $emulator" >&2
exit 1
