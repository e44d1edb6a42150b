#!/usr/bin/env bats
# An administrator's session on the demo machine: make room, create a RAID 5
# from three free drives, look at it, switch on write-back, make a global hot
# spare, take a member offline and online again, delete the logical drive.

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    "$ZAN_BIN/zansim" create >/dev/null
    zancli="$ZAN_BIN/zancli"
}

expect_output() {
    local want=$1
    shift
    run "$zancli" "$@"
    [ "$status" -eq 0 ] || { echo "status $status: $output"; return 1; }
    [ "$output" = "$want" ] || { diff <(echo "$want") <(echo "$output"); return 1; }
}

state_of_vd2() {
    "$zancli" -LDInfo -L2 -a0 | sed -n 's/^State: *//p'
}

@test "configuration session on the demo machine" {
    expect_output "Adapter 0: Physical Drive 5 was removed to the Hot Spare." -PDHSP -Rmv -PhysDrv[0:5] -a0 -nochk
    expect_output "Adapter 0: Created Virtual drv-2." -CfgLDAdd -R5[0:5,0:6,0:7] -a0 -nochk

    expect_output "Adapter 0 -- Virtual Drive Information:

Virtual Disk:          2
RAID Level:            RAID5
Size:                  280028MB
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
Write Cache:           WT" -LDInfo -L2 -a0

    run "$zancli" -LDPDInfo -a0
    [ "$status" -eq 0 ]
    [[ "$output" == *"Number of Virtual Disks: 3"* ]]
    for drive in 5 6 7; do
        position=$((drive - 5))
        grep -A4 "^PD: $drive Information" <<<"$output" | grep -q "^Assign Virtual Disk:   2-D$position$"
    done

    expect_output "Adapter 0-VD 2: WriteCache is Enabled." -LDSetProp -WB -L2 -a0 -nochk
    expect_output "Adapter 0-VD 2: Cache Policy: WriteBack, ReadAhead." -LDGetProp -Cache -L2 -a0

    expect_output "Adapter 1: Physical Drive 7 was set to the Hot Spare." -PDHSP -Set -PhysDrv[0:7] -a1 -nochk

    expect_output "Physical Drive 6 ( Adapter 0 ) state changed to OffLine." -PDOffline -PhysDrv[0:6] -a0 -nochk
    [ "$(state_of_vd2)" = "Warning0" ]
    expect_output "Physical Drive 6 ( Adapter 0 ) state changed to OnLine." -PDOnline -PhysDrv[0:6] -a0 -nochk
    [ "$(state_of_vd2)" = "Good" ]

    expect_output "Adapter 0: Deleted Virtual drv-2." -CfgLDDel -L2 -a0 -nochk
    expect_output "Number of Virtual drives configured on adapter 0: 2." -LDGetNum -a0

    # The adapter freed the members: they can carry a new logical drive.
    expect_output "Adapter 0: Created Virtual drv-2." -CfgLDAdd -R1[0:5,0:6] -a0 -nochk
}
