#!/usr/bin/env bash
# Builds and runs every test: the hosted build, the hosted build again under
# AddressSanitizer and UndefinedBehaviorSanitizer, the 32-bit Windows build
# (the product) with its checks, and a Windows test build with the simulator
# link that runs the end-to-end suites under Wine: 32-bit where the host can
# execute 32-bit code, otherwise the same sources built for 64-bit Windows,
# which also run the smoke tests the 32-bit build cannot run here.
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

step "windows build (32-bit, the product)"
cmake -S "$top" -B "$top/build-win" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZAN_WERROR=ON "${launcher[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-i686-w64-mingw32.cmake" >/dev/null
cmake --build "$top/build-win" -j "$jobs"
step "windows checks (32-bit): smoke tests, no trace of the simulator link"
ZAN_WIN_ARCH=i686 bash "$top/tests/wine/smoke.sh" "$top/build-win/bin"
bash "$top/tests/wine/product_check.sh" "$top/build-win/bin"

step "windows end-to-end suites under wine, through the simulator link"
bash "$top/tools/wine-e2e.sh"
