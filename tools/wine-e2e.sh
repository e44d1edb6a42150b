#!/usr/bin/env bash
# Builds what the Windows end-to-end run needs and runs it: the hosted build
# (its zansim serves the simulated machine), a Windows test build with the
# simulator link, and tools/e2e.sh --windows over every end-to-end suite, the
# link's own tests and the installer's. The test build is 32-bit where this
# machine executes 32-bit code, otherwise the same sources for 64-bit
# Windows under wine64; the script says which.
#
# Usage: tools/wine-e2e.sh [SUITE.bats...]   (default: all of them)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/zan-ccache} CCACHE_BASEDIR=$top
launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# The 32-bit Wine loader starts only where the kernel runs 32-bit code.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  arch=i686 link_build=$top/build-win-link
  echo "Windows test build: 32-bit (this machine runs 32-bit code)"
else
  arch=x86_64 link_build=$top/build-win64
  export WINE=/usr/lib/wine/wine64 WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver
  echo "Windows test build: 64-bit (this machine cannot execute 32-bit code)"
fi

cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZAN_WERROR=ON "${launcher[@]}" >/dev/null
cmake --build "$top/build" -j "$jobs" --target zansim
cmake -S "$top" -B "$link_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZAN_WERROR=ON -DZAN_SIM_LINK=ON "${launcher[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-$arch-w64-mingw32.cmake" >/dev/null
cmake --build "$link_build" -j "$jobs"

if [[ $arch == x86_64 ]]; then
  # The smoke tests the 32-bit product build cannot run here; without a
  # link port the test build sees a machine without adapters, as they expect.
  ZAN_WIN_ARCH=$arch ZAN_WINE_REQUIRED=1 bash "$top/tests/wine/smoke.sh" "$link_build/bin"
fi
suites=("$@")
[[ ${#suites[@]} -gt 0 ]] || suites=("$top"/tests/e2e/*.bats "$top/tests/wine/link.bats" "$top/tests/wine/setup.bats" "$top/tests/wine/gui.bats")
ZAN_BUILD=$top/build bash "$top/tools/e2e.sh" --windows "$link_build/bin" "${suites[@]}"
