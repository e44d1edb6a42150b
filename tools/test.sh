#!/usr/bin/env bash
# Builds and runs every test: the hosted build, the hosted build again under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the 32-bit Windows
# build with its smoke tests under Wine.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

step() { printf '\n==== %s\n' "$*"; }

step "hosted build"
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZAN_WERROR=ON >/dev/null
cmake --build "$top/build" -j "$jobs"
step "hosted tests"
ctest --test-dir "$top/build" -j "$jobs" --output-on-failure

step "sanitizer build"
cmake -S "$top" -B "$top/build-sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZAN_SANITIZE=ON -DZAN_WERROR=ON >/dev/null
cmake --build "$top/build-sanitize" -j "$jobs"
step "sanitizer tests"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$top/build-sanitize" -j "$jobs" --output-on-failure

step "windows build"
cmake -S "$top" -B "$top/build-win" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZAN_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-i686-w64-mingw32.cmake" >/dev/null
cmake --build "$top/build-win" -j "$jobs"
step "windows smoke tests under wine"
bash "$top/tests/wine/smoke.sh" "$top/build-win/bin"
