#!/usr/bin/env bats
# zanservice's dumps on simulated machines, on the stopped clock: the stored
# dump an adapter offers at start-up, the panic dump after a firmware panic,
# and every DumpDir that gives no dump (monitoring goes on).

load machine

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    zansim="$ZAN_BIN/zansim"
    dumps="$BATS_TEST_TMPDIR/dumps"
}

teardown() {
    if "$zansim" service stop zanservice 2>/dev/null; then
        "$zansim" service wait zanservice STOPPED
    fi
}

# A machine with one adapter (port 2) and the service's keys: an empty
# EventID list and the given value lines in the service's own key.
machine_with_keys() {
    "$zansim" create "$ZAN_SOURCE/sim/scenarios/one" >/dev/null
    local key='HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\zanservice'
    {
        printf '\n[%s]\n' "$key"
        printf '%s\n' "$@"
        printf '\n[%s\\Parameters\\Log\\EventID]\n' "$key"
    } >>"$ZAN_ROOT/registry.reg"
}

start_service() {
    "$zansim" clock set 1230797103
    "$zansim" service start zanservice "$ZAN_BIN/zanservice" >/dev/null
    "$zansim" service idle zanservice
}

stop_service() {
    "$zansim" service stop zanservice
    "$zansim" service wait zanservice STOPPED
}

# Bytes whose every 32-bit word (little-endian) holds its own address, from
# FIRST for COUNT words.
pattern() {
    perl -e 'print pack("V*", map { oct($ARGV[0]) + 4 * $_ } 0 .. $ARGV[1] - 1)' "$1" "$2"
}

@test "a firmware panic is followed by 1 MiB of adapter memory from 0xF00000 in dump0, the next panic in dump" {
    machine_with_keys "\"DumpDir\"=\"$dumps/zan\""
    start_service
    "$zansim" panic 2 0x12345678
    "$zansim" clock advance 120
    "$zansim" service idle zanservice
    run "$zansim" eventlog
    [ "$output" = "1 Information zanservice 0x60000010: zanservice was started.
2 Error zanservice 0xE0001130: Controller [0] Firmware panic occurred. errorcode = 0x[12345678]. Detailedcode: 30123456.
3 Information zanservice 0x6000010C: Controller [0] Dump file was created." ]
    run "$zansim" eventlog --data
    [ "${lines[-1]}" = "  data: 00 00 10 00" ]
    pattern 0xF00000 262144 >"$BATS_TEST_TMPDIR/memory"
    cmp "$dumps/zan/CONTno0/dump0" "$BATS_TEST_TMPDIR/memory"
    # Every folder up to DumpDir was tried, each on its own line.
    grep -qx "dtmp=$BATS_TEST_TMPDIR" "$ZAN_ROOT/services/zanservice.out"
    grep -qx "dtmp=$dumps/zan" "$ZAN_ROOT/services/zanservice.out"

    "$zansim" panic 2 0x9
    "$zansim" clock advance 120
    "$zansim" service idle zanservice
    [ "$("$zansim" eventlog | tail -n 1)" = "5 Information zanservice 0x6000010C: Controller [0] Dump file was created." ]
    [ "$(ls "$dumps/zan/CONTno0")" = "dump
dump0" ]
    cmp "$dumps/zan/CONTno0/dump" "$BATS_TEST_TMPDIR/memory"
}

@test "stored dumps at start-up: 1000 bytes give a 1024-byte dump0, the next one dump; an invalid status is reported" {
    machine_with_keys "\"DumpDir\"=\"$dumps\""
    "$zansim" dump 2 1000
    "$zansim" show | grep -qx '  Stored dump: 1000 bytes, status 1'
    start_service
    run "$zansim" eventlog --data
    [ "$output" = "1 Information zanservice 0x60000010: zanservice was started.
2 Information zanservice 0x6000010C: Controller [0] Dump file was created.
  data: e8 03 00 00" ]
    { pattern 0 250; printf '\0%.0s' $(seq 24); } >"$BATS_TEST_TMPDIR/first"
    cmp "$dumps/CONTno0/dump0" "$BATS_TEST_TMPDIR/first"
    # Read to its end, the dump counts as collected: a restart saves nothing.
    "$zansim" show | grep -qx '  Stored dump: 1000 bytes, status 2'
    stop_service
    start_service
    [ "$("$zansim" eventlog | wc -l)" -eq 3 ]
    stop_service

    "$zansim" dump 2 2000
    start_service
    stop_service
    { pattern 0 500; printf '\0%.0s' $(seq 48); } >"$BATS_TEST_TMPDIR/second"
    cmp "$dumps/CONTno0/dump" "$BATS_TEST_TMPDIR/second"
    cmp "$dumps/CONTno0/dump0" "$BATS_TEST_TMPDIR/first"

    "$zansim" eventlog clear
    "$zansim" dump 2 1000 9
    start_service
    run "$zansim" eventlog --data
    [ "${lines[1]}" = "2 Error zanservice 0xE0000104: Controller [255] Dump status is invalid. Detailedcode: ffffffff." ]
    [ "${lines[2]}" = "  data: 09" ]
    [ "${#lines[@]}" -eq 3 ]
}

@test "a DumpDir that is missing, of the wrong type, too long, relative or on a full volume gives no dump, and monitoring goes on" {
    long=$(printf 'x%.0s' $(seq 261))
    not_created="Warning zanservice 0xA000010D: Controller [0] Dump file was not created."
    query="Warning zanservice 0xA0000041: zanservice failed to access registry keys.Query zanservice : "
    while IFS='|' read -r value cap expected; do
        machine_with_keys ${value:+"$value"}
        [ -z "$cap" ] || "$zansim" freespace "$cap"
        "$zansim" dump 2 1000
        start_service
        "$zansim" clock advance 120
        "$zansim" service idle zanservice
        stop_service
        run "$zansim" eventlog --data
        [ "$(printf '%s\n' "${lines[@]:1}")" = "$(printf "$expected" "$query" "$not_created")" ]
        [ "$("$zansim" service status zanservice)" = "SERVICE_STOPPED controls=0x0 checkpoint=0 waithint=0 exitcode=0 specific=0 type=0x30" ]
        [ ! -e "$dumps" ]
    done <<CASES
||2 %sThe system cannot find the file specified..\n3 %s
"DumpDir"=dword:00000001||2 %sThe data is invalid..\n3 %s
"DumpDir"="$dumps$long"||2 %sMore data is available..\n3 %s
"DumpDir"="dumps"||2 %.0s%s\n  data: a1 00 00 00
"DumpDir"="$dumps"|999|2 %.0s%s
CASES
}
