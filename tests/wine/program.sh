#!/usr/bin/env bash
# Runs one program of the Windows build under Wine the way the end-to-end
# suites run a hosted one (tools/e2e.sh --windows makes one wrapper per
# program that calls this): the simulated root's registry is loaded into the
# Wine prefix first when the root or its registry changed, and the CR LF line
# ends of Windows text output become LF (a CR of its own stays). A terminal
# gets the program directly.
#
# Usage: program.sh NAME [ARGUMENTS...], with ZAN_WINDOWS_BIN, ZAN_WINE_WORK,
# WINE, WINEPREFIX and ZAN_LINK_PORT set by the runner.
set -uo pipefail
name=$1
shift

# The registry of the root the program works on, as regload takes it; a root
# without one is a machine without Zan adapters.
load_registry() {
    local root=${ZAN_ROOT:-${HOME:-/tmp}/.zan-root} source=$ZAN_WINE_WORK/empty.reg
    [[ -f $root/registry.reg ]] && source=$root/registry.reg
    {
        flock 9
        if [[ $(cat "$ZAN_WINE_WORK/loaded.root" 2>/dev/null) != "$root" ]] ||
            ! cmp -s "$source" "$ZAN_WINE_WORK/loaded.reg"; then
            rm -f "$ZAN_WINE_WORK/loaded.root"
            "$WINE" "$ZAN_WINDOWS_BIN/regload.exe" "$source" >&2 || return 1
            cp "$source" "$ZAN_WINE_WORK/loaded.reg"
            printf '%s' "$root" >"$ZAN_WINE_WORK/loaded.root"
        fi
    } 9>"$ZAN_WINE_WORK/registry.lock"
}

load_registry || exit 125
if [[ -t 1 ]]; then
    exec "$WINE" "$ZAN_WINDOWS_BIN/$name.exe" "$@"
fi
errors=$(mktemp "$ZAN_WINE_WORK/stderr.XXXXXX")
"$WINE" "$ZAN_WINDOWS_BIN/$name.exe" "$@" 2>"$errors" | perl -pe 'BEGIN { $| = 1 } s/\r\n\z/\n/'
status=$?
perl -pe 's/\r\n\z/\n/' "$errors" >&2
rm -f "$errors"
exit $status
