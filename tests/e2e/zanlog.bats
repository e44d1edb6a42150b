#!/usr/bin/env bats
# zanlog on simulated machines: every adapter log type with its exact size
# and contents, the firmware dump copy, the console messages, the output
# folder's rules and the automatic mode's folder, size limit and reports.

load machine
load zanlog

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    zansim="$ZAN_BIN/zansim"
    zanlog="$ZAN_BIN/zanlog"
    out="$BATS_TEST_TMPDIR/out"
    mkdir -p "$out"
}

# Appends registry keys (REG file lines) to the machine's registry.
registry() {
    printf '\n%s\n' "$@" >>"$ZAN_ROOT/registry.reg"
}

# The one file in the output folder; fails unless there is exactly one.
only_file() {
    local files=("$out"/*)
    [ "${#files[@]}" -eq 1 ] && [ -f "${files[0]}" ] && printf '%s\n' "${files[0]}"
}

general_error() { # TYPE CODE
    printf 'ZAN1005-E The error occurred while gathering the log.\nZAN1006-E Log type : %s\nZAN1007-E Error code : %s' "$1" "$2"
}

two_adapters() {
    machine <<'SCENARIO'
[adapter 2]
driver = Qvm1drv
[drive 0]
[adapter 3]
driver = zandrv
[drive 0]
SCENARIO
}

@test "RAID log: the adapter's 4096-entry event ring, 2 MiB byte for byte" {
    "$zansim" create "$ZAN_SOURCE/sim/scenarios/one" >/dev/null
    "$zansim" event 2 20 3 0x5c:20 0x50:efbeadde 0x1fe:abcd
    "$zansim" fail 2 3
    run "$zanlog" ZAN_0_RaidLog "$out"
    [ "$status" -eq 0 ]
    [ "$output" = "ZAN1000-I RAID Log Get Success" ]
    file=$(only_file)
    [[ "$(basename "$file")" =~ ^[0-9]{14}_ZAN_0_RaidLog$ ]]
    [ "$(stat -c %s "$file")" -eq 2097152 ]
    cmp "$file" "$ZAN_ROOT/adapters/port2.events"
}

@test "NVRAM log by driver kind: 8 KiB behind Qvm1drv, 32 KiB behind zandrv" {
    two_adapters
    "$ZAN_BIN/nvram_image" 0 >"$BATS_TEST_TMPDIR/nvram0"
    run "$zanlog" zan_0_nvramlog "$out"
    [ "$status" -eq 0 ]
    [ "$output" = "ZAN1000-I NVRAM Log Get Success" ]
    file=$(only_file)
    [[ "$(basename "$file")" =~ ^[0-9]{14}_ZAN_0_NvramLog$ ]]
    [ "$(stat -c %s "$file")" -eq 8192 ]
    cmp "$file" "$BATS_TEST_TMPDIR/nvram0"
    rm "$file"

    # A zandrv port's NVRAM log is 64 pieces: the image the library reads,
    # then the unused rest of the adapter's 32 KiB buffer.
    "$ZAN_BIN/nvram_image" 1 >"$BATS_TEST_TMPDIR/nvram1"
    head -c 24576 /dev/zero >>"$BATS_TEST_TMPDIR/nvram1"
    run "$zanlog" ZAN_1_NvramLog "$out"
    [ "$status" -eq 0 ]
    [ "$output" = "ZAN1000-I NVRAM Log Get Success" ]
    file=$(only_file)
    [ "$(stat -c %s "$file")" -eq 32768 ]
    cmp "$file" "$BATS_TEST_TMPDIR/nvram1"
}

@test "Qvmraid ports: the Kalviro keys give the driver kind, a port without them is passed over" {
    machine <<'SCENARIO'
[adapter 2]
driver = Qvmraid
[drive 0]
[adapter 3]
driver = zandrv
[drive 0]
SCENARIO
    # Without either key the port is reported and controller 0 is the zandrv
    # port for the tool alone; the library still counts both.
    run "$zanlog" ZAN_1_RaidLog "$out"
    [ "$output" = "$(general_error "Log Type Unknown" 2)
ZAN1004-E Meridan Raid Controller is not found." ]
    [ -z "$(ls "$out")" ]

    registry '[HKEY_LOCAL_MACHINE\SOFTWARE\Kalviro\QVM20C]'
    run "$zanlog" ZAN_0_NvramLog "$out"
    [ "$output" = "ZAN1000-I NVRAM Log Get Success" ]
    [ "$(stat -c %s "$(only_file)")" -eq 32768 ]
    rm "$out"/*

    registry '[HKEY_LOCAL_MACHINE\SOFTWARE\Kalviro\QVM25C]'
    run "$zanlog" ZAN_0_NvramLog "$out"
    [ "$status" -eq 0 ]
    [ "$output" = "ZAN1000-I NVRAM Log Get Success" ]
    [ "$(stat -c %s "$(only_file)")" -eq 8192 ]
}

@test "firmware trace log: the 128 KiB trace area byte for byte; a refusing adapter leaves no file and is reported" {
    "$zansim" create "$ZAN_SOURCE/sim/scenarios/one" >/dev/null
    # One refused piece is sent again (the library's two requests come first).
    "$zansim" fault at 2 3 status 0x8003
    run "$zanlog" ZAN_0_FWTrcLog "$out"
    [ "$status" -eq 0 ]
    [ "$output" = "ZAN1000-I Firmware Trace Log Get Success" ]
    file=$(only_file)
    [[ "$(basename "$file")" =~ ^[0-9]{14}_ZAN_0_FWTrcLog$ ]]
    [ -z "$(trace_area_differs "$file")" ]
    rm "$file"

    # A first piece that gets no answer is not sent again: no file is left.
    "$zansim" fault at 2 3 silent
    run "$zanlog" ZAN_0_FWTrcLog "$out"
    [ "$status" -eq 121 ]
    [ "$output" = "$(general_error "Firmware Trace Log" 121)" ]
    [ -z "$(ls "$out")" ]

    # Automatic mode: the folder is made, nothing is printed, the result goes
    # to the Event Log under the service's source.
    while IFS='|' read -r fault event; do
        "$zansim" eventlog clear
        "$zansim" fault at 2 3 $fault
        run "$zanlog" ZAN_0_FWTrcLog "$out/Log" -AutomaticLog
        [ -z "$output" ]
        [ -d "$out/Log" ] && [ -z "$(ls "$out/Log")" ]
        [ "$("$zansim" eventlog)" = "1 Error zanservice 0xE0001244: The F/W Trace Log error occurred when the zanlog was executed.  $event" ]
    done <<'CASES'
silent|Error code : 121 Detailedcode: 50ffffff.
busy 351|Error code : 1011 Detailedcode: 50ffffff.
CASES
    "$zansim" eventlog clear
    "$zanlog" ZAN_0_FWTrcLog "$out/Log" -AutomaticLog
    [ -z "$(trace_area_differs "$out"/Log/*_ZAN_0_FWTrcLog)" ]
    [ "$("$zansim" eventlog)" = "1 Information zanservice 0x60001249: F/W Trace Log Get complete Success." ]
}

@test "firmware dump: dump before dump0, copied whole; a missing or unreadable dump is told" {
    "$zansim" create "$ZAN_SOURCE/sim/scenarios/one" >/dev/null
    dumps="$BATS_TEST_TMPDIR/dumps"
    mkdir -p "$dumps/CONTno0"
    registry '[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\zanservice]' "\"DumpDir\"=\"$dumps\""

    run "$zanlog" ZAN_0_FWDump "$out"
    [ "$status" -ne 0 ]
    [ "$output" = "ZAN1001-I RAID there is not dump file." ]
    [ -z "$(ls "$out")" ]

    head -c 70000 /dev/urandom >"$dumps/CONTno0/dump0"
    run "$zanlog" ZAN_0_FWDump "$out"
    [ "$status" -eq 0 ]
    [ "$output" = "ZAN1000-I Firmware Dump Log Get Success" ]
    file=$(only_file)
    [[ "$(basename "$file")" =~ ^[0-9]{14}_ZAN_0_FWDump$ ]]
    cmp "$file" "$dumps/CONTno0/dump0"
    rm "$file"

    # A "dump" that cannot be read as a file leaves dump0 to be copied.
    mkdir "$dumps/CONTno0/dump"
    run "$zanlog" ZAN_0_FWDump "$out"
    [ "$status" -eq 0 ]
    cmp "$(only_file)" "$dumps/CONTno0/dump0"
    rm "$out"/* && rmdir "$dumps/CONTno0/dump"

    head -c 1024 /dev/urandom >"$dumps/CONTno0/dump"
    run "$zanlog" ZAN_0_FWDump "$out"
    [ "$status" -eq 0 ]
    cmp "$(only_file)" "$dumps/CONTno0/dump"
}

@test "console messages of the command line and of the library checks" {
    two_adapters
    run "$zanlog" ZAN_0_RaidLog
    [ "$status" -eq $((1001 % 256)) ]
    [ "$output" = "ZAN1001-E The parameter is incorrect." ]
    run "$zanlog" ZAN_0_Raid "$out"
    [ "$output" = "ZAN1001-E The parameter is incorrect." ]
    run "$zanlog" ZAN_0_FWDumpDirect "$out"
    [ "$output" = "ZAN1009-E Command is not support" ]
    run "$zanlog" ZAN_5_RaidLog "$out"
    [ "$output" = "ZAN1004-E Meridan Raid Controller is not found." ]
    # Automatic mode allows the trace log alone and reports nothing else.
    run "$zanlog" ZAN_0_RaidLog "$out" -AutomaticLog
    [ "$status" -ne 0 ]
    [ -z "$output" ]
    [ -z "$("$zansim" eventlog)" ]
    # The third argument must be the switch exactly.
    run "$zanlog" ZAN_0_NvramLog "$out" -automaticlog
    [ "$output" = "ZAN1000-I NVRAM Log Get Success" ]
    [ -f "$(only_file)" ]

    "$zansim" create "$ZAN_SOURCE/sim/scenarios/empty" >/dev/null
    run "$zanlog" ZAN_0_RaidLog "$out"
    [ "$output" = "ZAN1004-E Meridan Raid Controller is not found." ]
}

@test "busy beyond the limits is a time-out; 350 busy answers are waited out" {
    two_adapters
    # The library's discovery and check make two requests; the tool's
    # READ BUFFER pieces are the third and on.
    "$zansim" fault at 2 4 busy 350
    run "$zanlog" ZAN_0_NvramLog "$out"
    [ "$output" = "ZAN1000-I NVRAM Log Get Success" ]
    rm "$out"/*

    # The second piece stays busy: the first piece's 512 bytes stay.
    "$zansim" fault at 2 4 busy 351
    run "$zanlog" ZAN_0_NvramLog "$out"
    [ "$status" -ne 0 ]
    [ "$output" = "ZAN1010-E time-out when gathering the log.
ZAN1006-E Log type : NVRAM Log" ]
    [ "$(stat -c %s "$(only_file)")" -eq 512 ]
    rm "$out"/*

    # The library's own check stays busy: no file is made.
    "$zansim" fault at 2 2 busy 351
    run "$zanlog" ZAN_0_RaidLog "$out"
    [ "$output" = "ZAN1010-E time-out when gathering the log.
ZAN1006-E Log type : RAID Log" ]
    [ -z "$(ls "$out")" ]
}

@test "FOLDER: missing, a file, too long or unwritable is a general error; both separators work" {
    two_adapters
    run "$zanlog" ZAN_0_NvramLog "$out/missing"
    [ "$output" = "$(general_error "NVRAM Log" 2)" ]
    touch "$out/file"
    run "$zanlog" ZAN_0_NvramLog "$out/file"
    [ "$output" = "$(general_error "NVRAM Log" 267)" ]
    run "$zanlog" ZAN_0_NvramLog "$out/$(printf 'd%.0s' $(seq 300))"
    [ "$output" = "$(general_error "NVRAM Log" 206)" ]
    run "$zanlog" ZAN_0_NvramLog /proc/self
    [[ "$output" == "$(general_error "NVRAM Log" "")"* ]]
    [ "$status" -ne 0 ]
    rm "$out/file"

    # A Windows-style relative folder, from the folder above it.
    mkdir "$out/sub"
    cd "$BATS_TEST_TMPDIR"
    run "$zanlog" ZAN_0_NvramLog 'out\sub'
    [ "$output" = "ZAN1000-I NVRAM Log Get Success" ]
    [ "$(stat -c %s "$out"/sub/*_ZAN_0_NvramLog)" -eq 8192 ]
}

@test "automatic mode: the folder over its limit loses its oldest trace log, one per run" {
    "$zansim" create "$ZAN_SOURCE/sim/scenarios/one" >/dev/null
    log="$out/Log"
    mkdir -p "$log/sub"
    head -c $((3 * 1048576)) /dev/zero >"$log/sub/big"
    : >"$log/20090102000000_ZAN_0_FWTrcLog"
    head -c 1048576 /dev/zero >"$log/20090101000000_ZAN_0_FWTrcLog"
    : >"$log/20080101000000_ZAN_0_RaidLog"
    # 4 MiB and one byte over the default limit of 4 MiB.
    printf x >"$log/note"
    "$zanlog" ZAN_0_FWTrcLog "$log" -AutomaticLog
    [ ! -e "$log/20090101000000_ZAN_0_FWTrcLog" ]
    [ -e "$log/20090102000000_ZAN_0_FWTrcLog" ]
    # Under the limit now, with the new 128 KiB trace log: nothing more goes.
    "$zanlog" ZAN_0_FWTrcLog "$log" -AutomaticLog
    [ -e "$log/20090102000000_ZAN_0_FWTrcLog" ]
    [ "$("$zansim" eventlog | grep -c 0x60001249)" -eq 2 ]

    # A limit of 1 MiB: the second old trace log goes.
    registry '[HKEY_LOCAL_MACHINE\SOFTWARE\Meridan\ZanUtility\ZanLog\Parameters\Log]' '"MaxAreaSizeForClog"=dword:00000001'
    "$zanlog" ZAN_0_FWTrcLog "$log" -AutomaticLog
    [ ! -e "$log/20090102000000_ZAN_0_FWTrcLog" ]
    [ "$("$zansim" eventlog | grep -c 0x60001249)" -eq 3 ]
    # Without a trace log left to delete the run ends, without a report.
    rm "$log"/*_FWTrcLog
    run "$zanlog" ZAN_0_FWTrcLog "$log" -AutomaticLog
    [ "$status" -eq 112 ]
    [ "$("$zansim" eventlog | wc -l)" -eq 3 ]
    [ -z "$(ls "$log"/*_FWTrcLog 2>/dev/null)" ]
    [ -e "$log/20080101000000_ZAN_0_RaidLog" ] && [ -e "$log/sub/big" ]
}
