#!/bin/sh
# Fails when the hosted platform layer ($1) exports anything but its API:
# every defined dynamic symbol must lie in namespace plat, outside
# plat::hosted (the backend's own helpers); no sim:: symbol may leak.
set -eu
symbols=$(nm -DC --defined-only "$1" | cut -d' ' -f3-)
[ -n "$symbols" ] || { echo "no exports in $1"; exit 1; }
leaked=$(printf '%s\n' "$symbols" | grep -v '^plat::' || true)
leaked="$leaked$(printf '%s\n' "$symbols" | grep '^plat::hosted::' || true)"
if [ -n "$leaked" ]; then
    echo "$1 exports internals:"
    printf '%s\n' "$leaked"
    exit 1
fi
printf '%s exports %s symbols, all of the platform API\n' "$1" "$(printf '%s\n' "$symbols" | wc -l)"
