#!/usr/bin/env bash
# Checks that a Windows build is a product build: no binary imports or
# exports a socket function (the simulator link of the test builds is absent)
# and none carries the link's test hook.
#
# Usage: product_check.sh WINDOWS_BIN_FOLDER. OBJDUMP names the objdump
# (default: i686-w64-mingw32-objdump). Prints one line per binary and exits 1
# when one fails.
set -u
[[ $# -eq 1 && -d $1 ]] || { echo "usage: $0 WINDOWS_BIN_FOLDER" >&2; exit 2; }
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
failed=0
for file in "$1"/*.exe "$1"/*.dll; do
    [[ -f $file ]] || continue
    name=$(basename "$file")
    dump=$("$objdump" -p "$file") || { echo "FAIL $name: objdump cannot read it"; failed=1; continue; }
    imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump" | grep -Ei '^(ws2_32|wsock32|mswsock)\.dll$' | tr '\n' ' ')
    exports=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" |
        grep -Eiw 'socket|connect|recv|send|WSAStartup|closesocket' | tr -s ' \n' ' ')
    if [[ -n $imports || -n $exports ]]; then
        echo "FAIL $name: socket imports: ${imports:-none}; socket exports: ${exports:-none}"
        failed=1
    elif grep -q ZAN_LINK_PORT "$file"; then
        echo "FAIL $name: carries the simulator link's test hook"
        failed=1
    else
        echo "PASS $name is a product binary"
    fi
done
exit $failed
