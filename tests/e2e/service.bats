#!/usr/bin/env bats
# zanservice on simulated machines, on the stopped clock: every poll cycle
# and timed wait moves only with zansim clock advance, and zansim service
# idle returns once the service sits in its next wait.

load machine

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    zansim="$ZAN_BIN/zansim"
}

teardown() {
    if "$zansim" service stop zanservice 2>/dev/null; then
        "$zansim" service wait zanservice STOPPED
    fi
}

# The service's registry keys as the package installs them: an empty
# EventID list, then the given REG_DWORD lines ("name"=dword:...) in it.
service_keys() {
    local key='HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\zanservice\Parameters\Log'
    {
        printf '\n[%s]\n"PTime"=dword:%08x\n\n[%s\\EventID]\n' "$key" "${PTIME:-1}" "$key"
        printf '%s\n' "$@"
    } >>"$ZAN_ROOT/registry.reg"
}

start_service() {
    "$zansim" clock set 1230797103
    "$zansim" service start zanservice "$ZAN_BIN/zanservice" >/dev/null
}

# Moves the clock on by SECONDS and waits until the service waits again.
cycle() {
    "$zansim" clock advance "$1"
    "$zansim" service idle zanservice
}

@test "a failing drive and its logical drive reach the event log within one poll cycle, with the rebuild that follows" {
    "$zansim" create "$ZAN_SOURCE/sim/scenarios/one" >/dev/null
    service_keys
    start_service
    "$zansim" service idle zanservice
    "$zansim" show | grep -qx '  Monitoring service: started'
    run "$zansim" service status zanservice
    [ "$output" = "SERVICE_RUNNING controls=0x5 checkpoint=0 waithint=0 exitcode=0 specific=0 type=0x30" ]

    "$zansim" fail 2 3 0x25
    "$zansim" fail 2 1
    cycle 120
    # Within the cycle the hot spare took over, rebuilt and the logical drive
    # became optimal again.
    run "$zansim" eventlog
    [ "$output" = "1 Information zanservice 0x60000010: zanservice was started.
2 Warning zanservice 0xA0001000: Controller [0] Physical Drive [3] Failed .Drive status = 0x[25] Detailedcode: 18fff325.
3 Warning zanservice 0xA0001000: Controller [0] Physical Drive [1] Failed .Drive status = 0x[20] Detailedcode: 18fff120.
4 Error zanservice 0xE0001090: Controller[0] Logical Drive[0] status changed to Degraded. (Status = 0x[1]). Detailedcode: 24001fff.
5 Information zanservice 0x60001150: Controller [0] Rebuild started on Logical Drive[0].
6 Information zanservice 0x60001160: Controller [0] Rebuild completed on Logical Drive[0].
7 Information zanservice 0x60001030: Controller [0] Physical Drive [2] status changed to GOOD.
8 Information zanservice 0x600010B0: Controller[0] Logical Drive[0] status changed from Degraded to Optimal." ]
    # The raw data: "lastsens", the last sense bytes, "inquiry " and the drive's inquiry text.
    run "$zansim" eventlog --data
    [ "${lines[2]}" = "  data: 6c 61 73 74 73 65 6e 73 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 69 6e 71 75 69 72 79 20 4b 45 53 54 52 45 4c 20 4b 53 33 31 34 36 53 41 53 20 20 20 20 20 20 20 30 31 30 31 20 20 20 20 20 20 20 20 20 20 20 20 00 00 00 00 00 00 00 00" ]

    # Nothing is reported twice.
    cycle 120
    cycle 120
    [ "$("$zansim" eventlog | wc -l)" -eq 8 ]

    # A stop during the wait: every state of the table, the stop notice sent.
    "$zansim" service interrogate zanservice
    "$zansim" service stop zanservice
    "$zansim" service wait zanservice STOPPED
    run "$zansim" service history zanservice
    [ "$output" = "SERVICE_START_PENDING controls=0x0 checkpoint=1 waithint=90000 exitcode=0 specific=0 type=0x30
SERVICE_RUNNING controls=0x5 checkpoint=0 waithint=0 exitcode=0 specific=0 type=0x30
SERVICE_RUNNING controls=0x5 checkpoint=0 waithint=0 exitcode=0 specific=0 type=0x30
SERVICE_STOP_PENDING controls=0x5 checkpoint=1 waithint=600000 exitcode=0 specific=0 type=0x30
SERVICE_STOP_PENDING controls=0x0 checkpoint=1 waithint=60000 exitcode=0 specific=0 type=0x30
SERVICE_STOPPED controls=0x0 checkpoint=0 waithint=0 exitcode=0 specific=0 type=0x30" ]
    "$zansim" show | grep -qx '  Monitoring service: stops'
}

@test "without a zandrv port the service reports 0xA0000016 and stops by itself" {
    machine <<'SCENARIO'
[port 0]
driver = atapi
[port 1]
driver = Zandrv
SCENARIO
    start_service
    "$zansim" service wait zanservice STOPPED
    # Without the service's keys the EventID list can't be opened either.
    run "$zansim" eventlog
    [ "${lines[0]}" = "1 Warning zanservice 0xA0000041: zanservice failed to access registry keys.Open SYSTEM\CurrentControlSet\Services\zanservice\Parameters\Log\EventID : The system cannot find the file specified.." ]
    [ "${lines[1]}" = "2 Information zanservice 0x60000010: zanservice was started." ]
    [ "${lines[2]}" = "3 Warning zanservice 0xA0000016: zanservice failed to get driver registry." ]
    [ "${#lines[@]}" -eq 3 ]
    run "$zansim" service status zanservice
    [ "$output" = "SERVICE_STOPPED controls=0x0 checkpoint=0 waithint=0 exitcode=0 specific=0 type=0x30" ]
}

@test "an adapter that never answers: ten attempts 30 s apart, then 0xE0000015 per adapter and the error as exit code" {
    machine <<'SCENARIO'
[adapter 2]
controller_id = 1
[faults]
silent = yes
[adapter 5]
controller_id = 2
[faults]
silent = yes
SCENARIO
    service_keys
    start_service
    "$zansim" service idle zanservice
    for attempt in 1 2 3 4 5 6 7 8 9; do
        cycle 30
        [ "$("$zansim" eventlog | wc -l)" -eq 1 ]
    done
    "$zansim" clock advance 30
    "$zansim" service wait zanservice STOPPED
    run "$zansim" eventlog
    [ "$output" = "1 Information zanservice 0x60000010: zanservice was started.
2 Error zanservice 0xE0000015: zanservice was stopped : failed to get controller information. Detailedcode: 00ffffff.
3 Error zanservice 0xE0000015: zanservice was stopped : failed to get controller information. Detailedcode: 01ffffff." ]
    # The time-out of the last failed request ends both exit codes.
    run "$zansim" service status zanservice
    [ "$output" = "SERVICE_STOPPED controls=0x0 checkpoint=0 waithint=0 exitcode=121 specific=121 type=0x30" ]
}

@test "started outside the service controller the program reports it and exits with 1" {
    "$zansim" create "$ZAN_SOURCE/sim/scenarios/one" >/dev/null
    run "$ZAN_BIN/zanservice"
    [ "$status" -eq 1 ]
    [ "$output" = " [Kraid] StartServiceCtrlDispatcher error = 1063" ]
    run "$zansim" eventlog
    [[ "$output" == "1 Warning zanservice 0xA0000040: zanservice was stopped.StartServiceCtrlDispatcher : "* ]]
}

@test "a listed event starts the log tool at the end of the cycle; a missing tool is reported" {
    "$zansim" create "$ZAN_SOURCE/sim/scenarios/one" >/dev/null
    service_keys '"failed"=dword:00001000'
    # The service finds the log tool in its own folder: a stand-in that
    # records its command line.
    mkdir "$BATS_TEST_TMPDIR/bin"
    cp "$ZAN_BIN/zanservice" "$ZAN_BIN/libzanplatform.so" "$BATS_TEST_TMPDIR/bin/"
    printf '#!/bin/sh\necho "$*" >> "$ZAN_ROOT/zanlog-runs"\n' >"$BATS_TEST_TMPDIR/bin/zanlog"
    chmod +x "$BATS_TEST_TMPDIR/bin/zanlog"
    "$zansim" clock set 1230797103
    "$zansim" service start zanservice "$BATS_TEST_TMPDIR/bin/zanservice" >/dev/null
    "$zansim" service idle zanservice
    [ ! -e "$ZAN_ROOT/zanlog-runs" ]
    "$zansim" fail 2 3
    cycle 120
    [ "$(cat "$ZAN_ROOT/zanlog-runs")" = "ZAN_0_FWTrcLog $BATS_TEST_TMPDIR/bin\Log -AutomaticLog" ]

    rm "$BATS_TEST_TMPDIR/bin/zanlog"
    "$zansim" fail 2 0
    cycle 120
    run "$zansim" eventlog
    [ "${lines[-1]}" = "$((${#lines[@]})) Warning zanservice 0xA000124A: The start of zanlog failed." ]

    # SIGTERM is the stop control.
    kill -TERM "$(cat "$ZAN_ROOT/services/zanservice.pid")"
    "$zansim" service wait zanservice STOPPED
    "$zansim" service history zanservice | grep -qx 'SERVICE_STOP_PENDING controls=0x5 checkpoint=1 waithint=600000 exitcode=0 specific=0 type=0x30'
}

@test "entries the firmware writes are decoded with their raw data; garbled ones are read past" {
    "$zansim" create "$ZAN_SOURCE/sim/scenarios/one" >/dev/null
    service_keys
    start_service
    "$zansim" service idle zanservice
    "$zansim" event 2 20 3 0x5c:20 0x50:efbeadde 0x1fe:abcd  # class 32: firmware panic
    "$zansim" event 2 63 ff 0x40:ffffffffffffffff            # class 99: no such class
    "$zansim" event 2 21 4 0x50:01 0x52:01 0x54:45230100      # class 33: check, position 0x12345
    "$zansim" event 2 2 2 0x140:4800 0x142:00 0x144:21 0x145:02 0x21:01  # ignored
    cycle 120
    run "$zansim" eventlog --data
    [ "${lines[1]}" = "2 Error zanservice 0xE0001130: Controller [0] Firmware panic occurred. errorcode = 0x[deadbeef]. Detailedcode: 30deadbe." ]
    # The raw data is the entry from 0x40 to its end.
    zeros() { printf ' 00%.0s' $(seq "$1"); }
    [ "${lines[2]}" = "  data:$(zeros 16) ef be ad de$(zeros 8) 20$(zeros 417) ab cd" ]
    [ "${lines[3]}" = "3 Error zanservice 0xE00011D0: Controller [0] Parity Inconsistency occurred on Logical Drive [1]. Address = 0x[12345]." ]
    # The panic asks for a dump; without DumpDir none is written.
    [ "${lines[4]}" = "4 Warning zanservice 0xA0000041: zanservice failed to access registry keys.Query zanservice : The system cannot find the file specified.." ]
    [ "${lines[5]}" = "5 Warning zanservice 0xA000010D: Controller [0] Dump file was not created." ]
    [ "${#lines[@]}" -eq 6 ]
    "$zansim" event 2 zz 1 2>/dev/null && false
    run "$zansim" event 2 20 3 0x1ff:abcd
    [ "$status" -eq 2 ]
}
