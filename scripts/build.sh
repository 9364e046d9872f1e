#!/usr/bin/env bash
# Configures and builds both trees: build/native (Linux, g++) and
# build/windows (x64 exe, mingw-w64). Sourced by the start and test commands.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
jobs=${JOBS:-$(nproc)}

cmake -S "$root" -B "$build/native" -G Ninja >/dev/null
cmake --build "$build/native" -j "$jobs"
cmake -S "$root" -B "$build/windows" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DNATIVE_MKFAT32="$build/native/tools/mkfat32" >/dev/null
cmake --build "$build/windows" -j "$jobs"
