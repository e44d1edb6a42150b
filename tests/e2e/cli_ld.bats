#!/usr/bin/env bats
# zancli's logical-drive commands against simulated machines: creating,
# deleting, showing and tuning logical drives, with their option grammar,
# prompts, messages and exit statuses.
#
# The demo machine: adapter 0 has RAID 1 on drives 0+1 (logical drive 0, WB,
# RA) and RAID 5 on 2-4 (logical drive 1, WT, RA), spare 5, free 6 and 7;
# adapter 1 has RAID 10 on 0-3 (WB, RA) and RAID 0 on 4+5 (WT, NORA),
# spare 6, free 7.

load machine

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    "$ZAN_BIN/zansim" create "$ZAN_SOURCE/sim/scenarios/demo" >/dev/null
    cli="$ZAN_BIN/zancli"
}

# One adapter with eight free drives.
free_adapter() {
    machine <<'SCENARIO'
[adapter 2]
[drive 0]
[drive 1]
[drive 2]
[drive 3]
[drive 4]
[drive 5]
[drive 6]
[drive 7]
SCENARIO
}

raid1_block() {
    cat <<'BLOCK'
Virtual Disk:          0
RAID Level:            RAID1
Size:                  140014MB
State:                 Good
Stripe Size:           128kB
Number of Drives:      2
Hot Spare Mode:        Global
Auto Rebuild:          Enabled
Rebuild State:         Not Needed
Maintenance State:     No Operation
Operation Progress:    0%
Force State Change:    None
Operation Error Count: 0
Read Cache:            RA
Write Cache:           WB
BLOCK
}

raid5_block() {
    cat <<'BLOCK'
Virtual Disk:          1
RAID Level:            RAID5
Size:                  572204MB
State:                 Good
Stripe Size:           128kB
Number of Drives:      3
Hot Spare Mode:        Global
Auto Rebuild:          Enabled
Rebuild State:         Not Needed
Maintenance State:     No Operation
Operation Progress:    0%
Force State Change:    None
Operation Error Count: 0
Read Cache:            RA
Write Cache:           WT
BLOCK
}

# ---- Counting and showing ----------------------------------------------------

@test "-LDGetNum counts the logical drives of each adapter" {
    run "$cli" -LDGetNum -aALL
    [ "$status" -eq 0 ]
    [ "$output" = $'Number of Virtual drives configured on adapter 0: 2.\nNumber of Virtual drives configured on adapter 1: 2.' ]

    # Anything but the adapter option names the command argument.
    for args in "-L0 -a0" "-a0 -L0" "" "-a0 -a1"; do
        run "$cli" -LDGetNum $args
        [ "$status" -eq 0 ]
        [ "$output" = "Invalid input at or near token -LDGetNum." ]
    done
}

@test "-LDInfo shows the blocks by ascending drive number" {
    run "$cli" -LDInfo -L1,0 -a0
    [ "$status" -eq 0 ]
    [ "$output" = "$(printf 'Adapter 0 -- Virtual Drive Information:\n\n'; raid1_block; echo; raid5_block)" ]
}

@test "-LDInfo counts data drives and spares in use for RAID10, not group hot spares" {
    {
        echo "[adapter 2]"
        for drive in 0 1 2 3 4 6 7; do echo "[drive $drive]"; done
        printf '[logical 0]\nlevel = 1\nmembers = 0 1 6g 7g\n'
        printf '[logical 1]\nlevel = 1\nmembers = 2 3s 4g\n'
    } | machine
    run "$cli" -LDInfo -Lall -a0
    [ "$status" -eq 0 ]
    [ "$(grep -E '^(RAID Level|Number of Drives)' <<<"$output" | tr -s ' ' | paste -sd,)" = "RAID Level: RAID1,Number of Drives: 4,RAID Level: RAID1,Number of Drives: 3" ]
}

@test "-LDInfo shows RAID 1 over four drives as RAID10, one heading per adapter" {
    run "$cli" -LDInfo -Lall -aALL
    [ "$status" -eq 0 ]
    [ "$(grep -c 'Virtual Drive Information:' <<<"$output")" -eq 2 ]
    [ "$(grep 'RAID Level' <<<"$output" | tr -s ' ' | cut -d' ' -f3 | paste -sd,)" = "RAID1,RAID5,RAID10,RAID0" ]
    [ "$(grep -A2 '^Adapter 1' <<<"$output" | tail -1)" = "Virtual Disk:          0" ]
}

@test "-LDInfo option grammar and missing drives" {
    run "$cli" -LDInfo -L3 -a0
    [ "$status" -eq 255 ]
    [ "$output" = "Fatal error - Adapter 0-The specified Virtual Drives: 3 doesn't exist." ]

    run "$cli" -LDInfo -L0
    [ "$status" -eq 0 ]
    [ "$output" = "Invalid input at or near token -L0." ]

    run "$cli" -LDInfo -L0 -L1 -a0
    [ "$status" -eq 0 ]
    [ "$output" = "Invalid input at or near token -L0." ]

    run "$cli" -LDInfo -a0 -L8
    [ "$status" -eq 0 ]
    [ "$output" = "Invalid input at or near token -a0." ]

    run "$cli" -LDInfo -L0 -a0 -nochk
    [ "$status" -eq 0 ]
    [ "$output" = "Invalid input at or near token -a0." ]
}

@test "-LDInfo on adapters without logical drives" {
    machine <<'SCENARIO'
[adapter 2]
[drive 0]
[adapter 3]
SCENARIO
    run "$cli" -LDInfo -Lall -aALL
    [ "$status" -eq 0 ]
    [ "$output" = $'Fatal error - Adapter 0: There is no Virtual Drive.\nFatal error - Adapter 1: There is no Virtual Drive.' ]

    run "$cli" -LDInfo -Lall -a1
    [ "$status" -eq 0 ]
    [ "$output" = "Fatal error - Adapter 1: There is no Virtual Drive." ]
}

@test "-LDPDInfo shows every logical and physical drive of an adapter" {
    run "$cli" -LDPDInfo -a0
    [ "$status" -eq 0 ]
    [ "$(head -3 <<<"$output")" = $'Adapter #0\n\nNumber of Virtual Disks: 2' ]
    [ "$(sed -n 4,18p <<<"$output")" = "$(raid1_block)" ]
    [ "$(grep -c '^PD: [0-7] Information$' <<<"$output")" -eq 8 ]
    [ "$(grep '^Assign Virtual Disk' <<<"$output" | tr -s ' ' | cut -d' ' -f4 | paste -sd,)" = "0-D0,0-D1,1-D0,1-D1,1-D2,-,-,-" ]
    [ "$(grep -A13 '^PD: 6 Information' <<<"$output")" = "$(cat <<'BLOCK'
PD: 6 Information
Vendor ID:             ORMOLU  
Product ID:            OR146SA         
Revision:              A3  
Assign Virtual Disk:   -
Class:                 Fresh
Size:                  140014MB
State:                 Good
Sync Period:           1.5Gbps
SMART:                 None
Bad Spot State:        None
Bad Spot Count:        0
Inquiry Data:          ORMOLU  OR146SA         A3              

BLOCK
)" ]
}

@test "-LDPDInfo on an adapter with neither logical nor physical drives" {
    machine <<'SCENARIO'
[adapter 2]
[adapter 3]
[drive 4]
SCENARIO
    run "$cli" -LDPDInfo -a0,1
    [ "$status" -eq 0 ]
    [ "$output" = "Fatal error - Adapter 0: There is no Virtual Drive & Physical Drive." ]

    run "$cli" -LDPDInfo -aALL
    [ "$status" -eq 0 ]
    [ "$(head -4 <<<"$output")" = $'Fatal error - Adapter 0: There is no Virtual Drive & Physical Drive.\nAdapter #1\n\nNumber of Virtual Disks: 0' ]
    [ "$(sed -n 5p <<<"$output")" = "PD: 4 Information" ]
}

# ---- Cache properties ----------------------------------------------------------

@test "-LDGetProp shows the cache policy of every target" {
    run "$cli" -LDGetProp -Cache -Lall -aALL
    [ "$status" -eq 0 ]
    [ "$output" = "$(cat <<'OUT'
Adapter 0-VD 0: Cache Policy: WriteBack, ReadAhead.
Adapter 0-VD 1: Cache Policy: WriteThrough, ReadAhead.
Adapter 1-VD 0: Cache Policy: WriteBack, ReadAhead.
Adapter 1-VD 1: Cache Policy: WriteThrough, ReadAheadNone.
OUT
)" ]

    run "$cli" -LDGetProp -L0 -a0
    [ "$status" -eq 0 ]
    [ "$output" = "Invalid input at or near token -a0." ]
}

@test "-LDSetProp switches both caches in one run" {
    run "$cli" -LDSetProp -WB -NORA -L1 -a0 -nochk
    [ "$status" -eq 0 ]
    [ "$output" = $'Adapter 0-VD 1: WriteCache is Enabled.\nAdapter 0-VD 1: ReadCache is Disabled.' ]

    run "$cli" -LDGetProp -Cache -L1 -a0
    [ "$output" = "Adapter 0-VD 1: Cache Policy: WriteBack, ReadAheadNone." ]

    run "$cli" -LDSetProp -a1 -Lall -WT -nochk
    [ "$output" = $'Adapter 1-VD 0: WriteCache is Disabled.\nAdapter 1-VD 1: WriteCache is Disabled.' ]
    run "$cli" -LDGetProp -Cache -L0 -a1
    [ "$output" = "Adapter 1-VD 0: Cache Policy: WriteThrough, ReadAhead." ]
}

@test "-LDSetProp option grammar" {
    while read -r line; do
        run "$cli" -LDSetProp ${line% *}
        [ "$status" -eq 0 ]
        [ "$output" = "Invalid input at or near token ${line##* }." ]
    done <<'CASES'
-WT -WB -L0 -a0 -WT
-RA -NORA -L0 -a0 -RA
-WT -WT -L0 -a0 -WT
-L0 -a0 -a0
-RA -L0 -a0 -nochk -nochk -nochk
-Cache -L0 -a0 -LDSetProp
CASES
}

@test "-LDSetProp asks first: no, junk, end of input, yes" {
    run "$cli" -LDSetProp -NORA -L0 -a0 <<<"n"
    [ "$status" -eq 0 ]
    [ "$output" = "Is it executed?(Y/N)?" ]

    run "$cli" -LDSetProp -NORA -L0 -a0 </dev/null
    [ "$output" = "Is it executed?(Y/N)?" ]

    run "$cli" -LDGetProp -Cache -L0 -a0
    [ "$output" = "Adapter 0-VD 0: Cache Policy: WriteBack, ReadAhead." ]

    run "$cli" -LDSetProp -NORA -L0 -a0 <<<$'yes\n\nY \ny'
    [ "$status" -eq 0 ]
    [ "$(grep -c '^Is it executed?(Y/N)?$' <<<"$output")" -eq 4 ]
    [ "$(tail -1 <<<"$output")" = "Adapter 0-VD 0: ReadCache is Disabled." ]
}

# ---- Creation ------------------------------------------------------------------

@test "-CfgLDAdd creates RAID 1 on free drives at the lowest free number" {
    run "$cli" -CfgLDAdd -R1[0:7,0:6] -a0 <<<"y"
    [ "$status" -eq 0 ]
    [ "$output" = $'Is it executed?(Y/N)?\nAdapter 0: Created Virtual drv-2.' ]

    run "$cli" -LDInfo -L2 -a0
    [ "$(grep -E '^(RAID Level|Number of Drives|Hot Spare Mode|Read Cache|Write Cache)' <<<"$output" | tr -s ' ' | paste -sd,)" = "RAID Level: RAID1,Number of Drives: 2,Hot Spare Mode: Global,Read Cache: RA,Write Cache: WT" ]

    # Members in command-line order: drive 7 is the first.
    run "$cli" -LDPDInfo -a0
    [ "$(grep -A4 '^PD: 7 Information' <<<"$output" | tail -1)" = "Assign Virtual Disk:   2-D0" ]
}

@test "-CfgLDAdd levels, member counts and cache options" {
    free_adapter
    run "$cli" -CfgLDAdd -R1[0:0,0:1,0:2] -a0 -nochk
    [ "$output" = "Fatal error - Adapter 0: The number of HDD to the RAID composition is abnormal." ]
    run "$cli" -CfgLDAdd -R5[0:0,0:1] -a0 -nochk
    [ "$output" = "Fatal error - Adapter 0: The number of HDD to the RAID composition is abnormal." ]
    run "$cli" -CfgLDAdd -R5[0:0,0:1,0:2,0:3,0:4,0:5,0:6] -a0 -nochk
    [ "$output" = "Fatal error - Adapter 0: The number of HDD to the RAID composition is abnormal." ]
    run "$cli" -LDGetNum -a0
    [ "$output" = "Number of Virtual drives configured on adapter 0: 0." ]

    # The last cache option of a pair counts.
    run "$cli" -CfgLDAdd -WT -R5[0:0,0:1,0:2] -NORA -WB -RA -NORA -a0 -nochk
    [ "$status" -eq 0 ]
    [ "$output" = "Adapter 0: Created Virtual drv-0." ]
    run "$cli" -CfgLDAdd -R0[0:3] -a0 -nochk
    [ "$output" = "Adapter 0: Created Virtual drv-1." ]

    run "$cli" -LDGetProp -Cache -Lall -a0
    [ "$output" = $'Adapter 0-VD 0: Cache Policy: WriteBack, ReadAheadNone.\nAdapter 0-VD 1: Cache Policy: WriteThrough, ReadAhead.' ]
    run "$cli" -LDInfo -L1 -a0
    [ "$(grep -E '^(RAID Level|Stripe Size|Hot Spare Mode)' <<<"$output" | tr -s ' ' | paste -sd,)" = "RAID Level: RAID0,Stripe Size: None,Hot Spare Mode: None" ]
}

@test "-CfgLDAdd option grammar" {
    run "$cli" -CfgLDAdd -R6[0:0] -a0
    [ "$status" -eq 0 ]
    [ "$output" = "-R6[0:0] param is not supported." ]

    while read -r line; do
        run "$cli" -CfgLDAdd ${line% *}
        [ "$status" -eq 0 ]
        [ "$output" = "Invalid input at or near token ${line##* }." ]
    done <<'CASES'
-R2[0:0] -a0 -CfgLDAdd
-R1[0:6,0:7] -aALL -R1[0:6,0:7]
-R1[0:6,0:7] -a0,1 -R1[0:6,0:7]
-R1[0:6,0:7] -R0[0:5] -R1[0:6,0:7]
-R1[0:6,0:7] -a0 -afterLd -a0
-R1[0:6,0:7] -a0 -afterLd2x -a0
-R1[0:6,0:7] -R1[0:6,0:7]
-a0 -a0
-R1[0:6,0:7] -a0 -nochk -nochk -nochk
-R1[0:6,0:6] -a0 -CfgLDAdd
-R10[0:6,0:7] -a0 -CfgLDAdd
CASES
    run "$cli" -LDGetNum -a0
    [ "$output" = "Number of Virtual drives configured on adapter 0: 2." ]
}

@test "-CfgLDAdd -afterLd limits" {
    for number in 12 9; do
        run "$cli" -CfgLDAdd -R1[0:6,0:7] -afterLd$number -a0 -nochk
        [ "$status" -eq 0 ]
        [ "$output" = $'Fatal error - Adapter 0: The specified Virtual Drive number exceeds the limitation value.\nNumber that can be specified: 0-7.' ]
    done

    run "$cli" -CfgLDAdd -R1[0:6,0:7] -afterLd1 -a0 -nochk
    [ "$output" = "Fatal error - Adapter 0-The specified Virtual Drives: 1 doesn't exist." ]
    run "$cli" -LDGetNum -a0
    [ "$output" = "Number of Virtual drives configured on adapter 0: 2." ]

    # Logical drives 0, 1 and 3 exist: the next one without -afterLd is 2.
    run "$cli" -CfgLDAdd -R0[0:6] -afterLd3 -a0 -nochk
    [ "$output" = "Adapter 0: Created Virtual drv-3." ]
    run "$cli" -CfgLDAdd -R0[0:7] -a0 -nochk
    [ "$output" = "Adapter 0: Created Virtual drv-2." ]
}

@test "-CfgLDAdd refuses missing drives, spares and a full adapter" {
    run "$cli" -CfgLDAdd -R0[0:5] -a0 -nochk
    [ "$status" -eq 0 ]
    [ "$output" = $'Adapter 0: The specified operation cannot be executed.\nPlease ascertain the situation.' ]

    machine <<'SCENARIO'
[adapter 2]
[drive 0]
[drive 1]
[drive 2]
[drive 3]
[drive 4]
[drive 5]
[drive 6]
[drive 7]
[logical 0]
level = 0
members = 0
stripe = none
[logical 1]
level = 0
members = 1
stripe = none
[logical 2]
level = 0
members = 2
stripe = none
[logical 3]
level = 0
members = 3
stripe = none
[logical 4]
level = 0
members = 4
stripe = none
[logical 5]
level = 0
members = 5
stripe = none
[logical 6]
level = 0
members = 6
stripe = none
[logical 7]
level = 0
members = 7
stripe = none
[adapter 3]
[drive 0]
[drive 1]
SCENARIO
    run "$cli" -CfgLDAdd -R0[0:7] -a0 -nochk
    [ "$output" = "Fatal error - Adapter 0: A Virtual Drive cannot be made any further." ]

    run "$cli" -CfgLDAdd -R1[0:1,0:4] -a1 -nochk
    [ "$output" = "Fatal error - Adapter 1-The specified Physical Drive: 4 doesn't exist." ]
    run "$cli" -LDGetNum -a1
    [ "$output" = "Number of Virtual drives configured on adapter 1: 0." ]
}

@test "-CfgLDAdd asks first: no, junk, end of input" {
    run "$cli" -CfgLDAdd -R1[0:6,0:7] -a0 <<<$'x\nn'
    [ "$status" -eq 0 ]
    [ "$output" = $'Is it executed?(Y/N)?\nIs it executed?(Y/N)?' ]
    run "$cli" -CfgLDAdd -R1[0:6,0:7] -a0 </dev/null
    [ "$output" = "Is it executed?(Y/N)?" ]
    run "$cli" -LDGetNum -a0
    [ "$output" = "Number of Virtual drives configured on adapter 0: 2." ]
}

@test "-CfgSpanADD creates RAID 10 from the first span's drives then the second's" {
    free_adapter
    run "$cli" -CfgSpanADD -R10 -Array0[0:3,0:1] -Array1[0:0,0:2] -a0 -nochk
    [ "$status" -eq 0 ]
    [ "$output" = "Adapter 0: Created Virtual drv-0." ]

    run "$cli" -LDPDInfo -a0
    [ "$(grep -E '^(RAID Level|Number of Drives|Hot Spare Mode|Write Cache)' <<<"$output" | tr -s ' ' | paste -sd,)" = "RAID Level: RAID10,Number of Drives: 4,Hot Spare Mode: Global,Write Cache: WT" ]
    [ "$(grep '^Assign Virtual Disk' <<<"$output" | tr -s ' ' | cut -d' ' -f4 | paste -sd,)" = "0-D2,0-D1,0-D3,0-D0,-,-,-,-" ]

    run "$cli" -CfgSpanADD -Array1[0:6,0:7,0:5] -Array0[0:4] -WB -R10 -afterLd5 -a0 -NORA -nochk
    [ "$output" = "Adapter 0: Created Virtual drv-5." ]
    run "$cli" -LDGetProp -Cache -L5 -a0
    [ "$output" = "Adapter 0-VD 5: Cache Policy: WriteBack, ReadAheadNone." ]
}

@test "-CfgSpanADD counts, spares, numbers in use" {
    free_adapter
    run "$cli" -CfgSpanADD -R10 -Array0[0:0,0:1] -Array1[0:2,0:3,0:4] -a0 -nochk
    [ "$output" = "Fatal error - Adapter 0: The number of HDD to the RAID composition is abnormal." ]

    run "$cli" -CfgSpanADD -R10 -Array0[0:0,0:1] -Array1[0:2,0:3] -a0 -nochk
    [ "$output" = "Adapter 0: Created Virtual drv-0." ]
    run "$cli" -CfgSpanADD -R10 -Array0[0:4,0:5] -Array1[0:6,0:7] -afterLd0 -a0 -nochk
    [ "$output" = "Fatal error - Adapter 0-The specified Virtual Drives: 0 doesn't exist." ]

    # The demo's adapter 1 keeps drive 6 as its spare.
    "$ZAN_BIN/zansim" create "$ZAN_SOURCE/sim/scenarios/demo" >/dev/null
    run "$cli" -CfgSpanADD -R10 -Array0[0:6,0:7] -Array1[0:0,0:1] -a1 -nochk
    [ "$output" = $'Adapter 1: The specified operation cannot be executed.\nPlease ascertain the situation.' ]
}

@test "-CfgSpanADD option grammar" {
    while read -r line; do
        run "$cli" -CfgSpanADD ${line% *}
        [ "$status" -eq 0 ]
        [ "$output" = "Invalid input at or near token ${line##* }." ]
    done <<'CASES'
-R10 -Array0[0:6,0:7] -Array2[0:0,0:1] -a0 -Array0[0:6,0:7]
-R10 -Array0[0:6,0:7] -Array1[0:0,0:1] -WT -WB -a0 -WT
-R10 -Array0[0:6,0:7] -Array1[0:0,0:1] -RA -RA -a0 -RA
-R1 -Array0[0:6,0:7] -Array1[0:0,0:1] -a0 -CfgSpanADD
-R10 -Array0[0:6,0:7] -Array0[0:0,0:1] -a0 -Array0[0:6,0:7]
-R10 -Array0[0:6,0:7] -a0 -a0
-R10 -Array0[0:6,0:7] -Array1[0:7,0:1] -a0 -Array0[0:6,0:7]
-R10 -Array0[0:6,0:7] -Array1[0:0,0:1] -aALL -Array1[0:0,0:1]
CASES
}

# ---- Deletion ------------------------------------------------------------------

# Adapter 0 (port 2): logical drive 0 carries volume D:, 1 and 2 none.
# Adapter 1 (port 3): logical drive 1 carries volume E:; its logical drive 0
# has none, so the port decides, not only the target id.
volume_machine() {
    machine <<'SCENARIO'
[adapter 2]
[drive 0]
[drive 1]
[drive 2]
[logical 0]
level = 0
members = 0
stripe = none
volumes = D
[logical 1]
level = 0
members = 1
stripe = none
[logical 2]
level = 0
members = 2
stripe = none
[adapter 3]
[drive 0]
[drive 1]
[logical 0]
level = 0
members = 0
stripe = none
[logical 1]
level = 0
members = 1
stripe = none
volumes = E
SCENARIO
}

@test "-CfgLDDel lists, asks and deletes all but the drive with a volume" {
    volume_machine
    run "$cli" -CfgLDDel -L2,0,1 -a0 <<<"y"
    [ "$status" -eq 0 ]
    [ "$output" = "$(cat <<'OUT'
Adapter 0-VD 2
Adapter 0-VD 0: Valid partition exist on it.
Adapter 0-VD 1
Is the delete executed?(Y/N)?
Fatal error - Adapter 0-VD 0: Cannot delete the Virtual Drive which has drive latter[s].
Adapter 0: Deleted Virtual drv-1.
Adapter 0: Deleted Virtual drv-2.
OUT
)" ]
    run "$cli" -LDGetNum -a0
    [ "$output" = "Number of Virtual drives configured on adapter 0: 1." ]
}

@test "-CfgLDDel -nochk deletes without listing; the port decides the volume's adapter" {
    volume_machine
    run "$cli" -CfgLDDel -Lall -aALL -nochk
    [ "$status" -eq 0 ]
    [ "$output" = "$(cat <<'OUT'
Fatal error - Adapter 0-VD 0: Cannot delete the Virtual Drive which has drive latter[s].
Adapter 0: Deleted Virtual drv-1.
Adapter 0: Deleted Virtual drv-2.
Adapter 1: Deleted Virtual drv-0.
Fatal error - Adapter 1-VD 1: Cannot delete the Virtual Drive which has drive latter[s].
OUT
)" ]
}

@test "-CfgLDDel answered no, or with a drive that does not exist" {
    run "$cli" -CfgLDDel -L0,5 -a0 <<<"n"
    [ "$status" -eq 0 ]
    [ "$output" = $'Adapter 0-VD 0\nAdapter 0-VD 5: The specified Virtual Drive doesn\'t exist.\nIs the delete executed?(Y/N)?' ]

    run "$cli" -CfgLDDel -L0,5 -a0 <<<"y"
    [ "$status" -eq 255 ]
    [ "$(tail -1 <<<"$output")" = "Fatal error - Adapter 0-The specified Virtual Drives: 5 doesn't exist." ]
    run "$cli" -LDGetNum -a0
    [ "$output" = "Number of Virtual drives configured on adapter 0: 2." ]

    run "$cli" -CfgLDDel -L0 -a0 </dev/null
    [ "$output" = $'Adapter 0-VD 0\nIs the delete executed?(Y/N)?' ]
    run "$cli" -CfgLDDel -L0 -a0 -a0
    [ "$output" = "Invalid input at or near token -a0." ]
}

@test "-CfgLDDel on adapters without logical drives" {
    machine <<'SCENARIO'
[adapter 2]
[drive 0]
[adapter 3]
SCENARIO
    run "$cli" -CfgLDDel -Lall -aALL <<<"y"
    [ "$status" -eq 0 ]
    [ "$output" = "$(cat <<'OUT'
Fatal error - Adapter 0: There is no Virtual Drive.
Fatal error - Adapter 1: There is no Virtual Drive.
Is the delete executed?(Y/N)?
Fatal error - Adapter 0: There is no Virtual Drive.
Fatal error - Adapter 1: There is no Virtual Drive.
OUT
)" ]

    run "$cli" -CfgLDDel -Lall -a1 -nochk
    [ "$output" = "Fatal error - Adapter 1: There is no Virtual Drive." ]
}
