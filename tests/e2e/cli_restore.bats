#!/usr/bin/env bats
# zancli's restore and bad-spot commands against simulated machines: the
# option grammar, the candidate list and report, restoring and deleting a
# candidate, and the bad spots of logical drives.
#
# The demo machine: adapter 0 has RAID 1 on drives 0+1 (logical drive 0) and
# RAID 5 on 2-4 (logical drive 1); adapter 1 has RAID 10 on 0-3 and RAID 0 on
# 4+5.

load machine

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    "$ZAN_BIN/zansim" create "$ZAN_SOURCE/sim/scenarios/demo" >/dev/null
    cli="$ZAN_BIN/zancli"
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

@test "the candidate list names every number, Nonexist where there is no candidate" {
    run "$cli" -LDRstrDrvList -a1
    [ "$status" -eq 0 ]
    [ "$output" = "Adapter #1

Number of Candidate Restore: 0

Virtual Drive State
====================
# 0 : Nonexist
# 1 : Nonexist
# 2 : Nonexist
# 3 : Nonexist
# 4 : Nonexist
# 5 : Nonexist
# 6 : Nonexist
# 7 : Nonexist" ]

    "$ZAN_BIN/zansim" restore add 2 1 6 7 >/dev/null
    run "$cli" -LDRstrDrvList -a0
    [[ "$output" == *"Number of Candidate Restore: 1"* ]]
    [[ "$output" == *"# 0 : Good"* ]]
}

@test "the candidate report shows the candidate and its members as restore candidates" {
    "$ZAN_BIN/zansim" restore add 2 1 6 7 >/dev/null
    run "$cli" -LDRstrDrvInfo -L0 -a0
    [ "$status" -eq 0 ]
    [[ "$output" == "Adapter #0

Number of Physical Drive: 2

Virtual Disk:          0
RAID Level:            RAID1
Size:                  140014MB
Stripe Size:           128kB
Number of Drives:      2
Hot Spare Mode:        Global
Auto Rebuild:          Enabled
Rebuild State:         Not Needed
Maintenance State:     No Operation
Operation Progress:    0%
Read Cache:            RA
Write Cache:           WT

PD: 6 Information
"* ]]
    [[ "$output" == *"PD: 7 Information"* ]]
    [ "$(grep -c 'Assign Virtual Disk:   RLD' <<< "$output")" -eq 2 ]

    run "$cli" -LDRstrDrvInfo -L1 -a0
    [ "$status" -eq 0 ]
    [ "$output" = "Fatal error - Adapter 0-The specified Virtual Drives: 1 doesn't exist." ]
}

@test "a restore takes the lowest free number or the one named, with the cache options" {
    "$ZAN_BIN/zansim" restore add 2 1 6 7 >/dev/null
    run "$cli" -LDRstr -Rstr -SL0 -DL -a0 -nochk
    [ "$output" = "Fatal error - Adapter 0: The specified Virtual Drive number exceeds the limitation value.
Number that can be specified: 0-7." ]

    run "$cli" -LDRstr -Rstr -SL0 -a0 <<< $'n\n'
    [ "$output" = "Is it executed?(Y/N)?" ]
    run "$cli" -LDRstr -Rstr -SL0 -WCache -a0 <<< $'y\n'
    [ "$status" -eq 0 ]
    [ "$output" = "Is it executed?(Y/N)?
Adapter 0: Restored Virtual drv-0." ]
    run "$cli" -LDGetProp -Cache -L2 -a0
    [ "$output" = "Adapter 0-VD 2: Cache Policy: WriteBack, ReadAhead." ]

    # The candidate has gone.
    run "$cli" -LDRstr -Rstr -SL0 -a0 -nochk
    [ "$output" = "Fatal error - Adapter 0-The specified Virtual Drives: 0 doesn't exist." ]
}

@test "a restore to a named number keeps the candidate's caches" {
    "$ZAN_BIN/zansim" restore add 2 1 6 7 >/dev/null
    run "$cli" -LDRstr -Rstr -SL0 -DL5 -a0 -nochk
    [ "$output" = "Adapter 0: Restored Virtual drv-0." ]
    run "$cli" -LDGetProp -Cache -L5 -a0
    [ "$output" = "Adapter 0-VD 5: Cache Policy: WriteThrough, ReadAhead." ]
}

@test "a delete lists the candidate, asks, and discards it" {
    "$ZAN_BIN/zansim" restore add 2 1 6 7 >/dev/null
    run "$cli" -LDRstr -Del -SL0 -a0 <<< $'y\n'
    [ "$status" -eq 0 ]
    [ "$output" = "Adapter 0-VD 0
Is the delete executed?(Y/N)?
Adapter 0: Deleted Virtual drv-0." ]
    run "$cli" -LDRstrDrvList -a0
    [[ "$output" == *"Number of Candidate Restore: 0"* ]]

    run "$cli" -LDRstr -Del -SL3 -a0 <<< $'y\n'
    [ "$output" = "Adapter 0-VD 3: The specified Virtual Drive doesn't exist.
Is the delete executed?(Y/N)?
Fatal error - Adapter 0-The specified Virtual Drives: 3 doesn't exist." ]
}

@test "the bad spots of a logical drive are its members' lists, sorted, without repeats" {
    "$ZAN_BIN/zansim" badspot add 2 0 0x10 0x20 >/dev/null
    "$ZAN_BIN/zansim" badspot add 2 1 0x20 0x05 >/dev/null
    run "$cli" -LDBadSpot -L1,0 -a0
    [ "$status" -eq 0 ]
    [ "$output" = "Adapter #0

Virtual Drive: 0
LBA Information
================
#0 : 0x00000005
#1 : 0x00000010
#2 : 0x00000020

Virtual Drive: 1
Bad Spot None." ]

    # A member that has been pulled leaves the other member's list.
    "$ZAN_BIN/zansim" pull 2 1 >/dev/null
    run "$cli" -LDBadSpot -L0 -a0
    [ "$output" = "Adapter #0

Virtual Drive: 0
LBA Information
================
#0 : 0x00000010
#1 : 0x00000020" ]
}
