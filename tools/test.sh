#!/usr/bin/env bash
# Builds and runs every test: the hosted build, the hosted build again under
# AddressSanitizer and UndefinedBehaviorSanitizer, the 32-bit Windows build
# (the product) with its checks, and the same sources built for 64-bit Windows
# with the smoke tests under Wine. The 32-bit programs run under Wine too where
# the host can execute 32-bit code; otherwise the 64-bit build stands in.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

# Every configuration compiles through ccache: a second run on the same
# machine, and the parts the configurations share, cost little.
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/zan-ccache} CCACHE_BASEDIR=$top
launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

step() { printf '\n==== %s\n' "$*"; }

step "hosted build"
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZAN_WERROR=ON "${launcher[@]}" >/dev/null
cmake --build "$top/build" -j "$jobs"
step "hosted tests"
ctest --test-dir "$top/build" -j "$jobs" --output-on-failure

step "sanitizer build"
cmake -S "$top" -B "$top/build-sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZAN_SANITIZE=ON -DZAN_WERROR=ON "${launcher[@]}" >/dev/null
cmake --build "$top/build-sanitize" -j "$jobs"
step "sanitizer tests"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$top/build-sanitize" -j "$jobs" --output-on-failure

step "windows build (32-bit)"
cmake -S "$top" -B "$top/build-win" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZAN_WERROR=ON "${launcher[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-i686-w64-mingw32.cmake" >/dev/null
cmake --build "$top/build-win" -j "$jobs"
step "windows checks (32-bit)"
ZAN_WIN_ARCH=i686 bash "$top/tests/wine/smoke.sh" "$top/build-win/bin"

step "windows build (64-bit)"
cmake -S "$top" -B "$top/build-win64" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZAN_WERROR=ON "${launcher[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-x86_64-w64-mingw32.cmake" >/dev/null
cmake --build "$top/build-win64" -j "$jobs"
step "windows smoke tests under wine (64-bit)"
ZAN_WIN_ARCH=x86_64 ZAN_WINE_REQUIRED=1 WINE=/usr/lib/wine/wine64 WINELOADER=/usr/lib/wine/wine64 \
  bash "$top/tests/wine/smoke.sh" "$top/build-win64/bin"
