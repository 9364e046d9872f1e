#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build, run and test the tool:
# the native and mingw-w64 toolchains, the libraries (libfdisk and libblkid
# for mkfat32's partition tables), Wine, Xvfb, the FAT validators, the
# partition, ext4 and strace tools the block-device tests use, and the
# locales/fonts the two languages need. Safe to run again.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  googletest zlib1g-dev libstb-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  libz-mingw-w64-dev
  wine wine64 xvfb xauth x11-utils xdotool imagemagick
  dosfstools mtools zip unzip
  libfdisk-dev libblkid-dev fdisk util-linux mount e2fsprogs strace
  locales fonts-wqy-microhei
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine picks its ANSI code page from the locale: 936 for zh_CN, 1252 for en_US.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$' || ! locale -a 2>/dev/null | grep -qi '^en_US.utf8$'; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo sed -i -E 's/^# *(zh_CN.UTF-8 UTF-8|en_US.UTF-8 UTF-8)/\1/' /etc/locale.gen
  $sudo locale-gen >/dev/null
fi
echo "setup: ready"
