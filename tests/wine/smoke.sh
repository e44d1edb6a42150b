#!/usr/bin/env bash
# Smoke test of a Windows build: checks the built binaries' format and
# exports, then runs them in a fresh Wine prefix (a machine without adapters)
# and compares their output and exit status exactly. ZAN_WIN_ARCH names the
# build: i686 (the product, default) or x86_64 (the same sources, for hosts
# that cannot run 32-bit programs).
#
# Usage: smoke.sh WINDOWS_BIN_FOLDER
# Prints one line per check and a closing "N passed, M failed" line. Exits 1
# when a check failed. When this machine cannot run 32-bit Windows programs,
# the run-time checks are reported as skipped, with the reason; setting
# ZAN_WINE_REQUIRED=1 turns such skips into failures. WINE names the Wine
# loader (default: wine).
set -u

if [[ $# -ne 1 || ! -d $1 ]]; then
    echo "usage: $0 WINDOWS_BIN_FOLDER" >&2
    exit 2
fi
bin=$(cd "$1" && pwd)
arch=${ZAN_WIN_ARCH:-i686}
case $arch in
    i686) pe_format=pei-i386 pe_magic='010b[[:space:]]+\(PE32\)' pe_name="PE32 for i386" ;;
    x86_64) pe_format=pei-x86-64 pe_magic='020b[[:space:]]+\(PE32\+\)' pe_name="PE32+ for x86-64" ;;
    *) echo "ZAN_WIN_ARCH must be i686 or x86_64" >&2; exit 2 ;;
esac
objdump=${OBJDUMP:-$arch-w64-mingw32-objdump}
wine=${WINE:-wine}

passed=0
failed=0
skipped=0
pass() { echo "PASS $1"; passed=$((passed + 1)); }
fail() { echo "FAIL $1: $2"; failed=$((failed + 1)); }
skip() {
    if [[ ${ZAN_WINE_REQUIRED:-0} == 1 ]]; then
        fail "$1" "$2"
    else
        echo "SKIP $1: $2"
        skipped=$((skipped + 1))
    fi
}

work=$(mktemp -d)
prefix_ready=0
cleanup() {
    if [[ $prefix_ready == 1 ]]; then
        wineserver -k >/dev/null 2>&1
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# ---- Expected texts ---------------------------------------------------------

# The exports each library's public header declares.
lib=$(cd "$(dirname "$0")/../../lib" && pwd)
mapfile -t exports_expected < <(sed -n 's/^ZANEXPORT .* ZANAPI \([A-Za-z_]*\)(.*/\1/p' "$lib/ctl/include/zandllctl.h")
mapfile -t pth_exports_expected < <(sed -n 's/^ZANPASEXPORT int ZANPASAPI \([A-Za-z]*\)(.*/\1/p' \
    "$lib/pth/include/zandllpth.h")

# The usage text: 30 lines and the newline that follows them, which the tool's
# output adds to the text's own last one, so an empty line closes it.
usage_expected=$(cd "$(dirname "$0")/../expected" && pwd)/zancli-usage.txt
pth_usage_expected=$(cd "$(dirname "$0")/../expected" && pwd)/zanpth-usage.txt


# ---- Static checks: format, exports, self-contained binaries -----------------

# check_dll_format NAME EXPORT...: the DLL's format and its exact export list.
check_dll_format() {
    local name=$1
    shift
    local dll=$bin/$name
    if [[ ! -f $dll ]]; then
        fail "$name is $pe_name" "$dll not found"
        return
    fi
    local dump
    dump=$("$objdump" -p "$dll" 2>&1)
    if grep -q "file format $pe_format" <<<"$dump" && grep -Eq "^Magic[[:space:]]+$pe_magic" <<<"$dump"; then
        pass "$name is $pe_name"
    else
        fail "$name is $pe_name" "$(grep -E 'file format|^Magic' <<<"$dump" | tr '\n\t' '  ')"
    fi

    local got want
    got=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" |
        sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | LC_ALL=C sort)
    want=$(printf '%s\n' "$@" | LC_ALL=C sort)
    if [[ $got == "$want" ]]; then
        pass "$name exports exactly the $# undecorated names"
    else
        fail "$name exports exactly the $# undecorated names" \
            "differences (< expected, > found): $(diff <(echo "$want") <(echo "$got") | grep '^[<>]' | tr '\n' ' ')"
    fi
}

# A binary that imports the compiler's runtime DLLs does not start on a
# machine that has only the shipped files.
check_self_contained() {
    local file name imports
    for file in "$bin"/*.exe "$bin"/*.dll; do
        [[ -f $file ]] || continue
        name=$(basename "$file")
        imports=$("$objdump" -p "$file" 2>/dev/null | sed -n 's/^[[:space:]]*DLL Name: //p' |
            grep -Ei '^(libstdc\+\+|libgcc|libwinpthread)' | tr '\n' ' ')
        if [[ -z $imports ]]; then
            pass "$name needs no compiler runtime DLL"
        else
            fail "$name needs no compiler runtime DLL" "imports $imports"
        fi
    done
}

# ---- Run-time checks under Wine ------------------------------------------------

# run EXE ARGS...: runs a program from the bin folder with no input; leaves its
# standard output, CRs removed, in $work/out and its exit status in $status.
run() {
    local exe=$1
    shift
    (cd "$bin" && timeout 120 "$wine" "$bin/$exe" "$@" </dev/null >"$work/out.raw" 2>"$work/err")
    status=$?
    tr -d '\r' <"$work/out.raw" >"$work/out"
}

# expect NAME STATUS EXPECTED-FILE: compares the last run exactly.
expect() {
    local name=$1 want_status=$2 want_file=$3
    if [[ $status -ne $want_status ]]; then
        fail "$name" "exit status $status, expected $want_status; output: $(head -c 300 "$work/out" | tr '\n' '|')"
    elif ! cmp -s "$work/out" "$want_file"; then
        fail "$name" "output differs: $(diff "$want_file" "$work/out" | head -n 6 | tr '\n' '|')"
    else
        pass "$name"
    fi
}

expect_text() {
    printf '%s\n' "${@:3}" >"$work/expected"
    expect "$1" "$2" "$work/expected"
}

start_prefix() {
    export WINEPREFIX=$work/prefix WINEDEBUG=-all
    if ! command -v "$wine" >/dev/null; then
        wine_unavailable="$wine is not installed"
        return 1
    fi
    if ! timeout 300 "$wine" wineboot -i >"$work/boot.log" 2>&1; then
        if grep -q 'Exec format error' "$work/boot.log"; then
            wine_unavailable="this machine cannot run $arch programs (the kernel has no 32-bit emulation)"
        else
            wine_unavailable="wineboot failed: $(tail -n 2 "$work/boot.log" | tr '\n' ' ')"
        fi
        return 1
    fi
    prefix_ready=1
}

runtime_checks=("zancli -v" "zancli -h" "zancli -AdpCount" "zancli -foo" "zanlog without adapters" "zanservice outside the service manager" "zanpth usage" "zanpth loads zandllpth.dll" "dllcheck" "platcheck")

run_checks() {
    run zancli.exe -v
    expect_text "zancli -v" 0 "    Meridan RAID Adapter Command Line Tool Ver 2.1" \
        "    Copyright (C) 2009 Meridan. All rights reserved."

    run zancli.exe -h
    expect "zancli -h" 0 "$usage_expected"

    run zancli.exe -AdpCount
    expect_text "zancli -AdpCount" 0 "Adapter Count: 0."

    # An exit status of -1 reaches the shell as 255.
    run zancli.exe -foo
    expect_text "zancli -foo" 255 "-foo param is not supported."

    # The log tool scans for adapters before it reads its command line; the
    # exit status is the error code's low byte (1004).
    run zanlog.exe ZAN_0_RaidLog 'C:\'
    expect_text "zanlog without adapters" 236 "ZAN1004-E Meridan Raid Controller is not found."

    # Started by hand, the service's dispatcher finds no service manager
    # (after about 10 s under Wine): it writes nothing and exits with 1.
    run zanservice.exe
    : >"$work/expected"
    expect "zanservice outside the service manager" 1 "$work/expected"

    # zanpth loads zandllpth.dll before it reads its command line: the usage
    # text, and a command run to its end, show that the load and release worked.
    run zanpth.exe
    expect "zanpth usage" 1 "$pth_usage_expected"
    run zanpth.exe PDOneSectorRead 0 8 0
    expect_text "zanpth loads zandllpth.dll" 0 "Ileagal Physical HDD No. HDDNo=8." \
        "ZAN0002-I PassThrough Tool abnormal end."

    run dllcheck.exe "${exports_expected[@]}"
    expect_text "dllcheck" 0 "2.1"

    # platcheck prints one line per broken expectation of the platform layer.
    run platcheck.exe
    : >"$work/expected"
    expect "platcheck" 0 "$work/expected"
}

check_dll_format zandllctl.dll "${exports_expected[@]}"
check_dll_format zandllpth.dll "${pth_exports_expected[@]}"
check_self_contained
wine_unavailable=
if start_prefix; then
    run_checks
else
    for name in "${runtime_checks[@]}"; do
        skip "$name" "$wine_unavailable"
    done
fi

if [[ $skipped -gt 0 ]]; then
    echo "$passed passed, $failed failed, $skipped skipped"
else
    echo "$passed passed, $failed failed"
fi
[[ $failed -eq 0 ]]
