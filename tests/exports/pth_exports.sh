#!/bin/sh
# Fails unless the hosted pass-through library ($1) exports exactly the
# functions its header ($2) declares, with C linkage (plain names).
set -eu
got=$(nm -D --defined-only "$1" | awk '$2 == "T" { print $3 }' | LC_ALL=C sort)
want=$(sed -n 's/^ZANPASEXPORT int ZANPASAPI \([A-Za-z]*\)(.*/\1/p' "$2" | LC_ALL=C sort)
if [ "$got" != "$want" ]; then
    echo "$1 exports other names than $2 declares:"
    printf 'expected:\n%s\nfound:\n%s\n' "$want" "$got"
    exit 1
fi
printf '%s exports exactly the %s functions of its header\n' "$1" "$(printf '%s\n' "$got" | wc -l)"
