#!/usr/bin/env bats
# zancli's frame: dispatch, the simple commands, the exit statuses, the
# single-instance lock.

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    "$ZAN_BIN/zansim" create "$ZAN_SOURCE/sim/scenarios/demo" >/dev/null
}

@test "no argument: wrong parameters, status -1" {
    run "$ZAN_BIN/zancli"
    [ "$status" -eq 255 ]
    [ "$output" = "Fatal error - zancli invoked with wrong parameters." ]
}

@test "unknown commands are not supported, status -1" {
    run "$ZAN_BIN/zancli" -foo
    [ "$status" -eq 255 ]
    [ "$output" = "-foo param is not supported." ]

    run "$ZAN_BIN/zancli" --AdpCount
    [ "$status" -eq 255 ]
    [ "$output" = "--AdpCount param is not supported." ]

    run "$ZAN_BIN/zancli" -LDBadSpots -L0 -a0
    [ "$status" -eq 255 ]
    [ "$output" = "-LDBadSpots param is not supported." ]

    long="-$(printf 'h%.0s' $(seq 300))"
    run "$ZAN_BIN/zancli" "$long"
    [ "$status" -eq 255 ]
    [ "$output" = "$long param is not supported." ]
}

@test "the command is found in any spelling" {
    for command in ADPCOUNT adpcount -AdpCount x-adpCOUNT; do
        run "$ZAN_BIN/zancli" "$command"
        [ "$status" -eq 0 ]
        [ "$output" = "Adapter Count: 2." ]
    done
}

@test "-AdpCount with an option is invalid input, status 0" {
    run "$ZAN_BIN/zancli" -AdpCount -a0
    [ "$status" -eq 0 ]
    [ "$output" = "Invalid input at or near token -AdpCount." ]
}

@test "-AdpCount on a machine without adapters" {
    "$ZAN_BIN/zansim" create "$ZAN_SOURCE/sim/scenarios/empty" >/dev/null
    run "$ZAN_BIN/zancli" -AdpCount
    [ "$status" -eq 0 ]
    [ "$output" = "Adapter Count: 0." ]
}

@test "-v prints the banner" {
    run "$ZAN_BIN/zancli" -v
    [ "$status" -eq 0 ]
    [ "$output" = "    Meridan RAID Adapter Command Line Tool Ver 2.1
    Copyright (C) 2009 Meridan. All rights reserved." ]

    run "$ZAN_BIN/zancli" -V extra
    [ "$status" -eq 0 ]
    [ "$output" = "Invalid input at or near token -V." ]
}

@test "-h, -Help and ? print the usage text" {
    for command in -h -Help '?' -HELP; do
        "$ZAN_BIN/zancli" "$command" > "$BATS_TEST_TMPDIR/usage"
        diff "$ZAN_SOURCE/tests/expected/zancli-usage.txt" "$BATS_TEST_TMPDIR/usage"
    done

    run "$ZAN_BIN/zancli" -h x
    [ "$status" -eq 0 ]
    [ "$output" = "Invalid input at or near token -h." ]
}

@test "a second instance gives up while the first holds the lock, status 0" {
    mkfifo "$BATS_TEST_TMPDIR/hold_in"
    "$ZAN_BIN/hold_mutex" zancli < "$BATS_TEST_TMPDIR/hold_in" > "$BATS_TEST_TMPDIR/hold_out" 2>&1 &
    holder=$!
    exec 5> "$BATS_TEST_TMPDIR/hold_in"
    for _ in $(seq 100); do
        [ -s "$BATS_TEST_TMPDIR/hold_out" ] && break
        sleep 0.05
    done
    run "$ZAN_BIN/zancli" -AdpCount
    exec 5>&-
    wait "$holder"
    [ "$(cat "$BATS_TEST_TMPDIR/hold_out")" = "holding zancli" ]
    [ "$status" -eq 0 ]
    [ "$output" = "Fatal error - The CLI tool has already started." ]

    # Once the holder has gone, the tool runs again.
    run "$ZAN_BIN/zancli" -AdpCount
    [ "$output" = "Adapter Count: 2." ]
}

@test "a root that does not exist is a machine without adapters" {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/no-such-root"
    run "$ZAN_BIN/zancli" -AdpCount
    [ "$status" -eq 0 ]
    [ "$output" = "Adapter Count: 0." ]
}

@test "a damaged registry stops the start with the initialize error, status -1" {
    printf 'Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\HARDWARE\n"Driver"=broken\n' \
        > "$ZAN_ROOT/registry.reg"
    run "$ZAN_BIN/zancli" -AdpCount
    [ "$status" -eq 255 ]
    [ "$output" = "DLL initialize error." ]
}

@test "an adapter whose state is damaged does not answer and is not counted" {
    [ -f "$ZAN_ROOT/adapters/port2.state" ]
    printf '[adapter 2]\nlevel = ???\n' > "$ZAN_ROOT/adapters/port2.state"
    run "$ZAN_BIN/zancli" -AdpCount
    [ "$status" -eq 0 ]
    [ "$output" = "Adapter Count: 1." ]
}
