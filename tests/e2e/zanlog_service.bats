#!/usr/bin/env bats
# The monitoring service and the log tool together: a listed event makes the
# service run zanlog for the adapter's firmware trace log in automatic mode,
# which reports under the service's source into the same Event Log; the dump
# the service writes is the one zanlog copies.

load zanlog

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    zansim="$ZAN_BIN/zansim"
    bin="$BATS_TEST_TMPDIR/bin"
    dumps="$BATS_TEST_TMPDIR/dumps/zan"
    # The service finds the log tool in its own folder; the log folder is
    # that folder's "\Log".
    mkdir "$bin"
    cp "$ZAN_BIN"/zanservice "$ZAN_BIN"/zanlog "$ZAN_BIN"/lib*.so "$bin/"
}

teardown() {
    if "$zansim" service stop zanservice 2>/dev/null; then
        "$zansim" service wait zanservice STOPPED
    fi
}

# PTime, an EventID list holding the drive-failure code, and a DumpDir
# written with backslashes as on Windows.
service_keys() {
    local key='HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\zanservice'
    printf '\n[%s]\n"DumpDir"="%s\\\\dumps\\\\zan"\n' "$key" "$BATS_TEST_TMPDIR" >>"$ZAN_ROOT/registry.reg"
    printf '\n[%s]\n"PTime"=dword:%08x\n\n[%s\\EventID]\n"failed"=dword:00001000\n' \
        "$key\\Parameters\\Log" "$1" "$key\\Parameters\\Log" >>"$ZAN_ROOT/registry.reg"
}

cycle() {
    "$zansim" clock advance 120
    "$zansim" service idle zanservice
}

start_service() {
    "$zansim" create "$ZAN_SOURCE/sim/scenarios/one" >/dev/null
    service_keys "$1"
    "$zansim" clock set 1230797103
    "$zansim" service start zanservice "$bin/zanservice" >/dev/null
    "$zansim" service idle zanservice
}

@test "a listed event runs zanlog for the trace log: the trace area in the Log folder and its success report" {
    start_service 1
    "$zansim" fail 2 3
    cycle
    trace=("$bin"/Log/*_ZAN_0_FWTrcLog)
    [ "${#trace[@]}" -eq 1 ]
    [ -z "$(trace_area_differs "${trace[0]}")" ]
    run "$zansim" eventlog
    [ "${lines[-1]}" = "${#lines[@]} Information zanservice 0x60001249: F/W Trace Log Get complete Success." ]
}

@test "an adapter that no longer answers when the trace is due: error 1004 in the report" {
    start_service 3  # the poll at the start counts as one cycle
    "$zansim" fail 2 3
    cycle
    [ ! -e "$bin/Log" ]
    "$zansim" fault silent 2 on
    cycle
    run "$zansim" eventlog
    [ "${lines[-1]}" = "${#lines[@]} Error zanservice 0xE0001244: The F/W Trace Log error occurred when the zanlog was executed.  Error code : 1004 Detailedcode: 50ffffff." ]
}

@test "the panic dump the service writes under its DumpDir is the one zanlog copies" {
    start_service 1
    "$zansim" panic 2 0x12345678
    cycle
    [ "$("$zansim" eventlog | tail -n 1)" = "3 Information zanservice 0x6000010C: Controller [0] Dump file was created." ]
    out="$BATS_TEST_TMPDIR/out"
    mkdir "$out"
    run "$bin/zanlog" ZAN_0_FWDump "$out"
    [ "$output" = "ZAN1000-I Firmware Dump Log Get Success" ]
    cmp "$out"/*_ZAN_0_FWDump "$dumps/CONTno0/dump0"
}
