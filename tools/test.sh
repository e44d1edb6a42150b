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

# The Windows end-to-end run needs a test build with the simulator link:
# 32-bit where this machine executes 32-bit code, else the same sources for
# 64-bit Windows under wine64.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  arch=i686 link_build=$top/build-win-link wine_env=()
  why="this machine runs 32-bit code"
else
  arch=x86_64 link_build=$top/build-win64
  wine_env=(WINE=/usr/lib/wine/wine64 WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver)
  why="this machine cannot execute 32-bit code"
fi
step "windows test build with the simulator link: $arch ($why)"
cmake -S "$top" -B "$link_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZAN_WERROR=ON -DZAN_SIM_LINK=ON "${launcher[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-$arch-w64-mingw32.cmake" >/dev/null
cmake --build "$link_build" -j "$jobs"
if [[ $arch == x86_64 ]]; then
  step "windows smoke tests under wine ($arch)"
  env "${wine_env[@]}" ZAN_WIN_ARCH=$arch ZAN_WINE_REQUIRED=1 bash "$top/tests/wine/smoke.sh" "$link_build/bin"
fi
step "windows end-to-end suites under wine ($arch build, through the simulator link)"
env "${wine_env[@]}" ZAN_BUILD="$top/build" bash "$top/tools/e2e.sh" --windows "$link_build/bin" \
  "$top"/tests/e2e/*.bats "$top/tests/wine/link.bats" "$top/tests/wine/setup.bats"
