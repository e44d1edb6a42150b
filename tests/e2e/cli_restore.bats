#!/usr/bin/env bats
# zancli's restore and bad-spot commands against simulated machines: the
# option grammar, the candidate list and report, restoring and deleting a
# candidate, and the bad spots of logical drives.
#
# The demo machine: adapter 0 has RAID 1 on drives 0+1 (logical drive 0) and
# RAID 5 on 2-4 (logical drive 1); adapter 1 has RAID 10 on 0-3 and RAID 0 on
# 4+5.

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    "$ZAN_BIN/zansim" create "$ZAN_SOURCE/sim/scenarios/demo" >/dev/null
    cli="$ZAN_BIN/zancli"
}

# Builds the machine from the scenario text on standard input.
machine() {
    cat > "$BATS_TEST_TMPDIR/scenario"
    "$ZAN_BIN/zansim" create "$BATS_TEST_TMPDIR/scenario" >/dev/null
}

@test "the candidate report takes exactly one logical drive and one adapter" {
    for args in "-Lall -a0" "-L0,1 -a0" "-L0 -aALL" "-L0 -a0,1" "-L0 -a0 -L1"; do
        run "$cli" -LDRstrDrvInfo $args
        [ "$status" -eq 0 ]
        [[ "$output" == "Invalid input at or near token "* ]]
    done
    run "$cli" -LDRstrDrvInfo -Lall -a0
    [ "$output" = "Invalid input at or near token -LDRstrDrvInfo." ]
    run "$cli" -LDRstrDrvInfo -L0 -a0,1
    [ "$output" = "Invalid input at or near token -L0." ]
    run "$cli" -LDRstrDrvInfo -L0
    [ "$output" = "Invalid input at or near token -L0." ]
}

@test "a restore names its action, one source up to 7 and one adapter" {
    run "$cli" -LDRstr -Rstr -SL8 -a0
    [ "$status" -eq 0 ]
    [ "$output" = "Invalid input at or near token -Rstr." ]
    run "$cli" -LDRstr -Rstr -Del -SL2 -a0
    [ "$output" = "Invalid input at or near token -Rstr." ]
    run "$cli" -LDRstr -Rstr -SL2 -aALL
    [ "$output" = "Invalid input at or near token -SL2." ]
    run "$cli" -LDRstr -Rstr -SL2 -DL1 -DL3 -a0
    [ "$output" = "Invalid input at or near token -DL1." ]
    run "$cli" -LDRstr -SL2 -a0
    [ "$output" = "Invalid input at or near token -a0." ]
    run "$cli" -LDRstr -Rstr -SL2 -WCache -WCache -a0
    [ "$output" = "Invalid input at or near token -WCache." ]
}

@test "bad spots: unknown arguments name the first option, drives without spots say so" {
    run "$cli" -LDBadSpot -L0 -a0 -x
    [ "$status" -eq 0 ]
    [ "$output" = "Invalid input at or near token -L0." ]

    run "$cli" -LDBadSpot -Lall -aALL
    [ "$status" -eq 0 ]
    [ "$output" = "Adapter #0

Virtual Drive: 0
Bad Spot None.

Virtual Drive: 1
Bad Spot None.

Adapter #1

Virtual Drive: 0
Bad Spot None.

Virtual Drive: 1
Bad Spot None." ]
}

@test "bad spots of a logical drive that does not exist end the process" {
    run "$cli" -LDBadSpot -L3 -a0
    [ "$status" -eq 255 ]
    [ "$output" = "Fatal error - Adapter 0-The specified Virtual Drives: 3 doesn't exist." ]
}
