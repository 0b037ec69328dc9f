#!/usr/bin/env bash
# Builds the given configurations (default: win32 win64 native) into build/<config>.
#   win32   32-bit Windows (i686 MinGW-w64)
#   win64   64-bit Windows (x86_64 MinGW-w64)
#   native  Linux build of the parts that need no Windows, with sanitizers
#   fuzz    Linux clang build of the fuzz targets
#   rescue  the Linux rescue zmcli of the release: a static release build
#           without sanitizers, of zmcli alone (build/rescue/cli/zmcli)
#   bench   the same release build, whole, for benchmarks
set -euo pipefail
source "$(dirname "$0")/env.sh"

configs=("$@")
[ ${#configs[@]} -eq 0 ] && configs=(win32 win64 native)

for c in "${configs[@]}"; do
  dir="$ZM_BUILD/$c"
  args=(-G Ninja -S "$ZM_ROOT" -B "$dir")
  case "$c" in
    win32) args+=(-DCMAKE_TOOLCHAIN_FILE="$ZM_ROOT/cmake/mingw-i686.cmake") ;;
    win64) args+=(-DCMAKE_TOOLCHAIN_FILE="$ZM_ROOT/cmake/mingw-x86_64.cmake") ;;
    native) args+=(-DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc) ;;
    fuzz) args+=(-DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DZM_FUZZ=ON) ;;
    bench) args+=(-DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc -DZM_SANITIZE=OFF -DCMAKE_BUILD_TYPE=Release) ;;
    rescue) args+=(-DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc -DZM_SANITIZE=OFF -DCMAKE_BUILD_TYPE=Release
                   -DCMAKE_EXE_LINKER_FLAGS=-static) ;;
    *) echo "unknown configuration: $c" >&2; exit 2 ;;
  esac
  if [ ! -f "$dir/build.ninja" ]; then
    cmake "${args[@]}" >/dev/null
  fi
  echo "== building $c"
  # Progress lines are left out; with pipefail the pipeline fails when the build
  # does, whatever the filter found.
  targets=()
  [ "$c" = rescue ] && targets=(--target zmcli)
  if ! cmake --build "$dir" ${targets[@]+"${targets[@]}"} -- -j"$(nproc)" | { grep -v '^\[' || true; }; then
    echo "build of $c failed" >&2
    exit 1
  fi
done
