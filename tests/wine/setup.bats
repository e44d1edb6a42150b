#!/usr/bin/env bats
# zansetup and zanraid.msi under Wine: install, a second install, uninstall
# without leftovers, the usage line and a missing package. Run by
# tools/e2e.sh --windows, which provides the Wine prefix and the programs.

setup() {
    [ -n "${ZAN_WINDOWS_BIN:-}" ] || skip "runs through tools/e2e.sh --windows"
    [ -f "$ZAN_WINDOWS_BIN/zanraid.msi" ] || skip "the build has no zanraid.msi (wixl is not installed)"
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    "$ZAN_BIN/zansim" create >/dev/null
    mkdir "$BATS_TEST_TMPDIR/media"
    cd "$BATS_TEST_TMPDIR/media"
}

SERVICE='HKLM\SYSTEM\CurrentControlSet\Services\zanservice'

# The data of value $2 of key $1, or nothing.
reg_value() {
    "$WINE" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}

reg_key_exists() {
    "$WINE" reg query "$1" >/dev/null 2>&1
}

@test "install, install again and uninstall without leftovers" {
    cp "$ZAN_WINDOWS_BIN/zanraid.msi" .
    run "$ZAN_BIN/zansetup" -install
    [ "$output" = "Zan Utility Install success." ]
    [ "$status" -eq 0 ]

    dump_dir=$(reg_value "$SERVICE" DumpDir)
    folder=$("$WINE" winepath -u "${dump_dir%Dump}" | tr -d '\r')
    for file in "$ZAN_WINDOWS_BIN"/zan*.exe "$ZAN_WINDOWS_BIN"/zan*.dll; do
        [ -f "$folder/$(basename "$file")" ]
    done
    [ "$(reg_value "$SERVICE" LogDir)" = "${dump_dir%Dump}Log" ]
    [ "$(reg_value "$SERVICE\\Parameters\\Log" PTime)" = "0x1" ]
    reg_key_exists "$SERVICE\\Parameters\\Log\\EventID"
    [ "$(reg_value 'HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\zanservice' EventMessageFile)" = \
        "${dump_dir%Dump}zanservice.exe" ]
    [ "$(reg_value 'HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\zanservice' TypesSupported)" = "0x7" ]
    [ "$(reg_value 'HKLM\SOFTWARE\Meridan\ZanUtility\ZanLog\Parameters\Log' MaxAreaSizeForClog)" = "0x4" ]
    reg_key_exists 'HKLM\SOFTWARE\Meridan\zanutility'
    [ "$(reg_value 'HKLM\SYSTEM\CurrentControlSet\Services\Disk' TimeoutValue)" = "0x3c" ]

    run "$ZAN_BIN/zansetup" -INSTALL
    [ "$output" = "Zan Utility Install success." ]

    run "$ZAN_BIN/zansetup" -uninstall extra
    [ "$output" = "Zan Utility Uninstall success." ]
    [ ! -e "$folder" ] || [ -z "$(ls -A "$folder")" ]
    ! reg_key_exists "$SERVICE"
    ! reg_key_exists 'HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\zanservice'
    ! reg_key_exists 'HKLM\SOFTWARE\Meridan\ZanUtility'
    ! reg_key_exists 'HKLM\SOFTWARE\Meridan\zanutility'
}

@test "the usage line, and a missing package" {
    program=$("$WINE" winepath -w "$ZAN_WINDOWS_BIN/zansetup.exe" | tr -d '\r')
    for arguments in "" "-Install" "-uninstal" "install -install"; do
        run "$ZAN_BIN/zansetup" $arguments
        [ "$status" -eq 0 ]
        [ "$output" = "usage: $program [-INSTALL | -install | -UNINSTALL | -uninstall]" ]
    done
    run "$ZAN_BIN/zansetup" -install
    [ "$status" -eq 0 ]
    [ "$output" = "" ]
    run "$ZAN_BIN/zansetup" -UNINSTALL
    [ "$status" -eq 0 ]
    [ "$output" = "Zan Utility Uninstall failed." ]
}

# The service's state as Wine's Service Control Manager reports it.
service_state() {
    "$WINE" sc query zanservice | tr -d '\r' | sed -n 's/^ *STATE *: *\([0-9]*\).*/\1/p'
}

service_exit_codes() {
    "$WINE" sc query zanservice | tr -d '\r' | sed -n 's/^ *\(WIN32\|SERVICE\)_EXIT_CODE *: *\([0-9]*\).*/\2/p' | paste -sd' '
}

# Starts the installed service and waits until it reports state $1. A fresh
# prefix's manager refuses starts while its own services still start
# (database locked, a request timeout on a loaded machine), so a refused
# start is asked again, for at most a minute.
start_service_until() {
    local _
    for _ in $(seq 60); do
        [ "$(service_state)" = "$1" ] && return 0
        if [ "$(service_state)" = 1 ]; then "$WINE" sc start zanservice >/dev/null 2>&1 || true; fi
        sleep 1
    done
    [ "$(service_state)" = "$1" ]
}

wait_service_state() {
    local _
    for _ in $(seq 60); do
        [ "$(service_state)" = "$1" ] && return 0
        sleep 1
    done
    [ "$(service_state)" = "$1" ]
}

@test "the installed service runs against the simulated machine and stops on the stop control" {
    [ -f "$ZAN_WINDOWS_BIN/zanservice.exe" ] || skip "this tree has no zanservice"
    # The prefix's services work on the root the runner gave them.
    export ZAN_ROOT=$ZAN_WINE_WORK/service-root
    "$ZAN_BIN/zansim" create >/dev/null
    cp "$ZAN_WINDOWS_BIN/zanraid.msi" .
    run "$ZAN_BIN/zansetup" -install
    [ "$output" = "Zan Utility Install success." ]
    start_service_until 4
    # It contacts both adapters, tells each it started, and keeps running.
    started() { "$ZAN_BIN/zansim" show | grep -cx '  Monitoring service: started'; }
    for _ in $(seq 60); do [ "$(started)" -eq 2 ] && break; sleep 1; done
    [ "$(started)" -eq 2 ]
    [ "$(service_state)" = 4 ]

    "$WINE" sc stop zanservice >/dev/null
    wait_service_state 1
    [ "$(service_exit_codes)" = "0 0" ]
    # Each adapter had its stop notice.
    [ "$("$ZAN_BIN/zansim" show | grep -cx '  Monitoring service: stops')" -eq 2 ]

    run "$ZAN_BIN/zansetup" -uninstall
    [ "$output" = "Zan Utility Uninstall success." ]
    ! "$WINE" sc query zanservice >/dev/null 2>&1
}

@test "the installed service stops by itself on a machine without adapters" {
    [ -f "$ZAN_WINDOWS_BIN/zanservice.exe" ] || skip "this tree has no zanservice"
    export ZAN_ROOT=$ZAN_WINE_WORK/service-root
    "$ZAN_BIN/zansim" create "$ZAN_SOURCE/sim/scenarios/empty" >/dev/null
    cp "$ZAN_WINDOWS_BIN/zanraid.msi" .
    run "$ZAN_BIN/zansetup" -install
    [ "$output" = "Zan Utility Install success." ]
    # Started, it finds no adapter and stops by itself: a stopped service
    # that ran has its exit codes, one that never ran 1077.
    for _ in $(seq 60); do
        [ "$(service_state)" = 1 ] && [ "$(service_exit_codes)" != "1077 0" ] && break
        if [ "$(service_state)" = 1 ]; then "$WINE" sc start zanservice >/dev/null 2>&1 || true; fi
        sleep 1
    done
    [ "$(service_state)" = 1 ]
    [ "$(service_exit_codes)" = "0 0" ]
    run "$ZAN_BIN/zansetup" -uninstall
    [ "$output" = "Zan Utility Uninstall success." ]
}
