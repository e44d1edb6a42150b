#!/usr/bin/env bash
# Runs the end-to-end suites (tests/e2e/*.bats) against the hosted build, or,
# with --windows, against the Windows build under Wine: the same suites and
# expected texts, the Windows programs reaching the simulated machine through
# the simulator link (`zansim serve`, a Windows build made with
# -DZAN_SIM_LINK=ON). Tests that legitimately differ under Wine are listed,
# with the reason, in tests/wine/differences and left out there.
#
# Usage: tools/e2e.sh [--windows WINDOWS_BIN] [SUITE.bats...]
#   ZAN_BUILD  the hosted build folder (default: build); its zansim serves
#              the Windows programs
#   WINE       the Wine loader (default: wine); WINESERVER its server
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
hosted_bin=$(cd "${ZAN_BUILD:-$top/build}/bin" && pwd)
windows_bin=
if [[ ${1:-} == --windows ]]; then
    [[ $# -ge 2 && -d $2 ]] || { echo "usage: $0 [--windows WINDOWS_BIN] [SUITE.bats...]" >&2; exit 2; }
    windows_bin=$(cd "$2" && pwd)
    shift 2
fi
suites=("$@")
[[ ${#suites[@]} -gt 0 ]] || suites=("$top"/tests/e2e/*.bats)
export ZAN_SOURCE=$top

if [[ -z $windows_bin ]]; then
    ZAN_BIN=$hosted_bin exec bats "${suites[@]}"
fi

# ---- Windows under Wine --------------------------------------------------------
export WINE=${WINE:-wine}
wineserver=${WINESERVER:-wineserver}
work=$(mktemp -d)
export ZAN_WINE_WORK=$work ZAN_WINDOWS_BIN=$windows_bin WINEPREFIX=$work/prefix WINEDEBUG=-all
port=
cleanup() {
    [[ -n $port ]] && "$hosted_bin/zansim" serve stop "$port" >/dev/null 2>&1
    "$wineserver" -k >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT

echo "Windows programs: $windows_bin"

ZAN_ROOT=$work/service-root "$hosted_bin/zansim" serve >"$work/serve.out" 2>&1 &
for _ in $(seq 100); do
    port=$(sed -n 's/^Serving .* on 127\.0\.0\.1:\([0-9]*\)\.$/\1/p' "$work/serve.out")
    [[ -n $port ]] && break
    sleep 0.05
done
[[ -n $port ]] || { echo "zansim serve did not start: $(cat "$work/serve.out")" >&2; exit 1; }
export ZAN_LINK_PORT=$port

# A persistent server: every program then starts in a fraction of a second.
mkdir -p "$WINEPREFIX"
"$wineserver" -p
timeout 300 "$WINE" wineboot -i >"$work/boot.log" 2>&1 || { cat "$work/boot.log" >&2; exit 1; }
# The prefix's services (an installed zanservice) run with the environment
# of the prefix's registry, not of the program that starts them: the link's
# port goes there, and the server's own root serves them. Then the prefix
# starts once more, because a first boot on a busy machine can leave two
# service managers running side by side, each knowing other services.
"$WINE" reg add 'HKLM\System\CurrentControlSet\Control\Session Manager\Environment' /v ZAN_LINK_PORT /d "$port" /f \
    >>"$work/boot.log" 2>&1 || { cat "$work/boot.log" >&2; exit 1; }
"$wineserver" -k
"$wineserver" -w
"$wineserver" -p
ZAN_ROOT=$work/service-root timeout 300 "$WINE" wineboot >>"$work/boot.log" 2>&1 || { cat "$work/boot.log" >&2; exit 1; }

# ZAN_BIN for the suites: the simulator's tool from the hosted build, every
# Windows program behind a wrapper.
mkdir "$work/bin"
ln -s "$hosted_bin/zansim" "$work/bin/zansim"
for exe in "$windows_bin"/*.exe; do
    name=$(basename "$exe" .exe)
    printf '#!/bin/sh\nexec bash %q %q "$@"\n' "$top/tests/wine/program.sh" "$name" >"$work/bin/$name"
    chmod +x "$work/bin/$name"
done
# A root without a registry reads as a Windows machine without Zan adapters.
cat >"$work/empty.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\Scsi\Scsi Port 0]
"Driver"="atapi"

[HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\Scsi\Scsi Port 0\Scsi Bus 0]
REG

# A filter that keeps every test of a suite but its declared differences;
# prints nothing when the whole suite is left out.
declare -A left_out=()
while IFS='|' read -r suite name reason; do
    suite=$(xargs <<<"$suite") name=$(sed 's/^ *//;s/ *$//' <<<"$name") reason=$(sed 's/^ *//' <<<"$reason")
    left_out["$suite|$name"]=$reason
done < <(grep -v '^#' "$top/tests/wine/differences" | grep -v '^[[:space:]]*$')

status=0
for suite in "${suites[@]}"; do
    base=$(basename "$suite")
    if [[ -n ${left_out["$base|*"]:-} ]]; then
        echo "# $base: left out under Wine: ${left_out["$base|*"]}"
        continue
    fi
    names=()
    while IFS= read -r name; do
        if [[ -n ${left_out["$base|$name"]:-} ]]; then
            echo "# $base: \"$name\" left out under Wine: ${left_out["$base|$name"]}"
        else
            names+=("$(sed 's/[][\\^$.|?*+(){}]/\\&/g' <<<"$name")")
        fi
    done < <(sed -n 's/^@test "\(.*\)" {$/\1/p' "$suite")
    filter=$(IFS='|'; echo "^(${names[*]})\$")
    # Wine now and then fails to start a program at all; a suite that fails
    # runs once more, and says so, before it counts as failed.
    if ! ZAN_BIN=$work/bin bats --filter "$filter" "$suite"; then
        echo "# $base: failed under Wine; running it once more"
        ZAN_BIN=$work/bin bats --filter "$filter" "$suite" || status=1
    fi
done
exit $status
