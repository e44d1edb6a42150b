#!/usr/bin/env bash
# Builds the hosted suite and shows the demo machine: two simulated adapters,
# seen by the simulator itself and through zancli.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${ZAN_BUILD:-$top/build}

cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target zancli zansim

export ZAN_ROOT=${ZAN_ROOT:-$build/demo-root}
"$build/bin/zansim" create
echo "\$ zansim show"
"$build/bin/zansim" show
echo "\$ zancli -AdpCount"
"$build/bin/zancli" -AdpCount
